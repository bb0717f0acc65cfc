// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/sort_keys.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

constexpr auto kAsc = TSortDirection::Ascending;
constexpr auto kDesc = TSortDirection::Descending;

QStringList Sorted(const QStringList& cells, TColumnSortKind kind, TSortDirection direction,
                   const QLocale& locale) {
  const QStringList keys = ColumnSortKeys(cells, kind);
  QStringList out;
  for (int row : SortedRowOrder(keys, direction, GridCollator(locale))) out.append(cells[row]);
  return out;
}

TEST(SortKeysTest, RowsComeOutInKeyOrder) {
  struct TCase {
    QStringList cells;
    TColumnSortKind kind;
    TSortDirection direction;
    QStringList expected;
  };
  const std::vector<TCase> cases = {
      {{"5", "-3", "0", "", "12/16"}, cskNumeric, kAsc, {"", "-3", "0", "5", "12/16"}},
      {{"5", "-3", "0", "", "12/16"}, cskNumeric, kDesc, {"12/16", "5", "0", "-3", ""}},
      {{"-3", "-10", "-1", "2"}, cskNumeric, kAsc, {"-10", "-3", "-1", "2"}},
      {{"10/16", "2/32", "9"}, cskNumeric, kAsc, {"2/32", "9", "10/16"}},
      {{"5", "-x", "-3", "", "0"}, cskNumeric, kAsc, {"", "-3", "-x", "0", "5"}},
      // Over 18 characters (the address column) the key arithmetic leaves 64 bits.
      {{"1.2.3.4:7778000000000", "-5", "-70", "0"},
       cskNumeric,
       kAsc,
       {"-70", "-5", "0", "1.2.3.4:7778000000000"}},
      {{"beta", "Alpha", "alpha2", "BETB"}, cskText, kAsc, {"Alpha", "alpha2", "beta", "BETB"}},
      {{"10", "9", "100"}, cskPlainText, kAsc, {"10", "100", "9"}},
      {{"b", "a", "c"}, cskText, TSortDirection::None, {"b", "a", "c"}},
      // Pings as real servers write them: blanks around the number do not count.
      {{" 152", "39", " 7 ", "1000"}, cskNumeric, kAsc, {" 7 ", "39", " 152", "1000"}},
      {{" 152", "39", " 0", " -4"}, cskNumeric, kDesc, {" 152", "39", " 0", " -4"}},
      {{" 3 / 16", "12/16", "4 "}, cskNumeric, kAsc, {" 3 / 16", "4 ", "12/16"}},
  };
  // The C locale compares code points, the others their collation: all must agree here.
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                QLocale(QLocale::German, QLocale::Germany)})
    for (const TCase& c : cases)
      EXPECT_EQ(Sorted(c.cells, c.kind, c.direction, locale), c.expected)
          << locale.name().toStdString() << " " << c.cells.join(' ').toStdString();
}

TEST(SortKeysTest, NumericKeysArePaddedToTheLongestCell) {
  struct TCase {
    QString cell;
    int longest;
    QString key;
  };
  const QString z20(20, u'0');
  const std::vector<TCase> cases = {
      {"5", 5, "00005"},
      {"-3", 5, "00000-99997"},
      {"0", 5, "00000999999"},
      {"", 5, "00000"},
      {"12/16", 5, "00012"},
      {"-x", 2, "0000"},
      {"-3", 1, "0-7"},
      {"0/8", 3, "0009999"},
      {"-3/4", 4, "0000-9997"},
      {"abc", 5, "00abc"},
      {"-5", 20, z20 + "-99999999999999999995"},
      {"-0", 20, z20 + "-1" + z20},
      {"--5", 20, z20 + "-100000000000000000005"},
      {" 152", 3, "152"},
      {"39  ", 3, "039"},
      {" 0 ", 2, "00999"},
      {" -3", 2, "00-97"},
      // A ping not yet refreshed, in brackets, sorts as its number.
      {"(52)", 4, "0052"},
      {" (9999) ", 6, "009999"},
      {"(0)", 3, "0009999"},
      {"()", 2, "00"},
      {"(", 1, "("},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(NumericSortKey(c.cell, c.longest), c.key) << c.cell.toStdString();
  // The longest cell counts whole: "12/16" pads to five although it sorts by "12".
  EXPECT_EQ(ColumnSortKeys({"5", "12/16"}, cskNumeric), (QStringList{"00005", "00012"}));
  // ...but its blanks do not.
  EXPECT_EQ(ColumnSortKeys({"  152 ", "39"}, cskNumeric), (QStringList{"152", "039"}));
}

TEST(SortKeysTest, EqualKeysSwapOnAscendingAndStayOnDescending) {
  const QCollator collator = GridCollator();
  QStringList keys = {"07", "07", "09"};
  std::vector<int> rows = {0, 1, 2};  // which original row stands where
  auto sortOnce = [&](TSortDirection direction) {
    const std::vector<int> order = SortedRowOrder(keys, direction, collator);
    std::vector<int> movedRows;
    QStringList movedKeys;
    for (int i : order) {
      movedRows.push_back(rows[i]);
      movedKeys.append(keys[i]);
    }
    rows = movedRows;
    keys = movedKeys;
    return rows;
  };
  EXPECT_EQ(sortOnce(kAsc), (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(sortOnce(kAsc), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(sortOnce(kDesc), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(sortOnce(kDesc), (std::vector<int>{2, 0, 1}));
}

// Qt's C-locale sort keys alone would order "B" before "a".
TEST(SortKeysTest, AddressesSortByTheirNumbers) {
  const std::pair<const char*, const char*> keys[] = {
      {"10.0.0.2:7777", "010.000.000.002:07777"},
      {"192.168.1.10", "192.168.001.010"},
      {"game.example.org:7777", "game.example.org:7777"},  // a name stays a name
      {"1.2.3.4:", "1.2.3.4:"},
      {"1.2.3.4444:1", "1.2.3.4444:1"},
      {"1.2.3:7777", "1.2.3:7777"},
      {"1.2.3.4:123456", "1.2.3.4:123456"},
  };
  for (const auto& [cell, key] : keys)
    EXPECT_EQ(AddressSortKey(QString::fromLatin1(cell)), key) << cell;
  EXPECT_EQ(Sorted({"10.0.0.12:7777", "", "10.0.0.2:7777", "9.1.1.1:80", "10.0.0.2:100"},
                   cskAddress, kAsc, QLocale::c()),
            (QStringList{"", "9.1.1.1:80", "10.0.0.2:100", "10.0.0.2:7777", "10.0.0.12:7777"}));
}

TEST(SortKeysTest, CaseOnlyDifferencesAreEqualKeys) {
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates)})
    EXPECT_EQ(SortedRowOrder({"b", "A", "a", "B"}, kAsc, GridCollator(locale)),
              (std::vector<int>{2, 1, 3, 0}))
        << locale.name().toStdString();
}

}  // namespace
}  // namespace zorvane
