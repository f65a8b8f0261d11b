// Frames of the hand-over between a second start and the running instance.
//
// A frame is a 4-byte big-endian length of the body, then the body: a 2-byte big-endian
// name length, the message name (1..255 printable ASCII characters, no blank), the
// signed 32-bit big-endian wParam, and the text (bytes, no 0x00) up to the body's end.
// A whole frame is at most 64 KiB. Anything else is malformed: the reader reports it and
// the receiver drops the connection. Qt-free, so the fuzz build exercises it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vombrel {

inline constexpr std::size_t kMaxHandOverFrameSize = 64 * 1024;
inline constexpr std::size_t kMaxHandOverNameSize = 255;

struct HandOverFrame {
  std::string name;
  int32_t wParam = 0;
  std::string text;
  bool operator==(const HandOverFrame&) const = default;
};

// The frame's bytes; nullopt when the frame cannot be sent (invalid name, a 0x00 in the
// text, or larger than kMaxHandOverFrameSize).
std::optional<std::string> EncodeHandOverFrame(const HandOverFrame& frame);

// Takes the bytes of one connection as they arrive and cuts them into frames.
// Not thread-safe; one reader per connection.
class HandOverFrameReader {
 public:
  enum class Status { NeedMore, Frame, Malformed };

  void Append(std::string_view bytes);
  // The next complete frame into *frame (Frame), NeedMore while it is incomplete, or
  // Malformed (sticky: the connection must be closed).
  Status Next(HandOverFrame* frame);
  // Bytes of an incomplete frame are buffered.
  bool HasPartialFrame() const { return !buffer_.empty(); }

 private:
  std::string buffer_;
  bool malformed_ = false;
};

}  // namespace vombrel
