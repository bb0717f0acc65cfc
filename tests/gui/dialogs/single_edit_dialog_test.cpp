// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/single_edit_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui/controls/korv_edit.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

TEST(SingleEditDialogTest, NumbersOnlyRefusesOtherTextAndStaysOpen) {
  struct Case {
    const char* text;
    bool numbersOnly;
    bool accepted;
  };
  const Case cases[] = {
      {"7777", true, true}, {"", true, true},          {"77a", true, false},
      {"-1", true, false},  {"Player 1", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    RecordingDialogs dialogs;
    TfrmLocalPort dialog(dialogs);
    dialog.Setup({"Add Player", "Player:", "", false, false, c.numbersOnly});
    dialog.show();
    QTest::keyClicks(dialog.Edit()->Edit(), c.text);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.isVisible(), !c.accepted);
    EXPECT_EQ(dialogs.errors.isEmpty(), c.accepted);
    if (!c.accepted) {
      EXPECT_EQ(dialogs.errors[0], "Player: must be a valid integer.");
    }
  }
}

TEST(SingleEditDialogTest, ExactMatchShownOnlyWhenAskedAndReturned) {
  RecordingDialogs dialogs;
  TfrmLocalPort plain(dialogs);
  EXPECT_TRUE(plain.NumbersOnly());  // on when created
  plain.show();
  EXPECT_GE(plain.width(), 212);  // as designed, or more for the font
  EXPECT_GE(plain.height(), 82);
  EXPECT_FALSE(plain.ExactMatchBox()->isVisible());
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmLocalPort*>(modal);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), "Find Player");
    EXPECT_TRUE(dialog->ExactMatchBox()->isVisible());
    QTest::keyClicks(dialog->Edit()->Edit(), "Loque");
    QTest::mouseClick(dialog->ExactMatchBox(), Qt::LeftButton);
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  const auto result =
      RunSingleEdit(nullptr, dialogs, {"Find Player", "Player:", "", true, false, false});
  ASSERT_TRUE(result);
  EXPECT_EQ(result->text, "Loque");
  EXPECT_TRUE(result->exactMatch);
}

TEST(SingleEditDialogTest, LocalPortTakesANumberAndRefusesAnEmptyText) {
  const std::tuple<const char*, std::optional<int>, const char*> cases[] = {
      {"7790", 7790, nullptr},
      {"", std::nullopt, "The local port must be a valid integer."},
      {"70000", std::nullopt, "The local port must be a valid integer."},
  };
  for (const auto& [text, port, error] : cases) {
    SCOPED_TRACE(text);
    RecordingDialogs dialogs;
    QString title, caption, shown;
    WhenModal([&, text = text](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmLocalPort*>(modal);
      ASSERT_TRUE(dialog);
      title = dialog->windowTitle();
      caption = dialog->Edit()->Caption();
      shown = dialog->Edit()->Text();
      dialog->Edit()->SetText(text);
      QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(EditLocalPort(nullptr, dialogs, 7778), port);
    EXPECT_EQ(title, "Local Port");
    EXPECT_EQ(caption, "Local Port:");
    EXPECT_EQ(shown, "7778");
    EXPECT_EQ(dialogs.errors, error ? QStringList{error} : QStringList{});
  }
}

}  // namespace
}  // namespace zorvane
