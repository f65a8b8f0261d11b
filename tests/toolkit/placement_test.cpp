// Window placement and recent files in the settings file, beside the store's own keys.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "support/Configurazione.h"
#include "support/Inifile.h"
#include "support/Supportfiles.h"
#include "toolkit/Formplacement.h"

namespace vombrel {
namespace {

class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("vombrel-place-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    SetAppDirForTesting(folder_.string() + "/");
    store_ = std::make_unique<TConfigurazione>(folder_.string() + "/Config", "Kelvatro/Vombrel");
    store_->WriteBool("General", "Repeat", true);
  }
  void TearDown() override {
    store_.reset();
    SetAppDirForTesting(std::nullopt);
    std::filesystem::remove_all(folder_);
  }
  std::unique_ptr<QWidget> MakeForm(const char* name) {
    auto form = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
    form->setObjectName(name);
    form->resize(252, 322);
    return form;
  }
  std::string ScreenSuffix() const {
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    return "(" + std::to_string(size.width()) + "x" + std::to_string(size.height()) + ")";
  }
  std::filesystem::path folder_;
  std::unique_ptr<TConfigurazione> store_;
};

TEST_F(PlacementTest, CloseWritesEveryKeyInTheFormsSectionBesideTheStoresKeys) {
  auto form = MakeForm("FormVombrel_2");
  auto* placement = new TFormPlacement(form.get());
  BindFormPlacement(*store_, placement, form.get());
  EXPECT_EQ(placement->IniFileName(), store_->IniFileName());
  EXPECT_EQ(placement->IniSection(), "FormVombrel");
  form->show();
  form->move(100, 120);
  form->close();
  store_->WriteInteger("Playlist", "TopDelta", 7);

  const IniFile file(store_->IniFileName());
  for (const char* key : {"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "NormPos"})
    EXPECT_TRUE(file.Read("FormVombrel", key).has_value()) << key;
  EXPECT_EQ(file.Read("FormVombrel", "NormPos"), "100,120,352,442");
  EXPECT_EQ(file.Read("FormVombrel", "NormPos" + ScreenSuffix()), "100,120,352,442");
  EXPECT_TRUE(file.Read("FormVombrel", "MinMaxPos" + ScreenSuffix()).has_value());
  EXPECT_EQ(file.Read("FormVombrel", "ShowCmd"), "1");
  EXPECT_TRUE(store_->ReadBool("General", "Repeat", false));
  EXPECT_EQ(store_->ReadInteger("Playlist", "TopDelta", 0), 7);
}

TEST_F(PlacementTest, ShowRestoresThePositionAndKeepsItOnTheScreen) {
  {
    auto first = MakeForm("FormPlaylist");
    auto* placement = new TFormPlacement(first.get());
    BindFormPlacement(*store_, placement, first.get());
    first->move(300, 200);
    placement->SavePlacement();
  }
  auto second = MakeForm("FormPlaylist");
  BindFormPlacement(*store_, new TFormPlacement(second.get()), second.get());
  second->show();
  EXPECT_EQ(second->pos(), QPoint(300, 200));
  second->hide();

  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  WritePlacement(store_->IniFileName(), "FormPlaylist",
                 StoredPlacement{0, 1, 96, {-1, -1, -1, -1}, {50000, -9000, 50252, -8678}}, screen.width(),
                 screen.height());
  second->show();
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(area.intersects(second->frameGeometry())) << second->pos().x() << "," << second->pos().y();
}

TEST_F(PlacementTest, TwoWindowsKeepTheirOwnSections) {
  auto main = MakeForm("FormVombrel");
  auto video = MakeForm("FormVideo");
  BindFormPlacement(*store_, new TFormPlacement(main.get()), main.get());
  BindFormPlacement(*store_, new TFormPlacement(video.get()), video.get());
  main->show();
  video->show();
  main->move(10, 20);
  video->move(30, 40);
  main->close();
  video->close();
  const IniFile file(store_->IniFileName());
  EXPECT_EQ(file.Read("FormVombrel", "NormPos"), "10,20,262,342");
  EXPECT_EQ(file.Read("FormVideo", "NormPos"), "30,40,282,362");
}

TEST_F(PlacementTest, RecentFilesKeepTenNewestFirstInTheirOwnSection) {
  auto form = MakeForm("FormVombrel");
  auto* placement = new TFormPlacement(form.get());
  BindFormPlacement(*store_, placement, form.get());
  auto* recent = new TMRUManager(form.get());
  recent->SetFormPlacement(placement);
  EXPECT_TRUE(recent->Strings().isEmpty());
  for (int index = 0; index < 12; ++index) recent->Add(QString("/music/list%1.vpl").arg(index));
  recent->Add("/music/list5.vpl");
  QStringList expected{"/music/list5.vpl"};
  for (int index = 11; index >= 2; --index)
    if (index != 5) expected << QString("/music/list%1.vpl").arg(index);
  EXPECT_EQ(recent->Strings(), expected);
  EXPECT_EQ(recent->Strings().size(), TMRUManager::kCapacity);

  TMRUManager reread;
  reread.SetFormPlacement(placement);
  EXPECT_EQ(reread.Strings(), expected);
  EXPECT_TRUE(store_->ReadBool("General", "Repeat", false));

  QMenu menu;
  recent->Clear();
  recent->Add("/a&b.vpl");
  recent->FillMenu(&menu);
  ASSERT_EQ(menu.actions().size(), 1);
  EXPECT_EQ(menu.actions()[0]->text(), "/a&&b.vpl");
  EXPECT_TRUE(menu.isEnabled());
  QStringList clicked;
  QObject::connect(recent, &TMRUManager::Click, [&clicked](const QString& path) { clicked << path; });
  menu.actions()[0]->trigger();
  EXPECT_EQ(clicked, QStringList({"/a&b.vpl"}));
  recent->Clear();
  recent->FillMenu(&menu);
  EXPECT_FALSE(menu.isEnabled());
}

}  // namespace
}  // namespace vombrel
