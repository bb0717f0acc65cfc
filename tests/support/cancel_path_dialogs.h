// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Presses Cancel on every game-path dialog that opens while it lives, and keeps their titles.

#include <QApplication>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include "gui/dialogs/game_path_dialog.h"

namespace zorvane::testing {

class CancelEveryPathDialog {
 public:
  CancelEveryPathDialog() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<TfrmGamePath*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      titles << dialog->windowTitle();
      QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    });
    timer_.start();
  }
  QStringList titles;

 private:
  QTimer timer_;
};

}  // namespace zorvane::testing
