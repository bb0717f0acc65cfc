// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/filter_match.h"

#include "query/network_text.h"

namespace zorvane {
namespace {

char16_t AsciiLowerChar(char16_t c) {
  return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

bool IsAll(QStringView text) {
  return AsciiEqualsIgnoreCase(text, u"[all]");
}

QStringView WithoutTrailingPercent(QStringView text) {
  return text.endsWith(u'%') ? text.chopped(1) : text;
}

QString WithoutBlanks(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text)
    if (c != u' ') out += c;
  return out;
}

bool MatchesRange(QStringView filterText, QStringView valueText) {
  if (IsAll(filterText)) return true;
  filterText = WithoutTrailingPercent(filterText);
  double value = 0;
  if (!ReadDecimal(WithoutTrailingPercent(valueText), value)) return false;

  double number = 0;
  if (ReadDecimal(filterText, number)) return value == number;

  const qsizetype dash = filterText.indexOf(u'-');
  if (dash >= 0) {
    double lo = 0, hi = 0;
    return ReadDecimal(WithoutBlanks(filterText.left(dash)), lo) &&
           ReadDecimal(WithoutBlanks(filterText.mid(dash + 1)), hi) && lo <= value && value <= hi;
  }

  // "> 5" has a one-character operator, ">= 5" and ">5" two; the number starts at the third.
  const bool single = filterText.size() > 1 && filterText[1] == u' ';
  const QStringView op = filterText.left(single ? 1 : 2);
  if (filterText.size() < 3 || !ReadDecimal(filterText.mid(2), number)) return false;
  if (op == u"<") return value < number;
  if (op == u"<=") return value <= number;
  if (op == u">") return value > number;
  if (op == u">=") return value >= number;
  return false;
}

}  // namespace

bool AsciiEqualsIgnoreCase(QStringView a, QStringView b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (AsciiLowerChar(a[i].unicode()) != AsciiLowerChar(b[i].unicode())) return false;
  return true;
}

bool ReadDecimal(QStringView text, double& value) {
  qsizetype begin = 0, end = text.size();
  while (begin < end && text[begin] == u' ') ++begin;
  while (end > begin && text[end - 1] == u' ') --end;
  qsizetype i = begin;
  if (i < end && (text[i] == u'+' || text[i] == u'-')) ++i;
  bool digits = false, point = false;
  for (; i < end; ++i) {
    const QChar c = text[i];
    if (c >= u'0' && c <= u'9') {
      digits = true;
    } else if (c == u'.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  // Checked above to be plain digits, so the C-locale reading cannot misread it.
  bool ok = false;
  const double v = text.mid(begin, end - begin).toDouble(&ok);
  if (ok) value = v;
  return ok;
}

bool Matches(TCompareType compareType, QStringView filterText, QStringView value) {
  switch (compareType) {
    case TCompareType::ctText:
      return IsAll(filterText) || AsciiEqualsIgnoreCase(filterText, value);
    case TCompareType::ctIntegerRange:
      return MatchesRange(filterText, value);
    case TCompareType::ctBoolean:
    case TCompareType::ctNil:
      return false;
  }
  return false;
}

bool PassesFilters(const TServer& server, const TFilterSet& filters, bool allFilters) {
  const int count = allFilters ? kFilterCount : kVersionFilter + 1;
  for (int i = 0; i < count; ++i) {
    if (!filters.used[i]) continue;
    const TFilterInfo& info = kFilterTable[i];
    if (!Matches(info.compareType, filters.values[i], PlainName(server.Text(info.field))))
      return false;
  }
  return true;
}

}  // namespace zorvane
