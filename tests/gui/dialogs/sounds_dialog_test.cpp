// SPDX-License-Identifier: GPL-2.0-or-later
// The Sounds and Icon dialogs: what they list and select, what Preview plays, what OK gives.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "gui/controls/app_icons.h"
#include "gui/controls/korv_combobox.h"
#include "gui/dialogs/sounds_dialog.h"

namespace zorvane {
namespace {

const QStringList kChoices{"[no sound]", "a.wav", "b.wav"};

TEST(SoundsDialogTest, ListsSelectTheSettingsOrNoSound) {
  TfrmSounds dialog(kChoices, {"b.wav", "gone.wav", "[no sound]"}, {});
  for (int i = 0; i < 3; ++i) EXPECT_EQ(dialog.List(i)->Items(), kChoices);
  EXPECT_EQ(dialog.Chosen(), (TSoundChoice{"b.wav", "[no sound]", "[no sound]"}));
  EXPECT_EQ(dialog.List(0)->Caption(), "Server Sound:");
  EXPECT_EQ(dialog.List(1)->Caption(), "Caption:");
  EXPECT_EQ(dialog.List(2)->Caption(), "Player Sound:");
  EXPECT_TRUE(dialog.windowFlags() & Qt::Tool);
}

TEST(SoundsDialogTest, PreviewPlaysItsOwnListsEntry) {
  QStringList previewed;
  TfrmSounds dialog(kChoices, {"a.wav", "b.wav", "[no sound]"},
                    [&previewed](const QString& name) { previewed << name; });
  dialog.findChild<QPushButton*>("btnPreviewPopulated")->click();
  dialog.List(2)->Combobox()->setCurrentIndex(1);
  dialog.findChild<QPushButton*>("btnPreviewPlayer")->click();
  dialog.findChild<QPushButton*>("btnPreviewOnline")->click();
  EXPECT_EQ(previewed, (QStringList{"b.wav", "a.wav", "a.wav"}));
  EXPECT_EQ(dialog.Chosen(), (TSoundChoice{"a.wav", "b.wav", "a.wav"}));
}

TEST(IconDialogTest, PreviewsFollowTheChosenGroup) {
  TfrmIcon dialog(2);
  EXPECT_EQ(dialog.Group(), 2);
  EXPECT_EQ(dialog.PreviewImages(), (std::array<int, 3>{3, 4, 5}));
  dialog.findChild<QComboBox*>("cboIconGroup")->setCurrentIndex(4);
  EXPECT_EQ(dialog.Group(), 5);
  EXPECT_EQ(dialog.PreviewImages(), (std::array<int, 3>{12, 13, 14}));
  EXPECT_EQ(dialog.findChild<QComboBox*>("cboIconGroup")->count(), 5);
  TfrmIcon outOfRange(9);
  EXPECT_EQ(outOfRange.Group(), 5);
}

TEST(AppIconsTest, EveryImageIsDrawnAndDiffersFromTheOthers) {
  QList<QImage> images;
  for (int i = 0; i < kIconImageCount; ++i) {
    const QImage image = IconImage(i, 16).toImage();
    EXPECT_EQ(image.size(), QSize(16, 16));
    int painted = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) painted += qAlpha(image.pixel(x, y)) > 128;
    EXPECT_GT(painted, 64) << i;
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << i;  // corners stay clear
    for (const QImage& other : images) EXPECT_NE(image, other) << i;
    images << image;
  }
}

}  // namespace
}  // namespace zorvane
