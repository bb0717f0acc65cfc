// SPDX-License-Identifier: GPL-2.0-or-later
// The real message boxes: each stands in the middle of its window, or of the screen while the
// window is hidden in the tray.
#include "gui/dialogs/window_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "gui/dialogs/centre_on_parent.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

using testing::WhenModal;

// The centre of the box that opens while ask runs; the box is answered with its first button.
QPoint BoxCentre(const std::function<void()>& ask) {
  QPoint centre;
  WhenModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_TRUE(box);
    centre = box->frameGeometry().center();
    QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
  });
  ask();
  return centre;
}

TEST(WindowDialogsTest, BoxesStandInTheMiddleOfTheirWindow) {
  QWidget window;
  window.setGeometry(120, 90, 871, 600);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  TMessageBoxDialogs dialogs;
  const QString text = QStringLiteral(
      "This application could not automatically detect where one "
      "of UT, UT2003, or UT2004 is installed.\r\n\r\nSystem/Game EXEs");
  const QPoint middle = window.frameGeometry().center();
  for (const auto& ask : std::initializer_list<std::function<void()>>{
           [&] { dialogs.Notice(&window, text, false); },
           [&] { dialogs.Information(&window, text); },
           [&] { dialogs.Confirm(&window, text, TWindowDialogs::TNoButton::No); },
       }) {
    const QPoint centre = BoxCentre(ask);
    EXPECT_LE(std::abs(centre.x() - middle.x()), 1) << centre.x();
    EXPECT_LE(std::abs(centre.y() - middle.y()), 1) << centre.y();
  }

  // Hidden in the tray, the window has no middle on the screen: the screen's is taken.
  window.hide();
  const QPoint centre = BoxCentre([&] { dialogs.Information(&window, text); });
  const QPoint screen = window.screen()->availableGeometry().center();
  EXPECT_LE(std::abs(centre.x() - screen.x()), 1);
  EXPECT_LE(std::abs(centre.y() - screen.y()), 1);
}

TEST(WindowDialogsTest, ACentredFrameStaysOnTheScreen) {
  const QRect screen(0, 0, 1366, 800);
  EXPECT_EQ(CentredFrame(QRect(100, 100, 400, 300), QSize(200, 100), screen),
            QRect(200, 200, 200, 100));
  EXPECT_EQ(CentredFrame(QRect(-300, 700, 400, 300), QSize(200, 100), screen),
            QRect(0, 700, 200, 100));  // moved in at the left and the bottom
  EXPECT_EQ(CentredFrame(QRect(0, 0, 100, 100), QSize(2000, 100), screen).left(), 0);
}

}  // namespace
}  // namespace zorvane
