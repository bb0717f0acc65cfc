// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"

namespace zorvane {
namespace {

TEST(CaptionedPanelTest, CaptionAndCaptionWidthRules) {
  TkorvEdit edit;
  TkorvCombobox combo;
  for (TkorvCaptionedPanel* panel :
       {static_cast<TkorvCaptionedPanel*>(&edit), static_cast<TkorvCaptionedPanel*>(&combo)}) {
    // The box beside the caption, to the panel's right edge, as tall as its font needs.
    const auto boxBesideCaption = [panel] {
      const QRect box = panel->BoxWidget()->geometry();
      EXPECT_EQ(box.left(), panel->ShownCaptionWidth());
      EXPECT_EQ(box.right(), panel->width() - 1);
      EXPECT_GE(box.height(), 21);
      EXPECT_GE(box.height(), panel->BoxWidget()->sizeHint().height());
    };
    EXPECT_EQ(panel->CaptionWidth(), 70);
    boxBesideCaption();
    for (const auto& [set, shown] : {std::pair{"Port", "Port:"}, {"Port:", "Port:"}, {"", ""}}) {
      panel->SetCaption(QString::fromLatin1(set));
      EXPECT_EQ(panel->Caption(), shown);
    }
    panel->SetPanelWidth(200);
    panel->SetCaptionWidth(190);  // cut so that 20 pixels stay
    EXPECT_EQ(panel->CaptionWidth(), 180);
    boxBesideCaption();
    panel->SetCaptionWidth(-5);
    panel->SetCaptionLeft(-1);
    EXPECT_EQ(panel->CaptionWidth(), 180);
    EXPECT_EQ(panel->CaptionLeft(), 0);
    panel->SetCaptionWidth(60);
    panel->SetPanelWidth(290);  // the box is anchored right as well
    boxBesideCaption();
  }
}

// Designed for an 8-point font, a field grows with a larger one and never cuts its caption;
// a caption the design left room for keeps the design's width, so fields line up.
TEST(CaptionedPanelTest, GrowsWithTheFontAndFitsItsCaption) {
  const QFont original = QApplication::font();
  for (const int points : {8, 10, 14}) {
    SCOPED_TRACE(points);
    QFont font = original;
    font.setPointSize(points);
    TkorvCombobox roomy, tight;
    for (TkorvCombobox* box : {&roomy, &tight}) {
      box->setFont(font);
      box->SetPanelWidth(300);
      box->SetCaptionWidth(120);
    }
    roomy.SetCaption(QStringLiteral("Game"));
    tight.SetCaption(QStringLiteral("A caption far longer than its designed width"));
    const QFontMetrics metrics(font);
    EXPECT_NEAR(roomy.ShownCaptionWidth(), 120.0 * std::max(metrics.height(), 13) / 13, 1);
    EXPECT_GE(tight.ShownCaptionWidth(), metrics.horizontalAdvance(tight.Caption()));
    for (TkorvCombobox* box : {&roomy, &tight}) {
      EXPECT_GE(box->sizeHint().width(), box->ShownCaptionWidth() + 180);  // the designed box
      EXPECT_GE(box->sizeHint().height(), box->Combobox()->sizeHint().height());
    }
  }
}

TEST(KorvEditTest, EveryChangeReportsAndLastTextIsTheOwners) {
  TkorvEdit edit;
  QSignalSpy changed(&edit, &TkorvEdit::Changed);
  QTest::keyClicks(edit.Edit(), QStringLiteral("abc"));
  edit.SetText(QStringLiteral("x"));
  EXPECT_EQ(changed.count(), 4);
  EXPECT_EQ(edit.LastText(), "");
}

// A shown, active window with the box and, first in focus order, another field.
class ComboCommitTest : public testing::Test {
 protected:
  void SetUp() override {
    other_->move(0, 40);
    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    Leave();
  }
  void MakeList(const QString& shown) {
    combo_->SetStyle(TComboStyle::DropDownList);
    combo_->SetItems({"alpha", "beta", "gamma"});
    combo_->SetText(shown);
  }
  void Enter() { combo_->Combobox()->setFocus(Qt::TabFocusReason); }
  void Leave() { other_->setFocus(Qt::TabFocusReason); }
  // Picks an item from the opened list with the keyboard, as a user does.
  void Pick(int row) {
    QComboBox* box = combo_->Combobox();
    box->showPopup();
    box->view()->setCurrentIndex(box->model()->index(row, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
  }

  QWidget window_;
  QLineEdit* other_ = new QLineEdit(&window_);
  TkorvCombobox* combo_ = new TkorvCombobox(&window_);
};

TEST_F(ComboCommitTest, OnlyANewPickReportsAndLeavingAddsNothing) {
  MakeList("alpha");
  Enter();
  QSignalSpy changed(combo_, &TkorvCombobox::Changed);
  QSignalSpy picked(combo_->Combobox(), &QComboBox::activated);
  Pick(0);
  EXPECT_EQ(picked.count(), 1);  // the box did report the pick of the shown item
  EXPECT_EQ(changed.count(), 0);
  Pick(1);
  QTest::keyClick(combo_->Combobox(), Qt::Key_Down);
  EXPECT_EQ(changed.count(), 2);
  EXPECT_EQ(combo_->LastText(), "gamma");
  Leave();
  EXPECT_EQ(changed.count(), 2);
}

TEST_F(ComboCommitTest, FirstCommitFiresUnlessEntered) {
  MakeList("alpha");
  QSignalSpy changed(combo_, &TkorvCombobox::Changed);
  ASSERT_EQ(combo_->LastText(), TkorvCombobox::kUnlikelyText);
  Enter();
  Leave();
  EXPECT_EQ(changed.count(), 0);
  combo_->SetLastText(TkorvCombobox::kUnlikelyText);
  QTest::keyClick(combo_->Combobox(), Qt::Key_Up);  // no move, no notification
  QTest::keyClick(combo_->Combobox(), Qt::Key_Down);
  EXPECT_EQ(changed.count(), 1);
}

TEST_F(ComboCommitTest, VetoedUpdateReportsTheSameTextAgainOnLeaving) {
  MakeList("alpha");
  Enter();
  bool veto = true;
  QObject::connect(combo_, &TkorvCombobox::BeforeUpdateLastText, combo_,
                   [&](TkorvCombobox*, bool& update) { update = !veto; });
  QSignalSpy changed(combo_, &TkorvCombobox::Changed);
  Pick(1);
  EXPECT_EQ(combo_->LastText(), "alpha");
  veto = false;
  Leave();
  EXPECT_EQ(changed.count(), 2);
  EXPECT_EQ(combo_->LastText(), "beta");
}

TEST_F(ComboCommitTest, OpeningTheListOrSwitchingWindowsIsNoEntryOrExit) {
  MakeList("alpha");
  Enter();
  combo_->SetText(QStringLiteral("beta"));
  QSignalSpy entered(combo_, &TkorvCombobox::Entered);
  QSignalSpy changed(combo_, &TkorvCombobox::Changed);
  for (const auto reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
    QFocusEvent out(QEvent::FocusOut, reason), in(QEvent::FocusIn, reason);
    QApplication::sendEvent(combo_->Combobox(), &out);
    QApplication::sendEvent(combo_->Combobox(), &in);
  }
  EXPECT_EQ(entered.count() + changed.count(), 0);
  EXPECT_EQ(combo_->LastText(), "alpha");
}

TEST_F(ComboCommitTest, TypedTextCommitsEachEditIgnoringCase) {
  combo_->SetItems({"one"});
  combo_->SetText(QStringLiteral("Apple"));
  Enter();
  EXPECT_EQ(combo_->Combobox()->lineEdit()->selectedText(), "Apple");
  QSignalSpy changed(combo_, &TkorvCombobox::Changed);
  combo_->SetText(QStringLiteral("APPLE"));
  Leave();
  EXPECT_EQ(changed.count(), 0);
  Enter();
  QTest::keyClicks(combo_->Combobox(), QStringLiteral("ab"));
  QTest::keyClick(combo_->Combobox(), Qt::Key_Return);
  Leave();
  EXPECT_EQ(changed.count(), 2);
  combo_->SetAddTextToList(true);
  Enter();
  combo_->SetText(QStringLiteral("new"));
  Leave();
  EXPECT_EQ(combo_->Items(), (QStringList{"one", "new"}));
}

}  // namespace
}  // namespace zorvane
