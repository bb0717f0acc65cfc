// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/option_choices.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

TEST(OptionChoicesTest, PingWaitTextsOnlyForExactWaitsAndClampOutsideTwoToFourSeconds) {
  const std::pair<int, const char*> texts[] = {
      {2000, "2 seconds"}, {3000, "3 seconds"}, {4000, "4 seconds"}, {2500, ""}, {0, ""},
      {5000, ""}};
  for (const auto& [ms, text] : texts) EXPECT_EQ(PingWaitText(ms), text) << ms;
  EXPECT_EQ(PingWaitFromText("4 seconds"), 4000);
  EXPECT_EQ(PingWaitFromText(""), std::nullopt);
  EXPECT_EQ(PingWaitFromText("5 seconds"), std::nullopt);
  const std::pair<int, int> clamps[] = {{1999, 3000}, {2000, 2000}, {4000, 4000}, {4001, 3000}};
  for (const auto& [ms, clamped] : clamps) EXPECT_EQ(ClampPingWaitTime(ms), clamped) << ms;
}

TEST(OptionChoicesTest, QueryDelayListAndItsTexts) {
  const QStringList choices = QueryDelayChoices();
  ASSERT_EQ(choices.size(), 65);
  EXPECT_EQ(choices.mid(0, 3), (QStringList{"[no delay]", "1", "2"}));
  EXPECT_EQ(choices.mid(9, 3), (QStringList{"9", "10", "15"}));
  EXPECT_EQ(choices.mid(27, 3), (QStringList{"95", "100", "150"}));
  EXPECT_EQ(choices.mid(45, 3), (QStringList{"950", "1000", "1500"}));
  EXPECT_EQ(choices.last(), "10000");
  EXPECT_EQ(QueryPowerFromText("[no delay]"), 0);
  EXPECT_EQ(QueryPowerFromText("95"), 95);
  EXPECT_EQ(QueryPowerFromText(""), std::nullopt);
  EXPECT_EQ(QueryPowerFromText("-5"), std::nullopt);
}

TEST(OptionChoicesTest, RefreshRateStepsWrapAndStrayRatesGoToNone) {
  int ms = 0;
  QStringList seen;
  for (int i = 0; i < 10; ++i) seen << QString::number(ms = NextRefreshRate(ms));
  EXPECT_EQ(seen.join(u' '), "5000 10000 30000 60000 120000 300000 600000 900000 1800000 0");
  EXPECT_EQ(NextRefreshRate(7000), 0);
  EXPECT_EQ(NextRefreshRate(-1), 0);
  // Every step has its text in the list, and the text reads back as the step.
  const QStringList texts = RefreshRateChoices();
  ASSERT_EQ(texts.size(), 10);
  EXPECT_EQ(texts.first(), "none");
  EXPECT_EQ(texts[4], "1 minute");
  for (int i = 0; i < texts.size(); ++i)
    EXPECT_EQ(RefreshRateFromText(texts[i]), kRefreshRateSteps[i]) << texts[i].toStdString();
}

TEST(OptionChoicesTest, StoringKeepsWhatAnEmptyChoiceCannotSay) {
  TSettings s;
  s.pingWaitTime = 2500;
  s.queryPower = 777;  // no choice of the list
  s.refreshRate = 60000;
  s.startupQuery = "Favorites Only";
  s.filterLocation = "left";
  TOptionsForm form = OptionsFormFrom(s);
  form.refreshRate.clear();
  form.startupQuery.clear();
  form.filterLocation.clear();
  StoreOptionsForm(form, s);
  EXPECT_EQ(s.pingWaitTime, 2500);
  EXPECT_EQ(s.queryPower, 777);
  EXPECT_EQ(s.refreshRate, 0);
  EXPECT_EQ(s.startupQuery, "");
  EXPECT_EQ(s.filterLocation, "left");
  form.pingWait = "4 seconds";
  form.queryDelay = "[no delay]";
  StoreOptionsForm(form, s);
  EXPECT_EQ(s.pingWaitTime, 4000);
  EXPECT_EQ(s.queryPower, 0);
  // An empty master list keeps the game's own; the UT list's first is "masterServer" too.
  s.masterLists = {{"UT", {"127.0.0.1:28901"}}, {"UT2004", {"127.0.0.1:28903"}}};
  form.masterLists = {{"UT", {"127.0.0.1:28902", "127.0.0.1:28901"}}, {"UT2004", {}}};
  StoreOptionsForm(form, s);
  EXPECT_EQ(s.masterLists.at("UT"), (QStringList{"127.0.0.1:28902", "127.0.0.1:28901"}));
  EXPECT_EQ(s.masterLists.at("UT2004"), QStringList{"127.0.0.1:28903"});
  EXPECT_EQ(s.masterServer, "127.0.0.1:28902");
}

TEST(OptionChoicesTest, EveryCheckBoxReachesItsOwnSetting) {
  using F = bool TOptionsForm::*;
  using S = bool TSettings::*;
  const std::pair<F, S> pairs[] = {
      {&TOptionsForm::autoPingServer, &TSettings::autoPingServer},
      {&TOptionsForm::autoRefreshSelectedServerOnly, &TSettings::autoRefreshSelectedServerOnly},
      {&TOptionsForm::confirmServerDelete, &TSettings::confirmServerDelete},
      {&TOptionsForm::confirmPlayerDelete, &TSettings::confirmPlayerDelete},
      {&TOptionsForm::morePlayerInfo, &TSettings::morePlayerInfo},
      {&TOptionsForm::tabsMultiline, &TSettings::tabsMultiline},
      {&TOptionsForm::minimizeOnJoin, &TSettings::minimizeOnJoin},
      {&TOptionsForm::confirmMapDelete, &TSettings::confirmMapDelete},
      {&TOptionsForm::syncFaves, &TSettings::syncFaves},
      {&TOptionsForm::autoCheckNewVersion, &TSettings::autoCheckNewVersion},
      {&TOptionsForm::showToolbar, &TSettings::showToolbar},
      {&TOptionsForm::startInTray, &TSettings::startInTray},
  };
  for (std::size_t i = 0; i < std::size(pairs); ++i) {
    TSettings s;
    TOptionsForm form = OptionsFormFrom(s);
    form.*pairs[i].first = !(s.*pairs[i].second);
    const TSettings before = s;
    StoreOptionsForm(form, s);
    for (std::size_t j = 0; j < std::size(pairs); ++j)
      EXPECT_EQ(s.*pairs[j].second, (before.*pairs[j].second) != (i == j)) << i << " " << j;
  }
}

TEST(OptionChoicesTest, OnlyAChosenDifferentFontChangesTheProgramFont) {
  EXPECT_FALSE(FontChoiceChanges("Tahoma", 8, "Tahoma", 8));
  EXPECT_TRUE(FontChoiceChanges("Verdana", 8, "Tahoma", 8));
  EXPECT_TRUE(FontChoiceChanges("Tahoma", 9, "Tahoma", 8));
  EXPECT_FALSE(FontChoiceChanges("", 9, "Tahoma", 8));
}

TEST(OptionChoicesTest, DelayText) {
  const struct {
    qint64 ms;
    const char* text;
  } cases[] = {{-5, "none"},          {0, "none"},          {999, "none"},
               {1000, "1 second"},    {59999, "59 seconds"}, {60000, "1 minute"},
               {119000, "1 minute"},  {120000, "2 minutes"}, {300000, "5 minutes"}};
  for (const auto& c : cases) EXPECT_EQ(DelayText(c.ms), QLatin1String(c.text)) << c.ms;
}

}  // namespace
}  // namespace zorvane
