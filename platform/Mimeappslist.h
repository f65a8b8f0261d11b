// Edits of a mimeapps.list (MIME Applications Associations) that touch only the lines
// they must: every other line, blank lines, comments, repeated groups and bytes that are
// not UTF-8 stay exactly as they were, line ends included. Pure text functions.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "support/Supportstring.h"

namespace vombrel {

inline constexpr std::string_view kDefaultApplicationsGroup = "Default Applications";
inline constexpr std::string_view kRemovedAssociationsGroup = "Removed Associations";

// Makes desktopId the first choice for every MIME type: in each line of the type in any
// "[Default Applications]" group it moves to the front of the list (once); a type without
// a line gets "type=desktopId;" at the end of the first such group, and a text without
// the group gets the group at its end.
std::string WithDefaultApplication(std::string_view text, const StringList& mimeTypes, std::string_view desktopId);

// Takes the desktop ids for which `ours` is true out of every list in every group named
// `group`; a line whose list becomes empty is removed. Keys compare without regard to
// letter case.
std::string WithoutDesktopIds(std::string_view text, std::string_view group,
                              const std::function<bool(std::string_view desktopId)>& ours);

}  // namespace vombrel
