#include "platform/Fileassociations.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/Desktopentry.h"
#include "platform/Mimeappslist.h"
#include "support/Supportfiles.h"

extern char** environ;

namespace vombrel {

namespace {

namespace fs = std::filesystem;

// A mimeapps.list larger than this is not a settings file we can edit safely: left alone.
constexpr std::size_t kMaxMimeAppsList = 4 * 1024 * 1024;
constexpr std::string_view kEnqueueActionGroup = "[Desktop Action Enqueue]";

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home == '/') return WithSlash(home);
  if (const passwd* user = getpwuid(getuid()); user && user->pw_dir) return WithSlash(user->pw_dir);
  return "/";
}

// An XDG folder variable: used only when it holds an absolute path.
std::string XdgFolder(const char* variable, std::string_view fallback) {
  const char* value = std::getenv(variable);
  if (value && *value == '/') return WithSlash(value);
  return HomeFolder() + std::string(fallback);
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

std::string ApplicationsFolder(const AssociationRoot& root) { return root.dataHome + "applications/"; }
std::string MimeFolder(const AssociationRoot& root) { return root.dataHome + "mime/"; }
std::string MimeAppsList(const AssociationRoot& root) { return root.configHome + "mimeapps.list"; }
std::string DesktopFilePath(std::string_view progId, const AssociationRoot& root) {
  return ApplicationsFolder(root) + DesktopIdOfProgId(progId);
}
std::string OwnPackagePath(std::string_view ext, const AssociationRoot& root) {
  return MimeFolder(root) + "packages/vombrel-" + FileNameComponent(LowerAscii(ext)) + ".xml";
}

// Runs a cache tool with its output discarded; nothing happens when it is not installed.
void RunTool(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}

void RefreshDesktopDatabase(const AssociationRoot& root) {
  RunTool({"update-desktop-database", "-q", ApplicationsFolder(root)});
}

void RefreshMimeDatabase(const AssociationRoot& root) {
  if (DirectoryExists(MimeFolder(root) + "packages")) RunTool({"update-mime-database", MimeFolder(root)});
}

bool RemoveFile(const std::string& path) {
  std::error_code error;
  fs::remove(path, error);
  return !error;
}

// The real file behind a mimeapps.list that is a link (kept by a dotfiles manager), so
// that replacing it keeps the link.
std::string ResolvedPath(const std::string& path) {
  std::error_code error;
  if (!fs::is_symlink(path, error)) return path;
  const fs::path target = fs::weakly_canonical(path, error);
  return error ? path : target.string();
}

// Reads mimeapps.list, applies the edit and writes it back when it changed.
template <typename Edit>
bool EditMimeAppsList(const AssociationRoot& root, Edit edit) {
  const std::string path = ResolvedPath(MimeAppsList(root));
  std::string text;
  if (FileExists(path)) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error || size > kMaxMimeAppsList) return false;
    const auto bytes = ReadFileBytes(path);
    if (!bytes) return false;
    text = *bytes;
  }
  const std::string edited = edit(text);
  if (edited == text) return true;
  ForceDirectories(ExtractFilePath(path));
  return WriteFileAtomically(path, edited);
}

// Our existing entry's enqueue action, rebuilt from its "Name" and "Exec" lines; empty
// when it has none or they were spoiled (an entry edited by hand).
std::string ExistingEnqueueAction(const std::string& desktopFile) {
  const auto bytes = ReadFileBytes(desktopFile);
  if (!bytes) return {};
  const auto start = bytes->find(std::string(kEnqueueActionGroup) + "\n");
  if (start == std::string::npos) return {};
  std::string name, exec;
  for (const auto& line : SplitText(std::string_view(*bytes).substr(start + kEnqueueActionGroup.size() + 1), "\n")) {
    if (!line.empty() && line.front() == '[') break;
    if (!IsOneLineText(line)) return {};
    if (line.rfind("Name=", 0) == 0) name = line;
    if (line.rfind("Exec=", 0) == 0) exec = line;
  }
  if (name.size() <= 5 || exec.size() <= 5) return {};
  return std::string(kEnqueueActionGroup) + "\n" + name + "\n" + exec + "\n";
}

// The icon: the installed scalable icon beside the program, the copy in the build
// folder, else the theme name.
std::string ProgramIcon(std::string_view exePath) {
  const std::string folder = ExtractFilePath(exePath);
  for (const std::string& candidate :
       {folder + "../share/icons/hicolor/scalable/apps/vombrel.svg", folder + "vombrel.svg"}) {
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return fs::weakly_canonical(candidate, error).string();
  }
  return "vombrel";
}

std::string EnqueueAction(std::string_view exePath, std::string_view appName, std::string_view verb) {
  return std::string(kEnqueueActionGroup) + "\nName=" + EscapeDesktopValue(verb) + "\nExec=" +
         EscapeDesktopValue(QuoteExecArgument(exePath, true) + " " + std::string(kShellExecuteSwitch) + " " +
                            QuoteExecArgument(appName) + " " + QuoteExecArgument(verb) + " %f") +
         "\n";
}

std::string DesktopEntry(std::string_view exePath, const StringList& mimeTypes, const std::string& action) {
  std::string text = "[Desktop Entry]\nType=Application\nName=Vombrel\nExec=" +
                     EscapeDesktopValue(QuoteExecArgument(exePath, true) + " %f") +
                     "\nIcon=" + EscapeDesktopValue(ProgramIcon(exePath)) +
                     "\nTerminal=false\nNoDisplay=true\nMimeType=";
  for (const auto& type : mimeTypes) text += type + ";";
  text += "\n";
  if (!action.empty()) text += "Actions=Enqueue;\n\n" + action;
  return text;
}

std::string OwnPackage(std::string_view ext) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "  <mime-type type=\"" +
         OwnMimeType(ext) +
         "\">\n"
         "    <comment>" +
         EscapeXml(ext) +
         " file</comment>\n"
         "    <glob pattern=\"" +
         EscapeXml(LiteralExtensionGlob(ext)) +
         "\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

// The extension's types; for one the database does not know, our package is written
// (or kept) and its type used. Empty when even that fails.
StringList EnsureMimeTypes(std::string_view ext, const AssociationRoot& root) {
  StringList types = ExtensionMimeTypes(ext, root);
  if (!types.empty()) return types;
  const std::string package = OwnPackagePath(ext, root);
  const std::string text = OwnPackage(ext);
  if (ReadFileBytes(package) != text) {
    if (!ForceDirectories(ExtractFilePath(package)) || !WriteFileAtomically(package, text)) return {};
    RefreshMimeDatabase(root);
  }
  return {OwnMimeType(ext)};
}

bool WriteDesktopEntry(std::string_view progId, std::string_view exePath, const StringList& types,
                       const std::string& action, const AssociationRoot& root) {
  const bool written = ForceDirectories(ApplicationsFolder(root)) &&
                       WriteFileAtomically(DesktopFilePath(progId, root), DesktopEntry(exePath, types, action));
  if (written) RefreshDesktopDatabase(root);
  return written;
}

bool RemoveDesktopEntry(std::string_view progId, const AssociationRoot& root) {
  const std::string path = DesktopFilePath(progId, root);
  if (!FileExists(path)) return true;
  const bool removed = RemoveFile(path);
  RefreshDesktopDatabase(root);
  return removed;
}

}  // namespace

AssociationRoot CurrentUserRoot() {
  AssociationRoot root{XdgFolder("XDG_DATA_HOME", ".local/share/"), XdgFolder("XDG_CONFIG_HOME", ".config/"), {}};
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  for (const auto& dir : SplitText(dirs && *dirs ? dirs : "/usr/local/share/:/usr/share/", ":"))
    if (!dir.empty() && dir.front() == '/') root.dataDirs.push_back(WithSlash(dir));
  return root;
}

std::string DesktopIdOfProgId(std::string_view progId) { return FileNameComponent(progId) + ".desktop"; }

std::string ProgIdOf(std::string_view ext) { return std::string(kProgIdPrefix) + std::string(ext); }

std::string OwnMimeType(std::string_view ext) {
  return std::string(kOwnMimeTypePrefix) + LowerAscii(FileNameComponent(LowerAscii(ext)));
}

StringList ExtensionMimeTypes(std::string_view ext, const AssociationRoot& root) {
  const std::string wanted = "*." + std::string(ext);
  StringList folders{root.dataHome};
  folders.insert(folders.end(), root.dataDirs.begin(), root.dataDirs.end());
  StringList types;
  for (const auto& folder : folders) {
    const auto globs = ReadFileBytes(folder + "mime/globs2");
    if (!globs) continue;
    // Lines: weight:type:glob[:flags]; "cs" among the flags makes the glob case-sensitive.
    for (const auto& line : SplitText(*globs, "\n")) {
      if (line.empty() || line.front() == '#') continue;
      const StringList fields = SplitText(line, ":");
      if (fields.size() < 3) continue;
      const bool caseSensitive = fields.size() > 3 && fields[3].find("cs") != std::string::npos;
      const bool matches = caseSensitive ? fields[2] == wanted : SameText(fields[2], wanted);
      const std::string& type = fields[1];
      if (!matches || type.rfind(kOwnMimeTypePrefix, 0) == 0) continue;
      bool known = false;
      for (const auto& t : types) known = known || SameText(t, type);
      if (!known) types.push_back(type);
    }
  }
  return types;
}

bool RegisterOpenAssociation(std::string_view ext, std::string_view progId, std::string_view exePath,
                             const AssociationRoot& root) {
  if (!IsUsableExtension(ext)) return false;
  const StringList types = EnsureMimeTypes(ext, root);
  if (types.empty()) return false;
  // The enqueue verb lives in the same entry; rewriting the open command keeps it.
  if (!WriteDesktopEntry(progId, exePath, types, ExistingEnqueueAction(DesktopFilePath(progId, root)), root))
    return false;  // a default naming no entry would only hide the type's other programs
  const std::string id = DesktopIdOfProgId(progId);
  return EditMimeAppsList(root, [&](const std::string& text) { return WithDefaultApplication(text, types, id); });
}

bool RegisterEnqueueVerb(std::string_view ext, std::string_view progId, std::string_view exePath,
                         std::string_view appName, std::string_view verb, const AssociationRoot& root) {
  if (!IsUsableExtension(ext) || !IsOneLineText(verb) || !IsOneLineText(appName)) return false;
  const StringList types = EnsureMimeTypes(ext, root);
  if (types.empty()) return false;
  return WriteDesktopEntry(progId, exePath, types, EnqueueAction(exePath, appName, verb), root);
}

bool UnregisterOpenAssociation(std::string_view ext, std::string_view progId, const AssociationRoot& root) {
  const std::string id = DesktopIdOfProgId(progId);
  const auto ours = [&](std::string_view desktopId) { return desktopId == id; };
  bool done = EditMimeAppsList(root, [&](const std::string& text) {
    return WithoutDesktopIds(WithoutDesktopIds(text, kDefaultApplicationsGroup, ours), "Added Associations", ours);
  });
  const std::string package = OwnPackagePath(ext, root);
  if (FileExists(package)) {
    done = RemoveFile(package) && done;
    RefreshMimeDatabase(root);
  }
  return RemoveDesktopEntry(progId, root) && done;
}

bool UnregisterEnqueueVerb(std::string_view, std::string_view progId, std::string_view, const AssociationRoot& root) {
  // The verb lives in the program's entry, and removing the verb removes the entry too.
  return RemoveDesktopEntry(progId, root);
}

void ClearExplorerOverrides(const StringList& extensions, const AssociationRoot& root) {
  StringList ids;
  for (const auto& ext : extensions) ids.push_back(DesktopIdOfProgId(ProgIdOf(ext)));
  const auto ours = [&](std::string_view desktopId) {
    for (const auto& id : ids)
      if (SameText(id, desktopId)) return true;
    return false;
  };
  EditMimeAppsList(root,
                   [&](const std::string& text) { return WithoutDesktopIds(text, kRemovedAssociationsGroup, ours); });
}

}  // namespace vombrel
