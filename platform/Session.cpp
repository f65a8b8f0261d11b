#include "platform/Session.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace vombrel {

namespace {

constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the signal handler, read on the user-interface thread.
int signalWriteFd = -1;

void OnTerminationSignal(int signalNumber) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signalNumber);
  if (signalWriteFd >= 0) {
    const ssize_t written = ::write(signalWriteFd, &byte, 1);  // a full pipe already holds a request
    static_cast<void>(written);
  }
  errno = savedErrno;
}

}  // namespace

PlatformChoice DecideWindowingPlatform(const char* userPlatform, const char* display) {
  if (userPlatform != nullptr && *userPlatform != '\0') return PlatformChoice::UserChoice;
  return display != nullptr && *display != '\0' ? PlatformChoice::X11 : PlatformChoice::NoXServer;
}

PlatformChoice ChooseWindowingPlatform() {
  const PlatformChoice choice = DecideWindowingPlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"));
  if (choice == PlatformChoice::X11) setenv("QT_QPA_PLATFORM", "xcb", 1);
  if (choice == PlatformChoice::NoXServer) {
    std::fprintf(stderr,
                 "vombrel: no X server can be reached; windows cannot be placed or docked and there are no "
                 "global hot keys\n");
  }
  return choice;
}

TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) return;
  signalWriteFd = fds_[1];
  notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationRequests::ReadPending);
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signalNumber : kTerminationSignals) sigaction(signalNumber, &action, nullptr);
}

TerminationRequests::~TerminationRequests() {
  for (const int signalNumber : kTerminationSignals) std::signal(signalNumber, SIG_DFL);
  signalWriteFd = -1;
  for (const int fd : fds_)
    if (fd >= 0) ::close(fd);
}

void TerminationRequests::ReadPending() {
  unsigned char byte = 0;
  while (::read(fds_[0], &byte, 1) == 1) emit terminationRequested(byte);
}

}  // namespace vombrel
