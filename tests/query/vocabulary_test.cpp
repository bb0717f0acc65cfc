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

TEST(VocabularyTest, SmallHelpers) {
  EXPECT_EQ(StripAfterBackslash("My Server\\evil"), "My Server");
  EXPECT_EQ(StripAfterBackslash("Plain"), "Plain");
}

}  // namespace
}  // namespace zorvane
