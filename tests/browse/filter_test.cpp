// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "browse/filter_layout.h"
#include "browse/filter_match.h"

namespace zorvane {
namespace {

struct MatchCase {
  const char* filter;
  const char* value;
  bool expected;
};

void ExpectMatches(TCompareType type, std::initializer_list<MatchCase> cases) {
  for (const MatchCase& c : cases)
    EXPECT_EQ(Matches(type, QString::fromUtf8(c.filter), QString::fromUtf8(c.value)), c.expected)
        << "'" << c.filter << "' vs '" << c.value << "'";
}

TEST(MatchesTest, TextEqualsIgnoringAsciiCaseOrAll) {
  ExpectMatches(TCompareType::ctText, {{"[all]", "UT2004", true},
                                       {"[ALL]", "", true},
                                       {"UT", "ut", true},
                                       {"UT2004", "UT2004 Demo", false},
                                       {"True", "False", false},
                                       {"True", "", false},
                                       {"\xc3\x84", "\xc3\xa4", false}});
}

TEST(MatchesTest, RangesNumbersAndOperators) {
  ExpectMatches(
      TCompareType::ctIntegerRange,
      {{"[all]", "", true},
       {"[all]", "garbage", true},
       {"1 - 5", "0", false},
       {"1 - 5", "1", true},
       {"1 - 5", "5", true},
       {"1 - 5", "6", false},
       {"1 - 5", "", false},
       {"1-5", "4", true},
       {" 10  -  20 ", "20", true},
       {"x - 5", "3", false},
       {"5 -", "7", false},
       {"0", "0", true},
       {"0", "", false},
       {"2", "12", false},
       {"-3", "-3", true},
       {"> 0", "0", false},
       {"> 0", "1", true},
       {"> 0", "", false},
       {"> 0", "abc", false},
       {">= 20", "20", true},
       {">= 20", "19", false},
       {"< 4", "2", true},
       {"< 4", "3", true},
       {"< 4", "4", false},
       // A non-blank second character makes a two-character operator: "<=4" works, ">5" not.
       {"<=4", "4", true},
       {">5", "9", false},
       {"=< 4", "3", false},
       {">", "3", false},
       {"> x", "3", false},
       {"", "3", false},
       {"<= 50%", "50%", true},
       {"<= 50%", "0%", true},
       {"<= 50%", "51%", false},
       {"> 0%", "0%", false},
       {"0%", "0", true},
       {"> 0", "%", false},
       {"0.35", "0.35", true},
       {"0.35", "0.350", true},
       {"0.35", "0.36", false},
       {">= 0.35", "0.3", false},
       {"1", "1.000", true},
       {"0.35", "0,35", false},
       {">= 1", "1e3", false},
       {"> 0", "inf", false}});
}

TEST(MatchesTest, BooleanAndNilNeverMatch) {
  ExpectMatches(TCompareType::ctBoolean, {{"[all]", "True", false}, {"True", "True", false}});
  ExpectMatches(TCompareType::ctNil, {{"[all]", "", false}, {"1", "1", false}});
}

// A wrong field in the filter table shows up as a filter that never (or always) matches.
TEST(PassesFiltersTest, EachFilterLooksAtItsOwnField) {
  struct Case {
    TServerText field;
    const char *filter, *fits, *misfits;
  };
  const Case cases[kFilterCount] = {
      {TServerText::Game, "UT2004", "UT2004", "UT"},
      {TServerText::BotSkill, "godlike", "Godlike", "novice"},
      {TServerText::UseTranslocator, "True", "True", "False"},
      {TServerText::MultiWeaponStay, "False", "False", "True"},
      {TServerText::ForceRespawn, "True", "true", "False"},
      {TServerText::NoTeamChanges, "True", "True", "False"},
      {TServerText::Password, "False", "False", "True"},
      {TServerText::NumPlayers, "1 - 5", "3", "6"},
      {TServerText::MaxPlayers, "2 - 8", "8", "16"},
      {TServerText::GameSpeed, "<= 1", "1.0", "1.1"},
      {TServerText::AirControl, "0.35", "0.350", "1"},
      {TServerText::GoalTeamScore, "> 2", "3", "2"},
      {TServerText::MaxTeams, "< 4", "3", "4"},
      {TServerText::FriendlyFire, "<= 50%", "0%", "100%"},
      {TServerText::Location, "Continental Europe", "Continental Europe", "Africa"},
  };
  for (int i = 0; i < kFilterCount; ++i) {
    TFilterSet set;
    set.values.fill(QStringLiteral("no such value"));  // unused filters must not matter
    set.used[i] = true;
    set.values[i] = QString::fromLatin1(cases[i].filter);
    TServer server;
    server.SetText(cases[i].field, QString::fromLatin1(cases[i].fits));
    EXPECT_TRUE(PassesFilters(server, set, true)) << i;
    server.SetText(cases[i].field, QString::fromLatin1(cases[i].misfits));
    EXPECT_FALSE(PassesFilters(server, set, true)) << i;
  }
}

TEST(PassesFiltersTest, VersionAloneIgnoresTheOthersAndTeamFiltersAlwaysApply) {
  TServer server;
  server.SetGame(QStringLiteral("UT"));
  server.SetNumPlayers(QStringLiteral("0"));
  server.SetMaxTeams(QStringLiteral("4"));
  TFilterSet set;
  EXPECT_TRUE(PassesFilters(server, set, true));
  set.used[kPlayersFilter] = true;
  set.values[kPlayersFilter] = QStringLiteral("[all]");
  set.used[12] = true;  // max teams: a team filter, hidden in non-team views
  set.values[12] = QStringLiteral("< 4");
  EXPECT_TRUE(PassesFilters(server, set, false));
  EXPECT_FALSE(PassesFilters(server, set, true));
  set.used[kVersionFilter] = true;
  set.values[kVersionFilter] = QStringLiteral("UT2004");
  EXPECT_FALSE(PassesFilters(server, set, false));
}

TEST(LayoutFilterBoxesTest, PlacesTheShownBoxesInRowsPerSide) {
  using Places = std::vector<std::array<int, 3>>;  // index, left, top
  struct Case {
    TFilterPanelAlign align;
    std::vector<int> used;
    bool teamView;
    Places shown;
    int extent;
    TFilterMetrics metrics = {};  // as designed unless given
  };
  // Boxes as a larger font needs them, two to a row where the panel has room for two.
  const TFilterMetrics wide{250, 30, 260, 2};
  const Case cases[] = {
      {TFilterPanelAlign::Top,
       {0, 1, 2, 3, 4},
       false,
       {{0, 5, 0}, {1, 175, 0}, {2, 345, 0}, {3, 515, 0}, {4, 5, 26}},
       52},
      {TFilterPanelAlign::Bottom,
       {0, 1, 2, 3},
       false,
       {{0, 5, 5}, {1, 175, 5}, {2, 345, 5}, {3, 515, 5}},
       31},
      {TFilterPanelAlign::Left, {0, 7}, false, {{0, 5, 0}, {7, 5, 26}}, 170},
      {TFilterPanelAlign::Right, {0, 7}, false, {{0, 10, 0}, {7, 10, 26}}, 172},
      {TFilterPanelAlign::Top, {5, 11, 12, 13, 14}, false, {{14, 5, 0}}, 26},
      {TFilterPanelAlign::Left, {5, 14}, true, {{5, 5, 0}, {14, 5, 26}}, 170},
      {TFilterPanelAlign::Right, {11}, false, {}, 0},
      {TFilterPanelAlign::Top,
       {0, 1, 2},
       false,
       {{0, 5, 0}, {1, 265, 0}, {2, 5, 30}},
       60,
       wide},
      {TFilterPanelAlign::Bottom, {0, 1}, false, {{0, 5, 5}, {1, 265, 5}}, 35, wide},
      {TFilterPanelAlign::Left, {0, 1}, false, {{0, 5, 0}, {1, 5, 30}}, 260, wide},
      {TFilterPanelAlign::Right, {0}, false, {{0, 10, 0}}, 262, wide},
  };
  for (const Case& c : cases) {
    std::array<bool, kFilterCount> used{};
    for (int i : c.used) used[i] = true;
    const TFilterLayout layout = LayoutFilterBoxes(c.align, used, c.teamView, c.metrics);
    Places shown;
    for (int i = 0; i < kFilterCount; ++i)
      if (layout.boxes[i].visible) shown.push_back({i, layout.boxes[i].left, layout.boxes[i].top});
    EXPECT_EQ(shown, c.shown) << FilterPanelAlignText(c.align).toStdString();
    EXPECT_EQ(layout.panelVisible, !c.shown.empty());
    EXPECT_EQ(layout.panelExtent, c.extent);
  }
}

}  // namespace
}  // namespace zorvane
