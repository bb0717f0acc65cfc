// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/single_edit_dialog.h"

#include <gtest/gtest.h>

#include "support/app_fonts.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

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

// Every text whole, at the desktop's font and at 14 points.
TEST(SingleEditDialogTest, TextsFitAtTheDefaultFontAndAt14Points) {
  testing::AtDesktopFontAnd14Points([&] {
    RecordingDialogs dialogs;
    for (const TSingleEditSetup& setup :
         {TSingleEditSetup{"Local Port", "Local Port:", "65535", false, false, true},
          TSingleEditSetup{"Find Server", "Server:", "Frag Haus", true, true, false}}) {
      TfrmLocalPort dialog(dialogs);
      dialog.Setup(setup);
      dialog.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
      const QLabel* caption = dialog.Edit()->CaptionLabel();
      EXPECT_GE(caption->width(), caption->sizeHint().width()) << caption->text().toStdString();
      EXPECT_GE(caption->height(), caption->fontMetrics().height());
      const QLineEdit* edit = dialog.Edit()->Edit();
      EXPECT_GE(edit->height(), edit->sizeHint().height());
      EXPECT_GT(edit->width(), edit->fontMetrics().horizontalAdvance(setup.text));
      for (const QWidget* widget : {static_cast<const QWidget*>(dialog.ExactMatchBox()),
                                    static_cast<const QWidget*>(dialog.OkButton()),
                                    static_cast<const QWidget*>(dialog.CancelButton())}) {
        if (!widget->isVisible()) continue;
        EXPECT_GE(widget->width(), widget->sizeHint().width());
        EXPECT_GE(widget->height(), widget->sizeHint().height());
        EXPECT_TRUE(dialog.rect().contains(widget->geometry()));
      }
    }
  });
}

// Whatever is no port gets one message, and the dialog comes back with the text as typed.
TEST(SingleEditDialogTest, LocalPortTakesANumberAndAsksAgainForAnythingElse) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"7790", 7790},          {"0", 0},
      {"65535", 65535},        {"", std::nullopt},
      {"70000", std::nullopt}, {"-1", std::nullopt},
      {"77a", std::nullopt},
  };
  for (const auto& [text, port] : cases) {
    SCOPED_TRACE(text);
    RecordingDialogs dialogs;
    QStringList shown;  // the dialog's text each time it opened
    QString title, caption;
    std::function<void(QWidget*)> answer = [&, text = text, port = port](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmLocalPort*>(modal);
      ASSERT_TRUE(dialog);
      title = dialog->windowTitle();
      caption = dialog->Edit()->Caption();
      shown << dialog->Edit()->Text();
      if (shown.size() == 1) {
        if (!port) WhenModal(answer);  // the dialog shown again after a refusal is cancelled
        dialog->Edit()->SetText(text);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
      } else {
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
      }
    };
    WhenModal(answer);
    EXPECT_EQ(EditLocalPort(nullptr, dialogs, 7778), port);
    EXPECT_EQ(title, "Local Port");
    EXPECT_EQ(caption, "Local Port:");
    if (port) {
      EXPECT_EQ(shown, QStringList{"7778"});
      EXPECT_TRUE(dialogs.errors.isEmpty());
    } else {
      EXPECT_EQ(shown, (QStringList{"7778", text}));
      EXPECT_EQ(dialogs.errors, QStringList{"The local port must be a number from 0 to 65535."});
    }
  }
}

}  // namespace
}  // namespace zorvane
