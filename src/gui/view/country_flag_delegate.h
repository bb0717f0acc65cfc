// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Draws a country cell as its flag followed by its code. Each flag image is read once, on
// first use; a code without an image is drawn as the code alone.

#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace zorvane {

inline constexpr const char* kFlagDirectory = "/usr/share/flags/countries/16x11";

class TCountryFlagDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  // Flags are read from flagDirectory as "de.png" for "DE".
  explicit TCountryFlagDelegate(QObject* parent,
                                const QString& flagDirectory = QString::fromLatin1(kFlagDirectory));

  // The flag of a code; null when it has no image (or the text is no code).
  QPixmap Flag(const QString& code) const;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  QString flagDirectory_;
  mutable QHash<QString, QPixmap> flags_;  // null pixmaps too: a missing image is read once
};

}  // namespace zorvane
