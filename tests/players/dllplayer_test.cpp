// The plug-in engine and the engine factory, with test plug-ins built by the suite.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "Fakedisplay.h"
#include "Testdispatcher.h"
#include "players/Dllplayer.h"
#include "players/Playerfactory.h"
#include "support/Supportfiles.h"
#include "support/Supportmsg.h"

namespace vombrel::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFullPlugin = VOMBREL_TEST_PLUGIN_FULL;
constexpr const char* kNoDescriptionPlugin = VOMBREL_TEST_PLUGIN_NO_DESCRIPTION;
constexpr const char* kNoOpenNoDescriptionPlugin = VOMBREL_TEST_PLUGIN_NO_OPEN_NO_DESCRIPTION;
constexpr const char* kCantLoad = "Impossibile caricare il modulo del player";

// The test's own handle on a plug-in library, for its TestPlugin_ controls.
class PluginControls {
 public:
  explicit PluginControls(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) throw std::runtime_error(dlerror());
  }
  ~PluginControls() { dlclose(handle_); }
  std::string TakeLog() { return Call<const char* (*)()>("TestPlugin_TakeLog")(); }
  void ThrowFrom(const char* entry) { Call<void (*)(const char*)>("TestPlugin_ThrowFrom")(entry); }
  void SetDescription(const char* text) { Call<void (*)(const char*)>("TestPlugin_SetDescription")(text); }
  void* InitArgument(int index) { return Call<void* (*)(int)>("TestPlugin_InitArgument")(index); }
  unsigned long NotifyThread() { return Call<unsigned long (*)()>("TestPlugin_NotifyThread")(); }

 private:
  template <typename Fn>
  Fn Call(const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle_, name));
  }
  void* handle_;
};

bool IsLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

class DllPlayerTest : public ::testing::Test {
 protected:
  DllPlayerTest() : reporterScope(&reporter) { controls.TakeLog(); }

  std::unique_ptr<TDllPlayer> Load() {
    auto engine = std::make_unique<TDllPlayer>(kFullPlugin, &display, dispatcher, notes.Handler());
    return engine;
  }

  RecordingReporter reporter;
  ScopedReporter reporterScope;
  PluginControls controls{kFullPlugin};
  FakeDisplay display;
  QueueDispatcher dispatcher;
  NotifyRecorder notes;
};

TEST_F(DllPlayerTest, InitPlayerReceivesTheHostObjectsTheDisplayTwiceAndTheNotifier) {
  auto engine = Load();
  EXPECT_EQ(controls.TakeLog(), "_InitPlayer");
  EXPECT_EQ(controls.InitArgument(0), &display.applicationToken);
  EXPECT_EQ(controls.InitArgument(1), &display.screenToken);
  EXPECT_EQ(controls.InitArgument(2), reinterpret_cast<void*>(display.window));
  EXPECT_EQ(controls.InitArgument(3), reinterpret_cast<void*>(display.window));
  EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(DllPlayerTest, EveryOperationReachesItsEntryPointWithItsArgumentsAndResult) {
  auto engine = Load();
  controls.TakeLog();
  MMFileInfoPtr info = engine->Open("song.mp3");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Success, 1);
  EXPECT_EQ(info->AudioOnly, 1);
  EXPECT_STREQ(info->FileName, "song.mp3");
  engine->Play();
  engine->Pause();
  EXPECT_EQ(engine->GetMode(), PlayerMode::Paused);  // 0x5A5A05: only the low byte counts
  engine->Resume();
  engine->Stop();
  EXPECT_EQ(engine->GetLength(), 2000);
  engine->SetPosition(500);
  engine->Stop();
  EXPECT_GE(engine->GetPosition(), 500);
  EXPECT_EQ(engine->GetMode(), PlayerMode::Stopped);  // upper bytes of the result ignored
  EXPECT_EQ(engine->GetFileName(), "song.mp3");
  engine->SetFullScreen(true);
  engine->SetFullScreen(false);
  EXPECT_FALSE(engine->HasVideo());  // 0x7700: only the low byte counts
  EXPECT_EQ(engine->GetVideoWidth(), 0);
  EXPECT_EQ(engine->GetVideoHeight(), 0);
  engine->OutputText(3, -4, "hi");
  engine->Refresh();
  EXPECT_EQ(engine->Description(), "Test Player");
  engine->Close();
  engine->DeinitPlayer();
  EXPECT_EQ(
      controls.TakeLog(),
      "_Open,_Play,_Pause,_GetMode,_Resume,_Stop,_GetLength,_SetPosition,_Stop,_GetPosition,_GetMode,_GetFileName,"
      "_SetFullScreen(1),_SetFullScreen(0),_HasVideo,_GetVideoWidth,_GetVideoHeight,_OutputText(3;-4;hi),"
      "_Refresh,_Description,_Close,_DeinitPlayer");

  MMFileInfoPtr video = engine->Open("clip.mpg");
  EXPECT_EQ(video->AudioOnly, 0);
  EXPECT_TRUE(engine->HasVideo());
  EXPECT_EQ(engine->GetVideoWidth(), 320);
  EXPECT_EQ(engine->GetVideoHeight(), 240);
  MMFileInfoPtr bad = engine->Open("broken.bad");
  EXPECT_EQ(bad->Success, 0);
  EXPECT_STREQ(bad->ErrorText, "cannot open");
  EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(DllPlayerTest, NotificationFromThePluginThreadArrivesOnTheDispatcherThread) {
  auto engine = Load();
  int32_t positionSeen = -1;
  int32_t lengthSeen = -2;
  notes.onNotify = [&] {  // the host calls back into the plug-in from its handler
    positionSeen = engine->GetPosition();
    lengthSeen = engine->GetLength();
  };
  ASSERT_EQ(engine->Open("song.mp3")->Success, 1);
  engine->Play();
  ASSERT_TRUE(dispatcher.RunUntil([&] { return notes.count == 1; }));
  EXPECT_TRUE(notes.allOnOwnerThread);
  EXPECT_NE(controls.NotifyThread(), 0ul);
  EXPECT_NE(controls.NotifyThread(), std::hash<std::thread::id>()(std::this_thread::get_id()));
  EXPECT_EQ(positionSeen, 2000);
  EXPECT_EQ(lengthSeen, 2000);
  EXPECT_EQ(engine->GetMode(), PlayerMode::Stopped);
}

TEST_F(DllPlayerTest, DestructionCallsDeinitPlayerTwice) {
  std::unique_ptr<TBasePlayer> engine = Load();
  controls.TakeLog();
  DestroyPlayerEngine(engine);
  EXPECT_EQ(engine, nullptr);
  EXPECT_EQ(controls.TakeLog(), "_DeinitPlayer,_DeinitPlayer");
}

TEST(DllPlayerUnload, DestructionUnloadsTheLibrary) {
  RecordingReporter reporter;
  ScopedReporter scope(&reporter);
  QueueDispatcher dispatcher;
  NotifyRecorder notes;
  {
    TDllPlayer engine(kFullPlugin, nullptr, dispatcher, notes.Handler());
    EXPECT_TRUE(IsLoaded(kFullPlugin));
  }
  EXPECT_FALSE(IsLoaded(kFullPlugin));
}

struct ThrowCase {
  const char* entry;
  std::function<void(TDllPlayer&)> callAndCheckDefault;
};

TEST_F(DllPlayerTest, FailuresEscapingThePluginAreShownAndGiveTheDefaultResult) {
  auto engine = Load();
  ASSERT_EQ(engine->Open("clip.mpg")->Success, 1);
  const ThrowCase cases[] = {
      {"_Open", [](TDllPlayer& e) { EXPECT_EQ(e.Open("x.mp3"), nullptr); }},
      {"_Play", [](TDllPlayer& e) { e.Play(); }},
      {"_Pause", [](TDllPlayer& e) { e.Pause(); }},
      {"_Resume", [](TDllPlayer& e) { e.Resume(); }},
      {"_Stop", [](TDllPlayer& e) { e.Stop(); }},
      {"_Close", [](TDllPlayer& e) { e.Close(); }},
      {"_GetLength", [](TDllPlayer& e) { EXPECT_EQ(e.GetLength(), 0); }},
      {"_GetPosition", [](TDllPlayer& e) { EXPECT_EQ(e.GetPosition(), 0); }},
      {"_SetPosition", [](TDllPlayer& e) { e.SetPosition(10); }},
      {"_GetMode", [](TDllPlayer& e) { EXPECT_EQ(e.GetMode(), PlayerMode::Stopped); }},
      {"_GetFileName", [](TDllPlayer& e) { EXPECT_EQ(e.GetFileName(), ""); }},
      {"_HasVideo", [](TDllPlayer& e) { EXPECT_FALSE(e.HasVideo()); }},
      {"_GetVideoWidth", [](TDllPlayer& e) { EXPECT_EQ(e.GetVideoWidth(), 0); }},
      {"_GetVideoHeight", [](TDllPlayer& e) { EXPECT_EQ(e.GetVideoHeight(), 0); }},
      {"_Refresh", [](TDllPlayer& e) { e.Refresh(); }},
      {"_Description", [](TDllPlayer& e) { EXPECT_EQ(e.Description(), ""); }},
      {"_DeinitPlayer", [](TDllPlayer& e) { e.DeinitPlayer(); }},
  };
  for (const ThrowCase& c : cases) {
    SCOPED_TRACE(c.entry);
    reporter.messages.clear();
    controls.ThrowFrom(c.entry);
    c.callAndCheckDefault(*engine);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, std::string("failure in ") + c.entry);
    EXPECT_EQ(reporter.messages[0].caption, "Vombrel");
  }
  controls.ThrowFrom("");
  EXPECT_EQ(engine->GetVideoWidth(), 320);  // the host went on
}

TEST_F(DllPlayerTest, FailuresInInitAndInTheDestructorsDeinitAreShownToo) {
  controls.ThrowFrom("_InitPlayer");
  auto engine = Load();
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, "failure in _InitPlayer");
  controls.ThrowFrom("_DeinitPlayer");
  engine.reset();
  EXPECT_EQ(reporter.messages.size(), 2u);
  controls.ThrowFrom("");
}

TEST_F(DllPlayerTest, DescriptionIsBoundedByItsBuffer) {
  auto engine = Load();
  controls.SetDescription(std::string(300, 'x').c_str());
  EXPECT_EQ(engine->Description(), std::string(127, 'x'));
  controls.SetDescription("Test Player");
}

TEST_F(DllPlayerTest, MissingEntryPointFailsNamingTheFirstInResolutionOrderAndUnloads) {
  const std::pair<const char*, const char*> cases[] = {{kNoDescriptionPlugin, "_Description"},
                                                       {kNoOpenNoDescriptionPlugin, "_Open"}};
  for (const auto& [path, missing] : cases) {
    try {
      TDllPlayer engine(path, &display, dispatcher, notes.Handler());
      ADD_FAILURE() << "built without " << missing;
    } catch (const PlayerError& error) {
      EXPECT_EQ(std::string(error.what()), std::string(kCantLoad) + " '" + missing + "'");
    }
    EXPECT_FALSE(IsLoaded(path));
  }
  EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(DllPlayerTest, UnloadableFileShowsTheLoadFailureThenFailsOnTheFirstEntry) {
  const std::string path = (fs::temp_directory_path() / "vombrel-not-a-library.so").string();
  std::ofstream(path) << "this is not a shared library\n";
  try {
    TDllPlayer engine(path, &display, dispatcher, notes.Handler());
    ADD_FAILURE() << "built from a text file";
  } catch (const PlayerError& error) {
    EXPECT_EQ(std::string(error.what()), std::string(kCantLoad) + " '_Pause'");
  }
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, kCantLoad);
  EXPECT_EQ(reporter.messages[0].caption, "Vombrel");
  fs::remove(path);
}

// The factory, over a program folder whose "Players" holds copies of the test plug-ins.
class FactoryTest : public ::testing::Test {
 protected:
  FactoryTest() : reporterScope(&reporter) {
    std::string folder = (fs::temp_directory_path() / "vombrel-factory-XXXXXX").string();
    appDir = mkdtemp(folder.data());
    appDir += "/";
    SetAppDirForTesting(appDir);
    const std::string players = AppSubDir("Players");
    fs::copy_file(kFullPlugin, players + "Full.so");
    fs::copy_file(kFullPlugin, players + "default.so");
    fs::copy_file(kNoDescriptionPlugin, players + "NoDescription.so");
    std::ofstream(players + "Broken.so") << "not a library";
    fs::copy_file(kFullPlugin, players + "Upper.SO");  // listed by "*.so" as "Upper"
    mkfifo((players + "Pipe.so").c_str(), 0666);       // loading it would block
  }
  ~FactoryTest() override {
    SetAppDirForTesting(std::nullopt);
    fs::remove_all(appDir);
  }

  std::unique_ptr<TBasePlayer> Create(const std::string& name) {
    return CreatePlayerEngine(name, &display, dispatcher, notes.Handler());
  }

  std::string appDir;
  RecordingReporter reporter;
  ScopedReporter reporterScope;
  FakeDisplay display;
  QueueDispatcher dispatcher;
  NotifyRecorder notes;
};

constexpr const char* kCantInit =
    "Impossibile caricare il modulo del player indicato. Verr\u00e0 utilizzato il modulo standard.";

TEST_F(FactoryTest, NamesChooseTheEngineAndFailuresFallBackToTheBuiltInOne) {
  struct Case {
    std::string name;
    std::string description;
    std::vector<std::pair<std::string, std::string>> messages;  // text, caption
  };
  const Case cases[] = {
      {"Default", "Default Player", {}},
      {"default", "Test Player", {}},  // the comparison with "Default" is exact
      {"Full", "Test Player", {}},
      {"Missing", "Default Player", {}},
      {"../Players/Full", "Default Player", {}},
      {"", "Default Player", {}},
      {"NoDescription", "Default Player", {{kCantInit, "Errore"}}},
      {"Broken", "Default Player", {{kCantLoad, "Vombrel"}, {kCantInit, "Errore"}}},
      {"Upper", "Test Player", {}},
      {"upper", "Default Player", {}},
      {"Pipe", "Default Player", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reporter.messages.clear();
    auto engine = Create(c.name);
    ASSERT_TRUE(engine);
    EXPECT_EQ(engine->Description(), c.description);
    ASSERT_EQ(reporter.messages.size(), c.messages.size());
    for (size_t i = 0; i < c.messages.size(); ++i) {
      EXPECT_EQ(reporter.messages[i].text, c.messages[i].first);
      EXPECT_EQ(reporter.messages[i].caption, c.messages[i].second);
    }
    DestroyPlayerEngine(engine);
    EXPECT_EQ(engine, nullptr);
  }
}

TEST_F(FactoryTest, OfferedNamesAreDefaultAndTheLibrariesInPlayers) {
  StringList names = PlayerEngineNames();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names[0], "Default");
  std::sort(names.begin() + 1, names.end());
  EXPECT_EQ(names, (StringList{"Default", "Broken", "Full", "NoDescription", "Pipe", "Upper", "default"}));
  EXPECT_EQ(PlayerLibraryPath("Full"), appDir + "Players/Full.so");
  EXPECT_EQ(PlayerLibraryPath("Upper"), appDir + "Players/Upper.SO");
}

TEST_F(FactoryTest, DestroyingNoEngineDoesNothing) {
  std::unique_ptr<TBasePlayer> none;
  DestroyPlayerEngine(none);
  EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace vombrel::test
