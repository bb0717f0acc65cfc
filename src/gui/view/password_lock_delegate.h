// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Draws a Password cell as a lock when the server needs a password (the cell says "Yes"),
// and an empty cell as nothing. The lock is the program's own drawing (password-lock.svg).

#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace zorvane {

inline constexpr const char* kPasswordLockImage = ":/zorvane/password-lock.svg";

class TPasswordLockDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit TPasswordLockDelegate(QObject* parent);

  // The lock at size × size pixels (and the screen's pixel ratio); null when the image is
  // missing.
  QPixmap Lock(int size, qreal pixelRatio = 1.0) const;

 protected:
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  mutable QHash<int, QPixmap> locks_;  // by size in device pixels
};

}  // namespace zorvane
