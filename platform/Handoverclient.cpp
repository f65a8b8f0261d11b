#include "platform/Handoverclient.h"

#include <unistd.h>

#include <vector>

#include "platform/Handoverframe.h"
#include "platform/Privatesocket.h"
#include "playlist/Playlisthandover.h"

namespace vombrel {

namespace {

// Connects to the running instance and sends the frames; false when none listens.
bool SendFrames(const std::string& exeFileName, const std::vector<HandOverFrame>& frames) {
  const int fd = ConnectToPrivateSocket(HandOverServerPath(exeFileName));
  if (fd < 0) return false;
  bool sent = true;
  for (const auto& frame : frames) {
    if (!sent) break;
    // A frame that cannot be encoded (an over-long argument) is dropped, not sent.
    if (const auto bytes = EncodeHandOverFrame(frame)) sent = SendAllBytes(fd, *bytes);
  }
  close(fd);
  return sent;
}

}  // namespace

std::string HandOverServerPath(const std::string& exeFileName) {
  return PrivateSocketPath("TFormVombrel.Vombrel.", exeFileName);
}

bool HandOverToRunningInstance(std::string_view messageName, int32_t wParam, std::string_view text,
                               const std::string& exeFileName) {
  return SendFrames(exeFileName, {{std::string(messageName), wParam, std::string(text)}});
}

bool ForwardToRunningInstance(std::string_view argument, const std::string& exeFileName) {
  std::vector<HandOverFrame> frames{{std::string(kForegroundMessageName), 0, {}}};
  if (!argument.empty())
    frames.push_back({std::string(HandOverMessageName(MessageForArgument(argument))), 1, std::string(argument)});
  return SendFrames(exeFileName, frames);
}

}  // namespace vombrel
