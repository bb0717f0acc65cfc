// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/quick_search.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

const QString kCode = QString(QChar(0x1B)) + QStringLiteral("\x01\x7F\x01");

// One server with a coloured name, a map and players (one coloured, one beyond the Latin-1
// range, so stored as UTF-8), searched with typed texts.
TEST(QuickSearchTest, NameMapOrPlayerIgnoringCaseAndColourCodes) {
  TServer server;
  server.SetDescription(QStringLiteral("Red") + kCode + QStringLiteral("Fox CTF"));
  server.SetMapName(QStringLiteral("CTF-Face"));
  server.SetPlayerText(0, TPlayerField::Name, QString(QStringLiteral("Gr") + kCode + "im"));
  server.SetPlayerText(3, TPlayerField::Name, QStringLiteral("Жора"));
  server.SetPlayerText(4, TPlayerField::Frags, QStringLiteral("42"));  // no name: slot unused

  const struct {
    const char* typed;
    bool matches;
  } cases[] = {
      {"", true},          {"   ", true},        {"redfox", true},   {"  REDFOX ", true},
      {"fox ctf", true},   {"ctf-face", true},   {"face", true},     {"grim", true},
      {"GRIM", true},      {"жора", true},       {"ЖОР", true},      {"42", false},
      {"\x01\x7F", false}, {"red fox", false},   {"blue", false},    {"ctf-facing", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesQuickSearch(server, FoldSearchText(QString::fromUtf8(c.typed))), c.matches)
        << c.typed;
}

// An empty record fits only the empty text; a server's own texts stay untouched.
TEST(QuickSearchTest, EmptyRecordAndUntouchedTexts) {
  TServer server;
  EXPECT_TRUE(MatchesQuickSearch(server, FoldSearchText(u"")));
  EXPECT_FALSE(MatchesQuickSearch(server, FoldSearchText(u"a")));
  server.SetDescription(QStringLiteral("Ä Server"));
  EXPECT_TRUE(MatchesQuickSearch(server, FoldSearchText(u"ä s")));
  EXPECT_EQ(server.Description(), QStringLiteral("Ä Server"));
}

TEST(QuickSearchTest, NarrowingOnlyWhenTheNewTextHoldsTheOld) {
  EXPECT_TRUE(SearchNarrows(u"", u"a"));
  EXPECT_TRUE(SearchNarrows(u"fac", u"face"));
  EXPECT_TRUE(SearchNarrows(u"ace", u"face"));
  EXPECT_FALSE(SearchNarrows(u"face", u"fac"));
  EXPECT_FALSE(SearchNarrows(u"face", u""));
  EXPECT_FALSE(SearchNarrows(u"fax", u"face"));
}

}  // namespace
}  // namespace zorvane
