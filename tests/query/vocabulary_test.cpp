// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/vocabulary.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

TEST(VocabularyTest, GameQueryVersionByVariant) {
  const struct {
    const char* variant;
    int version;
  } cases[] = {{"UT", 0},           {"ut2004", 128}, {"UT2004 Demo", 127}, {"UT2003", 121},
               {"UT2003 Demo", 120}, {"Unreal 2 XMP", 126}, {"UT2004 ", 0}, {"Quake", 0}};
  for (const auto& c : cases)
    EXPECT_EQ(GameQueryVersion(QString::fromLatin1(c.variant)), c.version) << c.variant;
}

TEST(VocabularyTest, TeamColourNameAndIndex) {
  const struct {
    const char* value;
    const char* name;
    const char* index;
  } cases[] = {{"0", "red", "0"},     {"RED", "red", "0"},   {"1", "blue", "1"},
               {"Blue", "blue", "1"}, {"2", "green", "2"},   {"gold", "gold", "3"},
               {"4", "", "255"},      {"255", "", "255"},    {"none", "", "255"},
               {" 0", "", "255"},     {"", "", "255"}};
  for (const auto& c : cases) {
    EXPECT_EQ(TeamColourName(QString::fromLatin1(c.value)), QLatin1String(c.name)) << c.value;
    EXPECT_EQ(TeamColourIndex(QString::fromLatin1(c.value)), QLatin1String(c.index)) << c.value;
  }
}

TEST(VocabularyTest, DedicatedText) {
  EXPECT_EQ(DedicatedText(u"FALSE"), "dedicated");
  EXPECT_EQ(DedicatedText(u"False"), "dedicated");
  EXPECT_EQ(DedicatedText(u"0"), "non-dedicated");
  EXPECT_EQ(DedicatedText(u"True"), "non-dedicated");
  EXPECT_EQ(DedicatedText(u""), "non-dedicated");
}

TEST(VocabularyTest, StripRelicPrefixesKeepsTheRest) {
  EXPECT_EQ(StripRelicPrefixes("Relic: Speed, InstaGib, Relic2b: Vengeance"),
            "Speed, InstaGib, Vengeance");
  EXPECT_EQ(StripRelicPrefixes("relic: Speed"), "relic: Speed");
  EXPECT_EQ(StripRelicPrefixes("Relic:Speed"), "Relic:Speed");
}

TEST(VocabularyTest, RegionName) {
  const struct {
    const char* location;
    const char* region;
  } cases[] = {{"7", "Continental Europe"},
               {"0", "No Region Specified"},
               {"12", "Central, South America"},
               {"13", "No Region Specified"},
               {"99999999999999999999999", "No Region Specified"},
               {"", "No Region Specified"},
               {"no region specified", "No Region Specified"},
               {"NO REGION SPECIFIED", "No Region Specified"},
               {"Germany", "Germany"},
               {"-1", "-1"}};
  for (const auto& c : cases)
    EXPECT_EQ(RegionName(QString::fromLatin1(c.location)), QLatin1String(c.region)) << c.location;
}

TEST(VocabularyTest, DelayText) {
  const struct {
    qint64 ms;
    const char* text;
  } cases[] = {{-5, "none"},          {0, "none"},          {999, "none"},
               {1000, "1 second"},    {59999, "59 seconds"}, {60000, "1 minute"},
               {119000, "1 minute"},  {120000, "2 minutes"}, {300000, "5 minutes"}};
  for (const auto& c : cases) EXPECT_EQ(DelayText(c.ms), QLatin1String(c.text)) << c.ms;
}

TEST(VocabularyTest, FillGameVariantListFlags) {
  QStringList all;
  FillGameVariantList(all, kVariantEmpty | kVariantAll);
  EXPECT_EQ(all, (QStringList{"", "[all]", "UT", "UT2003 Demo", "UT2003", "UT2004 Demo", "UT2004"}));
  QStringList trimmed{"keep"};
  FillGameVariantList(trimmed, kVariantNoUT2003Demo | kVariantNoUT2003 | kVariantNoUT2004Demo);
  EXPECT_EQ(trimmed, (QStringList{"keep", "UT", "UT2004"}));
}

TEST(VocabularyTest, HasNoVisibleTab) {
  std::vector<std::unique_ptr<TGameType>> types;
  types.push_back(std::make_unique<TGameType>());
  types.back()->Name.Set("CTFGame");
  types.push_back(std::make_unique<TGameType>());
  types.back()->Name.Set("xDeathMatch");
  types.back()->TabVisible = false;
  EXPECT_FALSE(HasNoVisibleTab(u"ctfgame", types));
  EXPECT_TRUE(HasNoVisibleTab(u"xDeathMatch", types));
  EXPECT_TRUE(HasNoVisibleTab(u"BunnyTrack", types));
}

TEST(VocabularyTest, SmallHelpers) {
  EXPECT_EQ(StripAfterBackslash("My Server\\evil"), "My Server");
  EXPECT_EQ(StripAfterBackslash("Plain"), "Plain");
  EXPECT_EQ(IconIndex(0, 1), 0);
  EXPECT_EQ(IconIndex(2, 3), 8);
  EXPECT_EQ(IconIndex(3, 3), 0);
  EXPECT_TRUE(AscendingOrDescending(1, 2, false));
  EXPECT_FALSE(AscendingOrDescending(1, 2, true));
}

}  // namespace
}  // namespace zorvane
