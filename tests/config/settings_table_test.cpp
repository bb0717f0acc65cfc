// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/settings_table.h"

#include <gtest/gtest.h>

#include <QSet>

#include "config/game_tables.h"
#include "query/server_stash.h"

namespace zorvane {
namespace {

using K = TSettingKind;

// A valid value other than the default (and other than a choice's fallback).
void Change(const TSettingEntry& e, TSettings& s) {
  if (auto m = std::get_if<bool TSettings::*>(&e.member)) s.**m = !(s.**m);
  if (auto m = std::get_if<int TSettings::*>(&e.member))
    s.**m = e.kind == K::Layout ? 500 : e.number != e.hi ? e.hi : e.lo;
  if (auto m = std::get_if<std::optional<int> TSettings::*>(&e.member)) s.**m = 500;
  if (auto m = std::get_if<QString TSettings::*>(&e.member)) {
    s.**m = e.kind == K::Trimmed ? QStringLiteral("127.0.0.1:28901") : QStringLiteral("changed");
    for (const QString& choice : QString::fromLatin1(e.choices).split(u'|', Qt::SkipEmptyParts))
      if (choice != QLatin1StringView(e.text) && choice != QLatin1StringView(e.fallbackText))
        s.**m = choice;
  }
}

bool Same(const TSettingEntry& e, const TSettings& a, const TSettings& b) {
  return std::visit([&](auto m) { return a.*m == b.*m; }, e.member);
}

TSettings Load(const QByteArray& text, TSettings s = {}) {
  TIniDocument ini, gameTypeIni;
  TServerStash stash;
  ini.ParseText(text);
  LoadStartupSettings(ini, s);
  LoadSettings(ini, gameTypeIni, {}, stash, s);
  return s;
}

TEST(SettingsTableTest, KeysAndMembersAreNamedOnce) {
  QSet<QString> keys;
  for (const TSettingEntry& e : SettingsTable()) {
    EXPECT_FALSE(keys.contains(QString::fromLatin1(e.key).toLower())) << e.key;
    keys.insert(QString::fromLatin1(e.key).toLower());
    for (const TSettingEntry& other : SettingsTable())
      EXPECT_TRUE(&other == &e || other.member != e.member) << e.key << " " << other.key;
    EXPECT_EQ(SettingKey(e.member), e.key);
  }
}

TEST(SettingsTableTest, EveryEntrySurvivesSaveAndLoadAlone) {
  const TSettings designed;
  for (const TSettingEntry& e : SettingsTable()) {
    TSettings changed;
    Change(e, changed);
    ASSERT_FALSE(Same(e, changed, designed)) << e.key;
    TIniDocument ini;
    SaveSettings(ini, changed, TServerStash());
    const TSettings loaded = Load(ini.ToBytes());
    for (const TSettingEntry& each : SettingsTable())
      EXPECT_TRUE(Same(each, loaded, changed)) << each.key << " after saving " << e.key;
  }
}

TEST(SettingsTableTest, MissingKeysLoadTheDefaultsANewTSettingsHolds) {
  TSettings changed;
  for (const TSettingEntry& e : SettingsTable()) Change(e, changed);
  const TSettings loaded = Load("[settings]\nZorvane=2.91\n", changed);
  const TSettings designed;
  for (const TSettingEntry& e : SettingsTable()) {
    if (e.kind == K::Layout) continue;  // an empty layout value leaves what was there
    EXPECT_TRUE(Same(e, loaded, designed)) << e.key;
  }
  EXPECT_EQ(Load("[settings]\nwindowWidth=0\n", changed).windowWidth, designed.windowWidth);
}

}  // namespace
}  // namespace zorvane
