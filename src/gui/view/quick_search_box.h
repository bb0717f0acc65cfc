// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The search box above a server grid. Esc empties it while it has the focus, and is then the
// box's own key: a window shortcut on Esc does not fire.

#include <QLineEdit>

namespace zorvane {

class TQuickSearchBox : public QLineEdit {
  Q_OBJECT
 public:
  explicit TQuickSearchBox(QWidget* parent = nullptr);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace zorvane
