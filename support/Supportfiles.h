// The program's folders and small file services. Every folder handed out ends with "/"
// and exists (all missing levels are created; a failure is not reported here, the later
// write into the folder reports it).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Supportstring.h"

namespace vombrel {

// The program folder: the folder holding the executable, or its "../share/vombrel/" when
// that exists (installed layout).
std::string AppDir();
std::string AppSubDir(std::string_view name);

// The user data folder chosen at start (see SetUserDirChoice), created if missing.
std::string UserDir();
std::string UserSubDir(std::string_view name);

// The running executable's full path.
std::string ExecutablePath();
// The executable's file name without folder and extension.
std::string ExeName();

// Fixes the user data folder from the startup setting "Avvio"/"UserDir":
// "<UserAppData>" (default) = $XDG_CONFIG_HOME/<exe name>/, "<SharedAppData>" =
// /var/lib/<exe name>/, "<APPDIR>" = <program folder>User/ (all in any case), anything
// else = the value exactly as written. The first three are created at once.
void SetUserDirChoice(std::string_view choice);
// The folder a choice stands for, without creating it.
std::string ResolveUserDirChoice(std::string_view choice);

// For tests: replaces the program folder (nullopt restores the real one).
void SetAppDirForTesting(std::optional<std::string> folder);

// The file name without folder and without the extension (from its last ".").
std::string FileBaseName(std::string_view path);

// Folder + name of every entry (files and folders) matching the wildcard pattern, e.g.
// "/usr/share/vombrel/Langs/*.lng", in the order the file system lists them. Names match
// without regard to case, and a leading "." like any other character (".clr" matches
// "*.clr"). A missing folder gives an empty list. The process's current
// directory is never changed.
StringList ListFiles(std::string_view pattern);
// Appends the name of every match minus its last four characters.
void ListFileBaseNames(StringList& list, std::string_view pattern);

// Creates the folder and every missing level; true when it exists afterwards.
bool ForceDirectories(std::string_view folder);
bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);

// Whole file as bytes; nullopt when it cannot be read.
std::optional<std::string> ReadFileBytes(std::string_view path);

// Replaces the file atomically: the bytes go to a temporary file beside it, are flushed,
// and the temporary file is renamed over the target. On failure the target is unchanged,
// nothing is left behind, and the reason is stored in *error when given.
bool WriteFileAtomically(std::string_view path, std::string_view bytes, std::string* error = nullptr);

}  // namespace vombrel
