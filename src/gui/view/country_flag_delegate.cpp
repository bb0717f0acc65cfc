// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/view/country_flag_delegate.h"

#include <QIcon>

namespace zorvane {

TCountryFlagDelegate::TCountryFlagDelegate(QObject* parent, const QString& flagDirectory)
    : QStyledItemDelegate(parent), flagDirectory_(flagDirectory) {}

QPixmap TCountryFlagDelegate::Flag(const QString& code) const {
  if (code.size() != 2) return {};
  auto it = flags_.constFind(code);
  if (it == flags_.cend()) {
    QPixmap flag;
    if (code[0].isLetter() && code[1].isLetter() && code[0].unicode() < 128 &&
        code[1].unicode() < 128)
      flag.load(flagDirectory_ + u'/' + code.toLower() + QStringLiteral(".png"));
    it = flags_.insert(code, flag);
  }
  return *it;
}

void TCountryFlagDelegate::initStyleOption(QStyleOptionViewItem* option,
                                           const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  const QPixmap flag = Flag(option->text);
  if (flag.isNull()) return;
  option->features |= QStyleOptionViewItem::HasDecoration;
  option->icon = QIcon(flag);
  option->decorationSize = flag.deviceIndependentSize().toSize();
}

}  // namespace zorvane
