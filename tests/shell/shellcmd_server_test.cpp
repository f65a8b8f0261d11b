// The shell command service over its local socket: requests, answers and bad input.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <filesystem>
#include <future>
#include <thread>

#include "platform/Handoverframe.h"
#include "platform/Shellcmdserver.h"

namespace vombrel {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// Runs the event loop until the work on another thread is done.
template <typename Work>
auto WhileServing(Work work) {
  auto done = std::async(std::launch::async, work);
  while (done.wait_for(milliseconds(0)) != std::future_status::ready)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done.get();
}

// Raw bytes to the service; the answer's bytes (empty when the server dropped us).
std::string SendRaw(const std::string& path, const std::string& bytes) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  std::string answer;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    shutdown(fd, SHUT_WR);
    char buffer[256];
    timeval limit{3, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return answer;
}

class ShellService : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vombrel-shellcmd.XXXXXX").string();
    runtime_ = mkdtemp(pattern.data());
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    shell_.OnCmdOpenFile = [this](const std::string& f, const std::string&) { calls_.push_back("open " + f); };
    shell_.OnCmdCustom = [this](const std::string& c, const std::string& f, const std::string&) {
      calls_.push_back(c + " " + f);
    };
    ASSERT_TRUE(server_.Listen("Vombrel"));
    server_.SetTopic(&shell_);
  }
  void TearDown() override { fs::remove_all(runtime_); }

  ShellExecuteResult Send(const std::string& text, const std::string& service = "vombrel") {
    return WhileServing([&] { return SendShellExecute(service, "shellcmd", text, milliseconds(3000)); });
  }

  std::string runtime_;
  TShellCommandInterface shell_;
  ShellCommandServer server_;
  std::vector<std::string> calls_;
};

TEST_F(ShellService, TheEnqueueVerbReachesTheCustomHandler) {
  // Service and topic compare without regard to case.
  EXPECT_EQ(Send(ShellExecuteString("Enqueue in Vombrel", "/music/a \"b\".mp3"), "VOMBREL"),
            ShellExecuteResult::Handled);
  EXPECT_EQ(Send("[Open /x.mp3]\r\n[Open /y.mp3]"), ShellExecuteResult::Handled);
  EXPECT_EQ(calls_, (std::vector<std::string>{"Enqueue in Vombrel /music/a \"b\".mp3", "open /x.mp3", "open /y.mp3"}));
}

TEST_F(ShellService, LinesNoHandlerTakesAreAnsweredNotHandled) {
  EXPECT_EQ(Send("Enqueue /x.mp3"), ShellExecuteResult::NotHandled);
  server_.SetTopic(nullptr);
  EXPECT_EQ(Send("[Open /x.mp3]"), ShellExecuteResult::NotHandled);
  EXPECT_TRUE(calls_.empty());
}

TEST_F(ShellService, AnotherServiceIsNotServed) {
  EXPECT_EQ(Send("[Open /x.mp3]", "Other"), ShellExecuteResult::NoServer);
}

TEST_F(ShellService, TextThatCannotTravelIsRefusedByTheClient) {
  EXPECT_EQ(Send(std::string(64 * 1024, 'x')), ShellExecuteResult::Unsendable);
  EXPECT_EQ(Send(std::string("[Open /a\0b]", 11)), ShellExecuteResult::Unsendable);
  // Binary bytes other than NUL travel; an unbalanced quote is still one command.
  std::string binary = "[Open \"/\x01\xFF\xFE]";
  EXPECT_EQ(Send(binary), ShellExecuteResult::Handled);
  EXPECT_EQ(calls_, (std::vector<std::string>{"open /\x01\xFF\xFE"}));
}

TEST_F(ShellService, MalformedFramesAreDroppedAndTheServiceGoesOn) {
  const std::string path = server_.ServerPath();
  const std::string cases[] = {
      std::string("\xFF\xFF\xFF\xFF", 4),                                          // an oversized length
      *EncodeHandOverFrame({"VOMBREL_ADD_TRACK_MESSAGE_ID", 1, "[Open /x.mp3]"}),  // another message
      std::string(70000, 'A'),                                                     // noise
      std::string("\x00\x00\x00\x03\x00\x09", 6),                                  // a name beyond its frame
  };
  for (const auto& bytes : cases)
    EXPECT_EQ(WhileServing([&] { return SendRaw(path, bytes); }), "") << bytes.substr(0, 16);
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(Send("[Open /x.mp3]"), ShellExecuteResult::Handled);
}

TEST_F(ShellService, ARequestWhoseSenderStopsSendingIsStillAnswered) {
  // The sender closes its writing side right after the request and waits for the answer.
  const auto request = EncodeHandOverFrame({std::string(kExecuteRequestName), 0, "[Open /x.mp3]"});
  const auto answer = EncodeHandOverFrame({std::string(kExecuteAnswerName), 1, {}});
  EXPECT_EQ(WhileServing([&] { return SendRaw(server_.ServerPath(), *request); }), *answer);
  EXPECT_EQ(calls_, (std::vector<std::string>{"open /x.mp3"}));
}

TEST_F(ShellService, EightConnectionsAtMostAndAClosedOneFreesItsPlace) {
  struct stat st {};
  ASSERT_EQ(stat(server_.ServerPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // only this user may connect
  std::vector<int> idle;
  for (int i = 0; i < 8; ++i) {
    idle.push_back(ConnectToPrivateSocket(server_.ServerPath()));
    ASSERT_GE(idle.back(), 0);
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_NE(Send("[Open /x.mp3]"), ShellExecuteResult::Handled);
  for (const int fd : idle) close(fd);
  EXPECT_EQ(Send("[Open /y.mp3]"), ShellExecuteResult::Handled);
  EXPECT_EQ(calls_, (std::vector<std::string>{"open /y.mp3"}));
}

TEST_F(ShellService, TheSocketFileGoesWithTheServer) {
  std::string path;
  {
    ShellCommandServer other;
    ASSERT_TRUE(other.Listen("Other"));
    path = other.ServerPath();
    EXPECT_TRUE(fs::exists(path));
  }
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(Send("[Open /x.mp3]", "Other"), ShellExecuteResult::NoServer);
}

TEST(ShellExecuteString, QuotesAreDoubled) {
  EXPECT_EQ(ShellExecuteString("Enqueue in Vombrel", "/a \"b\".mp3"), "[\"Enqueue in Vombrel\" \"/a \"\"b\"\".mp3\"]");
  EXPECT_EQ(ShellCommandServiceName("vombrel"), "vombrel");
  EXPECT_EQ(ShellCommandServiceName("Vombrel.exe.bak"), "Vombrel");
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
