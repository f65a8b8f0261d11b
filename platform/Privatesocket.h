// Local sockets of the program, for this user only: their paths in the private socket
// folder and the client's side of a connection. Qt-free, so that a second start can hand
// over without loading the toolkit.
#pragma once

#include <sys/un.h>

#include <optional>
#include <string>
#include <string_view>

namespace vombrel {

// The folder for the program's sockets ($XDG_RUNTIME_DIR/vombrel/, else
// <temp folder>/vombrel-<uid>/), ending with "/"; empty when no private one can be had.
std::string PrivateSocketFolder();

// prefix + name in the private socket folder. Socket addresses are short: a name that
// would make the path too long, or that holds "/", is replaced by "#" and its hash.
// Empty when no private folder can be had.
std::string PrivateSocketPath(std::string_view prefix, std::string_view name);

// The socket address of a path; nullopt when the path is empty or too long for one.
std::optional<sockaddr_un> PrivateSocketAddress(const std::string& path);

// A stream socket connected to the path, or -1 when nobody listens there.
int ConnectToPrivateSocket(const std::string& path);

// Writes all bytes to a connected socket; false when the peer went away.
bool SendAllBytes(int fd, std::string_view bytes);

}  // namespace vombrel
