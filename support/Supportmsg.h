// Modal message boxes, reached through a reporter that the user interface installs.
// The core layers never depend on a toolkit: the GUI installs a reporter that shows a
// real message box; tests install one that records what would have been shown.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vombrel {

// Flags as the message-box flags of the original design: button set in the low nibble,
// icon in the next (16 = error icon).
enum MessageBoxFlags : unsigned {
  MB_OK = 0x00,
  MB_OKCANCEL = 0x01,
  MB_YESNO = 0x04,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
};

// Identifiers of the button pressed.
enum MessageBoxResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class MessageReporter {
 public:
  virtual ~MessageReporter() = default;
  // Shows the box modally and returns the identifier of the button pressed.
  virtual int Show(std::string_view text, std::string_view caption, unsigned flags) = 0;
};

// Installs the reporter used from now on (not owned; nullptr restores the default, which
// writes the message to standard error and answers IDOK). Returns the previous one.
MessageReporter* SetMessageReporter(MessageReporter* reporter);

int ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags);
int ShowError(std::string_view text, std::string_view caption);

// A reporter that records every message and answers with a fixed button; for tests and
// for command-line tools.
class RecordingReporter : public MessageReporter {
 public:
  struct Message {
    std::string text;
    std::string caption;
    unsigned flags;
  };
  explicit RecordingReporter(int answer = IDOK) : answer_(answer) {}
  int Show(std::string_view text, std::string_view caption, unsigned flags) override {
    messages.push_back({std::string(text), std::string(caption), flags});
    return answer_;
  }
  std::vector<Message> messages;

 private:
  int answer_;
};

// Installs a reporter for the lifetime of a scope.
class ScopedReporter {
 public:
  explicit ScopedReporter(MessageReporter* reporter) : previous_(SetMessageReporter(reporter)) {}
  ~ScopedReporter() { SetMessageReporter(previous_); }
  ScopedReporter(const ScopedReporter&) = delete;
  ScopedReporter& operator=(const ScopedReporter&) = delete;

 private:
  MessageReporter* previous_;
};

}  // namespace vombrel
