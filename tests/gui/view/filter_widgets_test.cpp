// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <algorithm>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "browse/filter_match.h"
#include "gui/dialogs/filters_dialog.h"
#include "gui/view/filter_panel.h"

namespace zorvane {
namespace {

TEST(FilterPanelTest, SetFilterSelectsTheItemOrAllWithoutReporting) {
  QWidget owner;
  TFilterPanel panel(&owner);
  for (int i = 0; i < kFilterCount; ++i) {
    const TkorvUTFilterCombobox* box = panel.Box(i);
    EXPECT_TRUE(box->isHidden() && box->size() == QSize(160, 21) && box->CaptionWidth() == 80);
    EXPECT_EQ(box->Items(), FilterItems(i));
  }
  struct Case {
    int index;
    const char *text, *shown;
  };
  QSignalSpy changed(&panel, &TFilterPanel::FilterChanged);
  for (const Case& c :
       {Case{7, "1 - 5", "1 - 5"}, Case{7, "7 - 9", "[all]"}, Case{2, "true", "True"},
        Case{14, "", "[all]"}, Case{10, "0.350", "[all]"}}) {
    panel.SetFilter(c.index, QString::fromLatin1(c.text), true);
    EXPECT_EQ(panel.FilterText(c.index), c.shown) << c.text;
    EXPECT_EQ(panel.Box(c.index)->LastText(), c.shown) << c.text;
    EXPECT_TRUE(panel.FilterUsed(c.index));
  }
  EXPECT_EQ(changed.count(), 0);
  panel.SetFilterUsed(kFilterCount, true);  // no such box: nothing happens
  EXPECT_FALSE(panel.FilterUsed(kFilterCount));
  EXPECT_EQ(panel.FilterText(-1), "");
}

TEST(FilterPanelTest, OnlyANewValueAsksForRefiltering) {
  QWidget window;
  auto* panel = new TFilterPanel(&window);
  panel->SetFilter(kPlayersFilter, QStringLiteral("[all]"), true);
  panel->LayoutFilters(false);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QComboBox* box = panel->Box(kPlayersFilter)->Combobox();
  box->setFocus(Qt::TabFocusReason);

  QSignalSpy changed(panel, &TFilterPanel::FilterChanged);
  QTest::keyClick(box, Qt::Key_Down);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.at(0).at(0).toInt(), kPlayersFilter);
  EXPECT_EQ(panel->Box(kPlayersFilter)->LastText(), "0");

  box->showPopup();  // choosing the value already shown
  box->view()->setCurrentIndex(box->model()->index(box->currentIndex(), 0));
  QTest::keyClick(box->view(), Qt::Key_Return);
  box->clearFocus();
  EXPECT_EQ(changed.count(), 1);
}

// Every view holds a panel of these and most are never opened: a box builds its list only as
// it opens, and the list then fits its widest item.
TEST(FilterPanelTest, ABoxBuildsItsListOnlyWhenOpenedWideEnoughForItsItems) {
  QWidget window;
  auto* panel = new TFilterPanel(&window);
  for (int i = 0; i < kFilterCount; ++i) {
    const QComboBox* box = panel->Box(i)->Combobox();
    EXPECT_TRUE(box->findChildren<QAbstractItemView*>().isEmpty()) << i;
    // Sized as Qt sizes a box of seven letters and an icon, which builds its list.
    QComboBox sized(panel);
    sized.addItems(FilterItems(i));
    sized.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    sized.setMinimumContentsLength(7);
    EXPECT_EQ(box->sizeHint(), sized.sizeHint()) << i;
    EXPECT_EQ(box->minimumSizeHint(), sized.minimumSizeHint()) << i;
  }
  panel->SetFilter(kPlayersFilter, QStringLiteral("[all]"), true);
  panel->LayoutFilters(false);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QComboBox* box = panel->Box(kPlayersFilter)->Combobox();
  box->showPopup();
  const QAbstractItemView* list = box->view();
  EXPECT_GE(list->minimumWidth(), list->sizeHintForColumn(0));
  EXPECT_GE(list->width(), list->sizeHintForColumn(0));
  box->hidePopup();
}

TEST(FilterPanelTest, LayoutHidesTeamBoxesOutsideTeamViewsButTheyStillFilter) {
  QWidget owner;
  TFilterPanel panel(&owner);
  panel.LayoutFilters(false);
  EXPECT_TRUE(panel.isHidden());  // nothing in use
  panel.SetFilter(0, QStringLiteral("UT"), true);
  panel.SetFilter(12, QStringLiteral("< 4"), true);
  QSignalSpy repopulate(&panel, &TFilterPanel::RepopulateRequested);
  panel.LayoutFilters(true);
  EXPECT_EQ(repopulate.count(), 1);
  EXPECT_FALSE(panel.isHidden());
  // One row: a box as tall as its font needs and the design's gap, 26 at least.
  const int row = std::max(26, panel.Box(0)->height() + 5);
  EXPECT_EQ(panel.height(), row);
  EXPECT_EQ(panel.Box(0)->pos(), QPoint(5, 0));
  EXPECT_GE(panel.Box(0)->width(), 160);
  EXPECT_TRUE(panel.Box(12)->isHidden());

  TServer server;
  server.SetGame(QStringLiteral("UT"));
  server.SetMaxTeams(QStringLiteral("4"));
  EXPECT_FALSE(PassesFilters(server, panel.Filters(), true));
  server.SetMaxTeams(QStringLiteral("3"));
  EXPECT_TRUE(PassesFilters(server, panel.Filters(), true));

  QSignalSpy aligned(&panel, &TFilterPanel::AlignChanged);
  panel.SetIsTeamView(true);
  panel.SetFilterPanelAlign(TFilterPanelAlign::Right);
  panel.SetFilterPanelAlign(TFilterPanelAlign::Right);  // the same side does nothing
  EXPECT_EQ(aligned.count(), 1);
  EXPECT_EQ(panel.Box(12)->pos(), QPoint(10, row));
  EXPECT_EQ(panel.width(), 10 + panel.Box(12)->width() + 2);
  EXPECT_EQ(panel.maximumHeight(), QWIDGETSIZE_MAX);  // the top's fixed height is undone
}

TFilterFlags Flags(std::initializer_list<int> ticked) {
  TFilterFlags flags{};
  for (int i : ticked) flags[i] = true;
  return flags;
}

TEST(FiltersDialogTest, OneBoxPerFilterStackedDownTheDialog) {
  TfrmFilters dialog;
  dialog.show();
  const int emptyHeight = dialog.height();
  dialog.Fill(Flags({0, 14}));
  QApplication::processEvents();  // the layout takes the new boxes
  ASSERT_EQ(dialog.BoxCount(), kFilterCount);
  EXPECT_GE(dialog.height(), emptyHeight + kFilterCount * dialog.BoxAt(0)->sizeHint().height());
  for (int i = 0; i < kFilterCount; ++i) {
    const QCheckBox* box = dialog.BoxAt(i);
    EXPECT_EQ(box->text(), kFilterTable[i].caption);
    EXPECT_EQ(box->x(), 5);
    EXPECT_GE(box->width(), box->sizeHint().width()) << i;  // the caption whole
    if (i > 0) {
      EXPECT_GE(box->y(), dialog.BoxAt(i - 1)->geometry().bottom()) << i;
    }
    EXPECT_EQ(box->isChecked(), i == 0 || i == 14) << i;
  }
  EXPECT_TRUE(dialog.Checked(QStringLiteral("LOCATIONFILTER")));
  EXPECT_FALSE(dialog.Checked(QStringLiteral("nil")));
}

TEST(FiltersDialogTest, OkReturnsTheToggledTicksCancelNothing) {
  // Runs once the dialog's own event loop is running.
  const auto whenModal = [](std::function<void(TfrmFilters&)> step) {
    QTimer::singleShot(0, [step] {
      auto* dialog = qobject_cast<TfrmFilters*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      step(*dialog);
    });
  };
  whenModal([](TfrmFilters& dialog) {
    dialog.BoxAt(7)->click();
    dialog.BoxAt(13)->click();
    dialog.OkButton()->click();
  });
  EXPECT_EQ(ChooseFiltersInUse(nullptr, Flags({0, 7, 12})), Flags({0, 12, 13}));

  whenModal([](TfrmFilters& dialog) {
    dialog.BoxAt(3)->click();
    dialog.CancelButton()->click();
  });
  EXPECT_EQ(ChooseFiltersInUse(nullptr, Flags({1})), std::nullopt);
}

}  // namespace
}  // namespace zorvane
