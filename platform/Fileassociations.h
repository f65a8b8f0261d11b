// File associations for the current user, on the freedesktop.org model.
//
// Each extension gets a desktop entry "<progId>.desktop" (progId "Vombrel.Kelvatro.<ext>",
// made a safe file name by FileNameComponent) in $XDG_DATA_HOME/applications: its Exec
// runs the program with the file, its Icon is the program's, its MimeType lists the
// extension's types and, once the enqueue verb is registered, its desktop action
// "Enqueue" (named by the verb, "Enqueue in Vombrel") runs the program's client mode,
// which sends ["<verb>" "<file>"] to the shell command server. The types come from the
// shared-mime-info database; an extension it does not know gets a MIME package of ours
// in $XDG_DATA_HOME/mime/packages. The open association makes the entry the first
// choice for those types in $XDG_CONFIG_HOME/mimeapps.list.
//
// Unregistering removes only what these operations wrote: the entry, our package, and
// our desktop id from the lists in mimeapps.list; another program's choice for the same
// type stays. A step that fails is skipped silently and the next one runs; every file is
// replaced atomically; the desktop and MIME caches are rebuilt when their tools exist.
// An extension that IsUsableExtension rejects registers nothing. Qt-free; one caller at
// a time (the options window, on the user-interface thread).
#pragma once

#include <string>
#include <string_view>

#include "support/Supportstring.h"

namespace vombrel {

inline constexpr std::string_view kProgIdPrefix = "Vombrel.Kelvatro.";
inline constexpr std::string_view kEnqueueVerb = "Enqueue in Vombrel";
inline constexpr std::string_view kShellCommandApplication = "Vombrel";
// The client mode's switch: <program> --dde-execute <service> <command> <file>.
inline constexpr std::string_view kShellExecuteSwitch = "--dde-execute";
// MIME types of our own packages start with this.
inline constexpr std::string_view kOwnMimeTypePrefix = "application/x-vombrel-";

// The folders the operations act on (each ending with "/"), in place of a registry root.
struct AssociationRoot {
  std::string dataHome;    // $XDG_DATA_HOME, else ~/.local/share/
  std::string configHome;  // $XDG_CONFIG_HOME, else ~/.config/
  StringList dataDirs;     // $XDG_DATA_DIRS, else /usr/local/share/ and /usr/share/
};
AssociationRoot CurrentUserRoot();

// "<progId as a file name>.desktop".
std::string DesktopIdOfProgId(std::string_view progId);
std::string ProgIdOf(std::string_view ext);
// The MIME types whose glob is exactly "*.<ext>" in the shared-mime-info databases of
// the root (types of our own packages left out), in database order.
StringList ExtensionMimeTypes(std::string_view ext, const AssociationRoot& root);
// The type our own package gives an extension the database does not know.
std::string OwnMimeType(std::string_view ext);

// The operations of the options window. True when every step succeeded (the program's
// callers do not look at it).
bool RegisterOpenAssociation(std::string_view ext, std::string_view progId, std::string_view exePath,
                             const AssociationRoot& root = CurrentUserRoot());
bool RegisterEnqueueVerb(std::string_view ext, std::string_view progId, std::string_view exePath,
                         std::string_view appName, std::string_view verb,
                         const AssociationRoot& root = CurrentUserRoot());
bool UnregisterOpenAssociation(std::string_view ext, std::string_view progId,
                               const AssociationRoot& root = CurrentUserRoot());
bool UnregisterEnqueueVerb(std::string_view ext, std::string_view progId, std::string_view verb,
                           const AssociationRoot& root = CurrentUserRoot());
// Lifts the user's overrides that hide our entries: our desktop ids for these
// extensions leave the "[Removed Associations]" lists of mimeapps.list.
void ClearExplorerOverrides(const StringList& extensions, const AssociationRoot& root = CurrentUserRoot());

}  // namespace vombrel
