// The association operations against private XDG folders, checked with the tools the
// desktops use to read what they wrote.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Fileassociations.h"

namespace vombrel {
namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct Output {
  int status = -1;
  std::string text;
};

Output RunShell(const std::string& command) {
  Output result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.text.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  while (!result.text.empty() && result.text.back() == '\n') result.text.pop_back();
  return result;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

const std::string kProgram = std::string(VOMBREL_BINARY_DIR) + "/bin/vombrel";

class Associations : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vombrel-assoc.XXXXXX").string();
    base_ = mkdtemp(pattern.data());
    root_ = {(base_ / "data").string() + "/", (base_ / "config").string() + "/", {"/usr/share/"}};
  }
  void TearDown() override { fs::remove_all(base_); }

  fs::path Applications() const { return base_ / "data" / "applications"; }
  fs::path MimeAppsList() const { return base_ / "config" / "mimeapps.list"; }

  // A desktop tool run against the private folders only, outside any desktop session.
  Output Tool(const std::string& command) const {
    return RunShell(
        "env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID"
        " HOME=" +
        Quote(base_.string()) + " XDG_DATA_HOME=" + Quote(root_.dataHome) +
        " XDG_CONFIG_HOME=" + Quote(root_.configHome) + " XDG_DATA_DIRS=/usr/share " + command);
  }
  std::string DefaultFor(const std::string& type) const { return Tool("xdg-mime query default " + type).text; }

  void Register(const std::string& ext) {
    RegisterOpenAssociation(ext, ProgIdOf(ext), kProgram, root_);
    RegisterEnqueueVerb(ext, ProgIdOf(ext), kProgram, kShellCommandApplication, kEnqueueVerb, root_);
  }
  void Unregister(const std::string& ext) {
    UnregisterOpenAssociation(ext, ProgIdOf(ext), root_);
    UnregisterEnqueueVerb(ext, ProgIdOf(ext), kEnqueueVerb, root_);
  }

  // Our desktop entries, each checked by desktop-file-validate.
  std::vector<fs::path> OurEntries() const {
    std::vector<fs::path> entries;
    std::error_code ignored;
    for (const auto& e : fs::directory_iterator(Applications(), ignored))
      if (e.path().filename().string().rfind("Vombrel.Kelvatro.", 0) == 0) {
        entries.push_back(e.path());
        const auto check = RunShell("desktop-file-validate " + Quote(e.path().string()));
        EXPECT_EQ(check.status, 0) << e.path() << "\n" << check.text << "\n" << ReadFile(e.path());
      }
    return entries;
  }

  // Every file under the private folders (a file outside them would show up elsewhere;
  // the folder holds only what the operations wrote).
  std::vector<std::string> AllFiles() const {
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(base_))
      if (!e.is_directory()) files.push_back(fs::relative(e.path(), base_).string());
    return files;
  }

  fs::path base_;
  AssociationRoot root_;
};

TEST_F(Associations, RegisteringMp3TwiceLeavesOneEntryThatIsTheDefault) {
  Register("MP3");
  Register("MP3");
  const auto entries = OurEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].filename(), "Vombrel.Kelvatro.MP3.desktop");
  const std::string entry = ReadFile(entries[0]);
  EXPECT_NE(entry.find("Exec=\"" + kProgram + "\" %f\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("MimeType=audio/mpeg;\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("[Desktop Action Enqueue]\nName=Enqueue in Vombrel\nExec=\"" + kProgram +
                       "\" --dde-execute Vombrel \"Enqueue in Vombrel\" %f\n"),
            std::string::npos)
      << entry;
  EXPECT_EQ(ReadFile(MimeAppsList()), "[Default Applications]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;\n");
  EXPECT_EQ(DefaultFor("audio/mpeg"), "Vombrel.Kelvatro.MP3.desktop");
  // The desktop's cache lists the entry for the type.
  EXPECT_NE(ReadFile(Applications() / "mimeinfo.cache").find("audio/mpeg=Vombrel.Kelvatro.MP3.desktop;"),
            std::string::npos);
}

TEST_F(Associations, UnregisteringRemovesOnlyOurs) {
  WriteFile(Applications() / "other.desktop",
            "[Desktop Entry]\nType=Application\nName=Other\nExec=other %f\nMimeType=audio/mpeg;\n");
  const std::string list =
      "# kept\n[Default Applications]\naudio/mpeg=other.desktop;\ntext/plain=ed.desktop;\n\n"
      "[Added Associations]\naudio/mpeg=other.desktop;\n[Default Applications]\nimage/png=\xE8.desktop;\n";
  WriteFile(MimeAppsList(), list);
  Register("mp3");
  EXPECT_EQ(DefaultFor("audio/mpeg"), "Vombrel.Kelvatro.mp3.desktop");
  Unregister("mp3");
  EXPECT_TRUE(OurEntries().empty());
  EXPECT_EQ(ReadFile(MimeAppsList()), list);
  EXPECT_TRUE(fs::exists(Applications() / "other.desktop"));
  EXPECT_EQ(DefaultFor("audio/mpeg"), "other.desktop");
  // Unregistering again, or what was never registered, changes nothing.
  Unregister("mp3");
  Unregister("ogg");
  EXPECT_EQ(ReadFile(MimeAppsList()), list);
}

TEST_F(Associations, AnExtensionWithoutMimeTypeGetsOurPackage) {
  const std::string ext = "vombrelzz";
  ASSERT_TRUE(ExtensionMimeTypes(ext, root_).empty());
  Register(ext);
  const std::string type = OwnMimeType(ext);
  EXPECT_EQ(type, "application/x-vombrel-vombrelzz");
  EXPECT_TRUE(fs::exists(base_ / "data" / "mime" / "packages" / "vombrel-vombrelzz.xml"));
  ASSERT_EQ(OurEntries().size(), 1u);
  EXPECT_EQ(DefaultFor(type), "Vombrel.Kelvatro.vombrelzz.desktop");
  // The desktop's MIME database now types such a file, whatever its letter case.
  WriteFile(base_ / "song.VOMBRELZZ", "some bytes");
  EXPECT_NE(Tool("gio info -a standard::content-type " + Quote((base_ / "song.VOMBRELZZ").string())).text.find(type),
            std::string::npos);
  // Registering again finds no system type (our own does not count) and keeps one package.
  Register(ext);
  EXPECT_EQ(OurEntries().size(), 1u);
  Unregister(ext);
  EXPECT_TRUE(OurEntries().empty());
  EXPECT_FALSE(fs::exists(base_ / "data" / "mime" / "packages" / "vombrel-vombrelzz.xml"));
}

TEST_F(Associations, TypedExtensionsStayInsideTheFoldersAndKeepEntriesValid) {
  const std::string cases[] = {"../x",        "",
                               "a b",         std::string(300, 'q'),
                               "\xC3\xA8x",   "a\"b;c$d`e\\f",
                               "x%f",         "a\nExec=evil",
                               "/etc/passwd", "\xFF\xFE",
                               "..",          "."};
  for (const auto& ext : cases) {
    SCOPED_TRACE(ext);
    Register(ext);
    for (const auto& file : AllFiles())
      EXPECT_TRUE(file.rfind("data/applications/", 0) == 0 || file.rfind("data/mime/", 0) == 0 ||
                  file == "config/mimeapps.list")
          << file;
    const auto entries = OurEntries();
    EXPECT_LE(entries.size(), 1u);
    for (const auto& entry : entries) {
      EXPECT_LE(entry.filename().string().size(), 255u);
      // One Exec line each for the open command and the action, nothing injected.
      const std::string text = ReadFile(entry);
      EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 13) << text;
    }
    Unregister(ext);
    EXPECT_TRUE(OurEntries().empty());
  }
  EXPECT_FALSE(fs::exists(base_ / "x"));
}

TEST_F(Associations, RegisteringTheOpenCommandAgainKeepsTheVerb) {
  Register("MP3");
  RegisterOpenAssociation("MP3", ProgIdOf("MP3"), kProgram, root_);
  const auto entries = OurEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_NE(ReadFile(entries[0]).find("Name=Enqueue in Vombrel"), std::string::npos);
}

TEST_F(Associations, AHandEditedEntryIsReplacedAndRemoved) {
  WriteFile(Applications() / "Vombrel.Kelvatro.MP3.desktop", "[Desktop Action Enqueue]\nName=x\nExec=\x01\n");
  RegisterOpenAssociation("MP3", ProgIdOf("MP3"), kProgram, root_);
  ASSERT_EQ(OurEntries().size(), 1u);
  EXPECT_EQ(ReadFile(Applications() / "Vombrel.Kelvatro.MP3.desktop").find("Action"), std::string::npos);
  WriteFile(Applications() / "Vombrel.Kelvatro.MP3.desktop", "garbage\n[Desktop Action Enqueue\nExec=\n\x01\x02");
  Register("MP3");
  ASSERT_EQ(OurEntries().size(), 1u);
  Unregister("MP3");
  EXPECT_TRUE(OurEntries().empty());
}

TEST_F(Associations, AnUnwritableApplicationsFolderChangesNothingElse) {
  WriteFile(Applications(), "a file where the folder should be");
  WriteFile(MimeAppsList(), "[Default Applications]\naudio/mpeg=other.desktop;\n");
  EXPECT_FALSE(RegisterOpenAssociation("MP3", ProgIdOf("MP3"), kProgram, root_));
  EXPECT_FALSE(RegisterEnqueueVerb("MP3", ProgIdOf("MP3"), kProgram, "Vombrel", kEnqueueVerb, root_));
  EXPECT_EQ(ReadFile(MimeAppsList()), "[Default Applications]\naudio/mpeg=other.desktop;\n");
  Unregister("MP3");
  EXPECT_EQ(ReadFile(Applications()), "a file where the folder should be");
}

TEST_F(Associations, AHugeMimeAppsListIsLeftAlone) {
  const std::string huge = "[Default Applications]\n" + std::string(5 * 1024 * 1024, '#') + "\n";
  WriteFile(MimeAppsList(), huge);
  Register("MP3");
  EXPECT_EQ(ReadFile(MimeAppsList()), huge);
  EXPECT_EQ(OurEntries().size(), 1u);
}

TEST_F(Associations, AMimeAppsListLinkIsEditedThroughTheLink) {
  WriteFile(base_ / "dotfiles" / "mimeapps.list", "[Default Applications]\n");
  fs::create_directories(MimeAppsList().parent_path());
  fs::create_symlink(base_ / "dotfiles" / "mimeapps.list", MimeAppsList());
  Register("MP3");
  EXPECT_TRUE(fs::is_symlink(MimeAppsList()));
  EXPECT_EQ(ReadFile(base_ / "dotfiles" / "mimeapps.list"),
            "[Default Applications]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;\n");
}

TEST_F(Associations, ClearingOverridesLiftsOnlyOurRemovedAssociations) {
  WriteFile(MimeAppsList(),
            "[Removed Associations]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;other.desktop;\n"
            "audio/ogg=Vombrel.Kelvatro.OGG.desktop;\n");
  ClearExplorerOverrides({"mp3", "wav"}, root_);
  EXPECT_EQ(ReadFile(MimeAppsList()),
            "[Removed Associations]\naudio/mpeg=other.desktop;\naudio/ogg=Vombrel.Kelvatro.OGG.desktop;\n");
}

TEST_F(Associations, OggMapsToEveryTypeTheDatabaseGivesIt) {
  const StringList types = ExtensionMimeTypes("OGG", root_);
  EXPECT_NE(std::find(types.begin(), types.end(), "audio/ogg"), types.end());
  EXPECT_NE(std::find(types.begin(), types.end(), "video/ogg"), types.end());
  Register("OGG");
  for (const auto& type : types) EXPECT_EQ(DefaultFor(type), "Vombrel.Kelvatro.OGG.desktop") << type;
}

}  // namespace
}  // namespace vombrel
