// The execute-string parser and the dispatch of the shell command component.
#include <gtest/gtest.h>

#include <stdexcept>

#include "shell/Shell_DDE.h"

namespace vombrel {
namespace {

using Command = std::optional<ShellExecuteCommand>;

TEST(ParseExecuteLine, Table) {
  const struct {
    std::string line;
    Command expected;
  } cases[] = {
      {R"(["Enqueue in Vombrel" "/music/a b.mp3"])", ShellExecuteCommand{"Enqueue in Vombrel", "/music/a b.mp3", ""}},
      {R"([Open "/x.mp3"])", ShellExecuteCommand{"Open", "/x.mp3", ""}},
      {"[Open]", ShellExecuteCommand{"Open", "", ""}},
      {"[Open,/x.mp3,fast,now]", ShellExecuteCommand{"Open", "/x.mp3", "fast now"}},
      {"[Open /x.mp3 a  b]", ShellExecuteCommand{"Open", "/x.mp3", "a b"}},
      // A doubled quote inside a quoted item stands for one quote.
      {R"(["Say ""hi""" "/a""b.mp3"])", ShellExecuteCommand{"Say \"hi\"", "/a\"b.mp3", ""}},
      // An unbalanced quote takes the rest of the line.
      {R"(["Open /x y])", ShellExecuteCommand{"Open /x y", "", ""}},
      {"[,/x.mp3]", ShellExecuteCommand{"", "/x.mp3", ""}},
      {"[ ]", std::nullopt},  // no items: skipped
      {"[]", std::nullopt},   // not longer than two characters
      {"[x", std::nullopt},
      {"x]", std::nullopt},
      {"Open /x.mp3", std::nullopt},
      {" [Open /x.mp3]", std::nullopt},  // not starting with "["
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseExecuteLine(c.line), c.expected) << c.line;
}

TEST(ExecuteStringLines, SplitAtEveryLineEnd) {
  EXPECT_EQ(ExecuteStringLines("[a]\r\n[b]\n[c]\r[d]"), (StringList{"[a]", "[b]", "[c]", "[d]"}));
  EXPECT_EQ(ExecuteStringLines("[a]\r\n"), (StringList{"[a]"}));
  EXPECT_EQ(ExecuteStringLines("\n\n[a]"), (StringList{"", "", "[a]"}));
  EXPECT_TRUE(ExecuteStringLines("").empty());
}

// Records what reached each handler.
struct Recorder {
  std::vector<std::string> calls;
  TShellCommandInterface shell;
  explicit Recorder(bool withOpen = true, bool withCustom = true) {
    if (withOpen)
      shell.OnCmdOpenFile = [this](const std::string& f, const std::string& o) {
        calls.push_back("open|" + f + "|" + o);
      };
    if (withCustom)
      shell.OnCmdCustom = [this](const std::string& c, const std::string& f, const std::string& o) {
        calls.push_back("custom|" + c + "|" + f + "|" + o);
      };
    shell.OnExecute = [this](const std::string& line) { calls.push_back("general|" + line); };
  }
};

TEST(TShellCommandInterface, DispatchTable) {
  const struct {
    std::string command;
    bool withOpen, withCustom;
    bool handled;
    std::vector<std::string> calls;
  } cases[] = {
      {"Open", true, true, true, {"open|f|o"}},
      {"oPEN", true, true, true, {"open|f|o"}},
      {"Open", false, true, true, {"custom|Open|f|o"}},  // no open handler: the custom one takes it
      {"Enqueue in Vombrel", true, true, true, {"custom|Enqueue in Vombrel|f|o"}},
      {"Print", true, true, true, {"custom|Print|f|o"}},  // print events unassigned
      {"New", true, false, false, {}},
      {"Enqueue", true, false, false, {}},
  };
  for (const auto& c : cases) {
    Recorder r(c.withOpen, c.withCustom);
    EXPECT_EQ(r.shell.Dispatch(c.command, "f", "o"), c.handled) << c.command;
    EXPECT_EQ(r.calls, c.calls) << c.command;
  }
}

TEST(TShellCommandInterface, AssignedPrintEventsTakeTheirCommands) {
  TShellCommandInterface shell;
  std::string seen;
  shell.OnCmdPrintFileTo = [&](const std::string& f, const std::string& o) { seen = "printto " + f + " " + o; };
  shell.OnCmdCustom = [&](const std::string&, const std::string&, const std::string&) { seen = "custom"; };
  EXPECT_TRUE(shell.Dispatch("printto", "a", "b"));
  EXPECT_EQ(seen, "printto a b");
}

TEST(TShellCommandInterface, AHandlerErrorIsSwallowedAndNotHandled) {
  TShellCommandInterface shell;
  int custom = 0;
  shell.OnCmdOpenFile = [](const std::string&, const std::string&) { throw std::runtime_error("cannot open"); };
  shell.OnCmdCustom = [&](const std::string&, const std::string&, const std::string&) { ++custom; };
  EXPECT_FALSE(shell.Dispatch("Open", "/x", ""));
  EXPECT_EQ(custom, 0);
  shell.OnCmdCustom = [](const std::string&, const std::string&, const std::string&) { throw 42; };
  EXPECT_FALSE(shell.Dispatch("Enqueue in Vombrel", "/x", ""));
}

TEST(TShellCommandInterface, ExecuteRunsCommandsInOrderAndDropsOtherLines) {
  Recorder r(true, false);
  const int handled = r.shell.Execute("[Open \"/a b.mp3\"]\r\nplain text\r\n[ ]\r\n[Enqueue /x]\r\n[Open /c.mp3]");
  EXPECT_EQ(handled, 2);
  EXPECT_EQ(r.calls,
            (std::vector<std::string>{"open|/a b.mp3|", "general|plain text", "general|[Enqueue /x]", "open|/c.mp3|"}));
}

TEST(TShellCommandInterface, ExecuteSurvivesHugeAndBinaryText) {
  Recorder r;
  std::string huge = "[Open \"" + std::string(64 * 1024, 'x');  // unbalanced quote, 64 KiB
  EXPECT_EQ(r.shell.Execute(huge), 0);
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  r.shell.Execute(binary);
  r.shell.Execute(std::string("[Open /a\0b.mp3]", 15));
  SUCCEED();
}

}  // namespace
}  // namespace vombrel
