#include "Supportmsg.h"

#include <cstdio>

namespace vombrel {
namespace {

class StderrReporter : public MessageReporter {
 public:
  int Show(std::string_view text, std::string_view caption, unsigned) override {
    // Nothing is left to tell when standard error itself fails.
    (void)std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                       static_cast<int>(text.size()), text.data());
    return IDOK;
  }
};

StderrReporter defaultReporter;
MessageReporter* currentReporter = &defaultReporter;

}  // namespace

MessageReporter* SetMessageReporter(MessageReporter* reporter) {
  MessageReporter* previous = currentReporter;
  currentReporter = reporter ? reporter : &defaultReporter;
  return previous == &defaultReporter ? nullptr : previous;
}

int ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  return currentReporter->Show(text, caption, flags);
}

int ShowError(std::string_view text, std::string_view caption) {
  return ShowMessageBox(text, caption, MB_ICONERROR | MB_OK);
}

}  // namespace vombrel
