// The program's folders and small file services. Every folder handed out ends with "/"
// and exists (all missing levels are created; a failure is not reported here, the later
// write into the folder reports it).
#pragma once

#include <cerrno>
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

// The file that a listing of folder + "*" + extension shows under the base name (as
// FileBaseName gives it): folder + baseName + extension when that exists, else the
// listed entry whose extension differs only in letter case ("Foo.SO" for "Foo" and
// ".so"). Without such an entry, folder + baseName + extension.
std::string ListedFilePath(std::string_view folder, std::string_view baseName, std::string_view extension);

// Creates the folder and every missing level; true when it exists afterwards.
bool ForceDirectories(std::string_view folder);
bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);

// Reading files. Only regular files are read (a symbolic link is followed): a folder, a
// named pipe, a device or a socket is refused before it is opened, so that no read ever
// blocks on a pipe nor runs on without end from a device.

// Errors given for a path that exists but is no regular file (EISDIR for a folder).
inline constexpr int kNotRegularFileError = EINVAL;

// True when the path names a regular file (after following symbolic links). The player
// engines check a media path with it before handing it to a decoder or loading a library.
bool IsRegularFile(std::string_view path);

// Opens a regular file read-only (close-on-exec) and returns its descriptor, which the
// caller closes; -1 with errno set when it cannot be opened or is no regular file (then
// kNotRegularFileError, or EISDIR for a folder). Never blocks.
int OpenRegularFile(std::string_view path);

// The reason text of an error of OpenRegularFile, ReadFileBytes or WriteFileAtomically.
std::string FileErrorText(int error);

// Whole regular file as bytes; nullopt when it cannot be read, with the errno-style reason
// in *error when given (ENOENT: there is no such file).
std::optional<std::string> ReadFileBytes(std::string_view path, int* error = nullptr);

// Replaces the file atomically: the bytes go to a temporary file beside it, are flushed,
// and the temporary file is renamed over the target. On failure the target is unchanged,
// nothing is left behind, and the reason is stored in *error when given.
// - A symbolic link is followed (also a dangling one): the file it leads to is replaced,
//   the link stays.
// - A file the user may not write is not replaced: write permission as the system grants
//   it, and, since the superuser passes every permission test, a file (or folder) whose
//   mode grants nobody write access counts as protected for every user.
// - Only a regular file is replaced; a folder, pipe or device at the path is refused.
// - The file keeps its mode (and, where the system allows, its owner and group); a new
//   file gets the permissions the process's umask leaves of rw-rw-rw-.
bool WriteFileAtomically(std::string_view path, std::string_view bytes, std::string* error = nullptr);

}  // namespace vombrel
