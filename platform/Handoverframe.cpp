#include "platform/Handoverframe.h"

namespace vombrel {

namespace {

constexpr std::size_t kLengthSize = 4;
constexpr std::size_t kNameLengthSize = 2;
constexpr std::size_t kWParamSize = 4;

void PutBigEndian(std::string& out, uint32_t value, std::size_t bytes) {
  for (std::size_t i = bytes; i-- > 0;) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetBigEndian(std::string_view in, std::size_t bytes) {
  uint32_t value = 0;
  for (std::size_t i = 0; i < bytes; ++i) value = (value << 8) | static_cast<unsigned char>(in[i]);
  return value;
}

bool ValidName(std::string_view name) {
  if (name.empty() || name.size() > kMaxHandOverNameSize) return false;
  for (char c : name)
    if (c <= ' ' || c > '~') return false;
  return true;
}

bool ValidText(std::string_view text) { return text.find('\0') == std::string_view::npos; }

// The frame a complete body holds; nullopt when the body is malformed.
std::optional<HandOverFrame> ParseBody(std::string_view body) {
  if (body.size() < kNameLengthSize) return std::nullopt;
  const std::size_t nameSize = GetBigEndian(body, kNameLengthSize);
  if (body.size() < kNameLengthSize + nameSize + kWParamSize) return std::nullopt;
  HandOverFrame frame;
  frame.name = std::string(body.substr(kNameLengthSize, nameSize));
  frame.wParam = static_cast<int32_t>(GetBigEndian(body.substr(kNameLengthSize + nameSize), kWParamSize));
  frame.text = std::string(body.substr(kNameLengthSize + nameSize + kWParamSize));
  if (!ValidName(frame.name) || !ValidText(frame.text)) return std::nullopt;
  return frame;
}

}  // namespace

std::optional<std::string> EncodeHandOverFrame(const HandOverFrame& frame) {
  if (!ValidName(frame.name) || !ValidText(frame.text)) return std::nullopt;
  const std::size_t bodySize = kNameLengthSize + frame.name.size() + kWParamSize + frame.text.size();
  if (kLengthSize + bodySize > kMaxHandOverFrameSize) return std::nullopt;
  std::string bytes;
  bytes.reserve(kLengthSize + bodySize);
  PutBigEndian(bytes, static_cast<uint32_t>(bodySize), kLengthSize);
  PutBigEndian(bytes, static_cast<uint32_t>(frame.name.size()), kNameLengthSize);
  bytes += frame.name;
  PutBigEndian(bytes, static_cast<uint32_t>(frame.wParam), kWParamSize);
  bytes += frame.text;
  return bytes;
}

void HandOverFrameReader::Append(std::string_view bytes) {
  if (malformed_) return;
  buffer_.append(bytes);
}

HandOverFrameReader::Status HandOverFrameReader::Next(HandOverFrame* frame) {
  if (malformed_) return Status::Malformed;
  if (buffer_.size() < kLengthSize) return Status::NeedMore;
  const std::size_t bodySize = GetBigEndian(buffer_, kLengthSize);
  // The length is checked before waiting for the body, so an oversized frame is refused
  // at once and never buffered.
  if (bodySize > kMaxHandOverFrameSize - kLengthSize) {
    malformed_ = true;
    buffer_.clear();
    return Status::Malformed;
  }
  if (buffer_.size() < kLengthSize + bodySize) return Status::NeedMore;
  auto parsed = ParseBody(std::string_view(buffer_).substr(kLengthSize, bodySize));
  buffer_.erase(0, kLengthSize + bodySize);
  if (!parsed) {
    malformed_ = true;
    buffer_.clear();
    return Status::Malformed;
  }
  *frame = std::move(*parsed);
  return Status::Frame;
}

}  // namespace vombrel
