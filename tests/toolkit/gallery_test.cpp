// End to end: the gallery on the test X server, painted from a scheme file, photographed
// from the screen itself (not from Qt) and checked for the scheme's colours.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <map>

#include "support/Supportaspetto.h"

namespace vombrel {
namespace {

// A dark scheme whose roles are easy to tell apart.
SchemeColors GalleryScheme() {
  return {MakeRgb(51, 51, 51),    MakeRgb(128, 128, 128), MakeRgb(80, 80, 80),  MakeRgb(120, 120, 120),
          MakeRgb(32, 32, 32),    MakeRgb(64, 64, 64),    MakeRgb(255, 128, 0), MakeRgb(0, 51, 102),
          MakeRgb(240, 240, 240), MakeRgb(255, 255, 255), MakeRgb(26, 26, 26)};
}

std::map<QRgb, int> CountColours(const QImage& image) {
  std::map<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y) | 0xFF000000u];
  return counts;
}

TEST(Gallery, ShowsEveryRoleOfTheSchemeOnTheScreen) {
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "the test command provides an X server";
  const auto folder = std::filesystem::temp_directory_path() / "vombrel-gallery-test";
  std::filesystem::create_directories(folder);
  const std::string scheme = (folder / "dark.clr").string();
  ASSERT_TRUE(WriteSchemeFile(scheme, GalleryScheme(), SchemeFileOrder::Current));

  QProcess gallery;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "xcb");
  gallery.setProcessEnvironment(environment);
  gallery.start(VOMBREL_BINARY_DIR "/bin/vombrel-gallery", {QString::fromStdString(scheme)});
  ASSERT_TRUE(gallery.waitForStarted(20000));
  ASSERT_TRUE(gallery.waitForReadyRead(30000)) << gallery.readAllStandardError().toStdString();
  EXPECT_EQ(gallery.readLine().trimmed(), "ready");

  const std::string shot = (folder / "screen.png").string();
  QProcess import;
  import.start("import", {"-window", "root", QString::fromStdString(shot)});
  ASSERT_TRUE(import.waitForFinished(30000));
  EXPECT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
  gallery.kill();
  gallery.waitForFinished(10000);

  QImage screen(QString::fromStdString(shot));
  ASSERT_FALSE(screen.isNull());
  const auto counts = CountColours(screen.convertToFormat(QImage::Format_RGB32));
  const SchemeColors colors = GalleryScheme();
  // Roles painted as faces cover large areas; text and frames at least a line.
  const std::vector<std::pair<ColorRole, int>> expectations{
      {crFace, 5000}, {crTextBox, 20000}, {crTitle, 3000},       {crButtonFace, 1000}, {crScroll, 300},
      {crThumb, 50},  {crBorder, 500},    {crButtonBorder, 300}, {crTitleFont, 20},    {crTextFont, 100},
  };
  for (const auto& [role, minimum] : expectations) {
    const TColor color = colors[role];
    const QRgb rgb = qRgb(RedOf(color), GreenOf(color), BlueOf(color));
    const auto found = counts.find(rgb);
    const int count = found == counts.end() ? 0 : found->second;
    EXPECT_GE(count, minimum) << ColorRoleKey(role);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vombrel

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
