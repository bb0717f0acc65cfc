// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/tab_offer.h"

#include <gtest/gtest.h>

#include "support/default_tables.h"

namespace zorvane {
namespace {

const QStringList kUT2004Types{
    "ONSOnslaughtGame", "xMutantGame", "Invasion",   "xBombingRun", "xLastManStandingGame",
    "ASGameInfo",       "xTeamGame",   "xDoubleDom", "xCTFGame",    "xDeathMatch"};

TEST(TabOfferTest, UT2004AndUT2003ListsOfferTheHiddenTypesOfTheirFamily) {
  TGameTables tables = testing::DefaultGameTables();
  const std::pair<const char*, QStringList> cases[] = {
      {"UT2004", kUT2004Types},      {"UT2003", kUT2004Types},
      {"UT2004 Demo", kUT2004Types}, {"UT", {}},
      {"Unreal 2 XMP", {}},          {"", {}},
  };
  for (const auto& [variant, offered] : cases)
    EXPECT_EQ(TabsToOffer(tables, variant), offered) << variant;

  // A mod of the family has its types offered with the game's own.
  AddGameTypeIfMissing(tables, "UT2004", "Ballistic", false, "Ballistic DM", "BWDeathMatch");
  EXPECT_EQ(TabsToOffer(tables, "UT2004").size(), kUT2004Types.size() + 1);
  EXPECT_EQ(TabsToOffer(tables, "UT2004").last(), "BWDeathMatch");

  // One tab of the family shown: the user has chosen, nothing is offered.
  tables.FindGameType("xCTFGame")->TabVisible = true;
  EXPECT_TRUE(TabsToOffer(tables, "UT2004").isEmpty());
}

TEST(TabOfferTest, QuestionNamesTheTabsByTheirTitles) {
  TGameTables tables = testing::DefaultGameTables();
  tables.FindGameType("xCTFGame")->Description.Set("2K4 &CTF");
  const QString question = TabsOfferQuestion(tables, {"xDeathMatch", "xCTFGame", "Unlisted"});
  EXPECT_TRUE(question.startsWith("Show a tab for each UT2004 game type?\n\n"))
      << question.toStdString();
  EXPECT_TRUE(question.contains("The tabs: 2K4 Death Match, 2K4 CTF, Unlisted.\n"))
      << question.toStdString();
  EXPECT_TRUE(question.contains("\"Other\"")) << question.toStdString();
}

}  // namespace
}  // namespace zorvane
