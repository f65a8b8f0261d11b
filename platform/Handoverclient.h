// The second start's side of the hand-over (the running instance's side is Handover.h).
//
// The running instance's main window listens on a local socket named after its class and
// caption and the executable's file name ("TFormVombrel.Vombrel.<exe file name>") in the
// private socket folder (Privatesocket.h). The executable's name keeps copies under other
// names apart, as the lock does; the lock also makes the name safe to take over from a
// crashed instance.
//
// Frames (Handoverframe.h) carry a message name, wParam and text. A second start sends
// kForegroundMessageName first, then the message for its argument. Qt-free: the launcher
// hands over with it before, and without, loading the rest of the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Singleinstance.h"

namespace vombrel {

// Asks the running instance to raise and activate its main window.
inline constexpr std::string_view kForegroundMessageName = "VOMBREL_FOREGROUND";

// The socket path of the running instance of an executable; empty when no private
// folder can be had.
std::string HandOverServerPath(const std::string& exeFileName = ExecutableFileName());

// Sends one frame to the running instance; false when none listens or sending fails.
// Never waits for the receiver to act (the receiver handles it in its own time).
bool HandOverToRunningInstance(std::string_view messageName, int32_t wParam, std::string_view text,
                               const std::string& exeFileName = ExecutableFileName());

// The second start's steps: asks the running instance to come to the foreground and, for
// a non-empty argument, sends "VOMBREL_OPEN_PLAYLIST_MESSAGE_ID" (IsPlaylistFile) or
// "VOMBREL_ADD_TRACK_MESSAGE_ID" with wParam 1 and the argument as text, over one
// connection. An argument too long for a frame is dropped (the window is still raised).
// False when no instance listens: the caller then ends silently.
bool ForwardToRunningInstance(std::string_view argument, const std::string& exeFileName = ExecutableFileName());

}  // namespace vombrel
