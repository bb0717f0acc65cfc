// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/sort_keys.h"

#include <algorithm>
#include <numeric>

namespace zorvane {
namespace {

constexpr int kLongestExactPower = 18;  // 10^18 still fits a qint64
constexpr quint64 kTenPow19 = 10000000000000000000ULL;

QString PadLeft(QStringView text, qsizetype length) {
  if (text.size() >= length) return text.toString();
  return QString(length - text.size(), u'0') + text;
}

// An optional sign and at least one digit, nothing else; false also when it overflows.
bool ReadWholeInteger(QStringView text, qint64& value) {
  qsizetype i = 0;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
  if (i == text.size()) return false;
  for (qsizetype j = i; j < text.size(); ++j)
    if (text[j] < u'0' || text[j] > u'9') return false;
  bool ok = false;
  value = text.toLongLong(&ok, 10);
  return ok;
}

// 10^exponent - m in decimal. Columns longer than 18 characters (the hidden address column)
// exceed 64 bits, so the high digits are written out rather than computed.
bool PowerOfTenMinus(int exponent, qint64 m, QString& out) {
  if (exponent <= kLongestExactPower) {
    qint64 power = 1;
    for (int i = 0; i < exponent; ++i) power *= 10;
    qint64 difference = 0;
    if (__builtin_sub_overflow(power, m, &difference)) return false;
    out = QString::number(difference);
    return true;
  }
  if (m > 0) {
    out = QString(exponent - 19, u'9') + PadLeft(QString::number(kTenPow19 - quint64(m)), 19);
  } else if (m == 0) {
    out = u'1' + QString(exponent, u'0');
  } else {
    const quint64 magnitude = quint64(-(m + 1)) + 1;
    out = u'1' + QString(exponent - 19, u'0') + PadLeft(QString::number(magnitude), 19);
  }
  return true;
}

}  // namespace

QString NumericSortKey(QStringView cell, int longest) {
  // Servers pad some numbers with blanks (a ping of " 152"); they are not part of the number.
  cell = cell.trimmed();
  // A ping not yet refreshed is shown in brackets; it sorts by its number.
  if (cell.size() >= 2 && cell.startsWith(u'(') && cell.endsWith(u')'))
    cell = cell.sliced(1, cell.size() - 2).trimmed();
  const qsizetype slash = cell.indexOf(u'/');
  const QStringView text = slash >= 0 ? cell.left(slash).trimmed() : cell;
  const QString zeros(longest, u'0');
  if (text.startsWith(u'-')) {
    qint64 m = 0;
    QString difference;
    if (ReadWholeInteger(text.mid(1), m) && PowerOfTenMinus(std::max(longest, 1), m, difference))
      return zeros + u'-' + PadLeft(difference, longest);
    return zeros + zeros;
  }
  if (text == u"0") return PadLeft(u"0", longest) + QString(longest + 1, u'9');
  return PadLeft(text, longest);
}

QString AddressSortKey(QStringView cell) {
  const qsizetype colon = cell.lastIndexOf(u':');
  const QStringView host = colon >= 0 ? cell.left(colon) : cell;
  const QStringView port = colon >= 0 ? cell.mid(colon + 1) : QStringView();
  const auto number = [](QStringView digits, int width) {
    if (digits.isEmpty() || digits.size() > width) return false;
    return std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
  };
  const QList<QStringView> octets = host.split(u'.');
  bool address = octets.size() == 4 && (colon < 0 || number(port, 5));
  for (QStringView octet : octets) address = address && number(octet, 3);
  if (!address) return cell.toString();  // a name: its letters sort after the digits
  QString key;
  for (QStringView octet : octets) key += PadLeft(octet, 3) + u'.';
  key.chop(1);
  if (colon >= 0) key += u':' + PadLeft(port, 5);
  return key;
}

QStringList ColumnSortKeys(const QStringList& cells, TColumnSortKind kind) {
  if (kind == cskAddress) {
    QStringList keys;
    keys.reserve(cells.size());
    for (const QString& cell : cells) keys.append(cell.isEmpty() ? cell : AddressSortKey(cell));
    return keys;
  }
  if (kind != cskNumeric) return cells;
  qsizetype longest = 0;
  for (const QString& cell : cells) longest = std::max(longest, QStringView(cell).trimmed().size());
  QStringList keys;
  keys.reserve(cells.size());
  for (const QString& cell : cells) keys.append(NumericSortKey(cell, int(longest)));
  return keys;
}

QCollator GridCollator(const QLocale& locale) {
  QCollator collator(locale);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(false);
  return collator;
}

std::vector<int> SortedRowOrder(const QStringList& keys, TSortDirection direction,
                                const QCollator& collator) {
  std::vector<int> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  if (direction == TSortDirection::None) return order;

  // Qt's C-locale sort keys are the raw UTF-8 bytes whatever the case setting; folding first
  // keeps them case-blind like the collator's own compare.
  const bool foldFirst = collator.locale().language() == QLocale::C &&
                         collator.caseSensitivity() == Qt::CaseInsensitive;
  std::vector<QCollatorSortKey> sortKeys;
  sortKeys.reserve(keys.size());
  for (const QString& key : keys)
    sortKeys.push_back(collator.sortKey(foldFirst ? key.toCaseFolded() : key));

  // Later rows first among equals: the result of inserting each row before its equals.
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const int c = sortKeys[a].compare(sortKeys[b]);
    return c != 0 ? c < 0 : a > b;
  });
  if (direction == TSortDirection::Descending) std::reverse(order.begin(), order.end());
  return order;
}

}  // namespace zorvane
