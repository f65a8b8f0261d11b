// Edits of mimeapps.list keep every line they need not change.
#include <gtest/gtest.h>

#include "platform/Mimeappslist.h"

namespace vombrel {
namespace {

constexpr std::string_view kOurs = "Vombrel.Kelvatro.MP3.desktop";
bool IsOurs(std::string_view id) { return id == kOurs; }

TEST(WithDefaultApplication, Table) {
  const struct {
    std::string before;
    std::string after;
  } cases[] = {
      {"", "[Default Applications]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;\n"},
      {"[Added Associations]\nx/y=a.desktop;",
       "[Added Associations]\nx/y=a.desktop;\n[Default Applications]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;\n"},
      {"# mine\n[Default Applications]\naudio/mpeg=other.desktop;\n\n[Added Associations]\n",
       "# mine\n[Default Applications]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;other.desktop;\n\n[Added Associations]\n"},
      // Already first: no second copy.
      {"[Default Applications]\naudio/mpeg=other.desktop;Vombrel.Kelvatro.MP3.desktop\n",
       "[Default Applications]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;other.desktop;\n"},
      // A type without a line gets one after the group's last entry, before blank lines.
      {"[Default Applications]\nvideo/mp4=v.desktop;\n\n[Removed Associations]\n",
       "[Default Applications]\nvideo/mp4=v.desktop;\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;\n\n[Removed Associations]\n"},
      // Repeated groups and keys in other letter case: every line of the type is edited.
      {"[Default Applications]\nAudio/MPEG=a.desktop;\n[Default Applications]\naudio/mpeg=b.desktop;\n",
       "[Default Applications]\nAudio/MPEG=Vombrel.Kelvatro.MP3.desktop;a.desktop;\n[Default Applications]\n"
       "audio/mpeg=Vombrel.Kelvatro.MP3.desktop;b.desktop;\n"},
      // CR LF files stay CR LF; bytes that are not UTF-8 stay.
      {"[Default Applications]\r\nx/\xE8=z.desktop;\r\n",
       "[Default Applications]\r\nx/\xE8=z.desktop;\r\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithDefaultApplication(c.before, {"audio/mpeg"}, kOurs), c.after) << c.before;
}

TEST(WithoutDesktopIds, Table) {
  const struct {
    std::string before;
    std::string after;
  } cases[] = {
      {"[Default Applications]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;\n", "[Default Applications]\n"},
      {"[Default Applications]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;other.desktop;\nx=y\n",
       "[Default Applications]\naudio/mpeg=other.desktop;\nx=y\n"},
      // Another group's lines and lines without us stay byte for byte.
      {"[Added Associations]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;\n[Default Applications]\n a = b ;; \n",
       "[Added Associations]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop;\n[Default Applications]\n a = b ;; \n"},
      {"garbage\x01\xFF\n[Default Applications]\naudio/mpeg=Vombrel.Kelvatro.MP3.desktop",
       "garbage\x01\xFF\n[Default Applications]\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WithoutDesktopIds(c.before, kDefaultApplicationsGroup, IsOurs), c.after) << c.before;
}

TEST(MimeAppsList, RemovingUndoesAdding) {
  const std::string original =
      "# comment\n[Default Applications]\naudio/mpeg=other.desktop;\ntext/plain=ed.desktop;\n\n"
      "[Default Applications]\nvideo/ogg=v.desktop;\n[Added Associations]\naudio/mpeg=o.desktop;\n";
  const std::string added = WithDefaultApplication(original, {"audio/mpeg", "video/ogg"}, kOurs);
  EXPECT_NE(added, original);
  EXPECT_EQ(WithDefaultApplication(added, {"audio/mpeg", "video/ogg"}, kOurs), added);
  EXPECT_EQ(WithoutDesktopIds(added, kDefaultApplicationsGroup, IsOurs), original);
}

}  // namespace
}  // namespace vombrel
