// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/settings_table.h"

#include <algorithm>

#include "config/ini_utils.h"
#include "query/query_pacing.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

using K = TSettingKind;

constexpr TSettingEntry Flag(const char* key, bool TSettings::*member, bool def) {
  return {.key = key, .kind = K::Flag, .member = member, .number = def};
}
constexpr TSettingEntry Nonzero(const char* key, bool TSettings::*member, bool def) {
  return {.key = key, .kind = K::Nonzero, .member = member, .number = def};
}
constexpr TSettingEntry Ranged(const char* key, int TSettings::*member, int def, int lo, int hi,
                               int fallback) {
  return {.key = key, .kind = K::Ranged, .member = member, .number = def, .lo = lo, .hi = hi,
          .fallback = fallback};
}
constexpr TSettingEntry Ranged(const char* key, int TSettings::*member, int def, int lo, int hi) {
  return Ranged(key, member, def, lo, hi, def);
}
constexpr TSettingEntry Clamped(const char* key, int TSettings::*member, int def, int lo, int hi) {
  return {.key = key, .kind = K::Clamped, .member = member, .number = def, .lo = lo, .hi = hi,
          .fallback = def};
}
constexpr TSettingEntry Text(const char* key, QString TSettings::*member, const char* def) {
  return {.key = key, .kind = K::Text, .member = member, .text = def};
}
constexpr TSettingEntry Choice(const char* key, QString TSettings::*member, const char* def,
                               const char* choices, const char* fallback) {
  return {.key = key, .kind = K::Choice, .member = member, .text = def, .choices = choices,
          .fallbackText = fallback};
}
constexpr TSettingEntry KeepingOtherText(TSettingEntry entry) {
  entry.keepOtherText = true;
  return entry;
}
constexpr TSettingEntry Trimmed(const char* key, QString TSettings::*member, const char* def) {
  return {.key = key, .kind = K::Trimmed, .member = member, .text = def};
}
constexpr TSettingEntry Layout(const char* key, int TSettings::*member, int def) {
  return {.key = key, .kind = K::Layout, .member = member, .number = def};
}
constexpr TSettingEntry Layout(const char* key, std::optional<int> TSettings::*member) {
  return {.key = key, .kind = K::Layout, .member = member};  // empty: as designed
}
constexpr TSettingEntry AtStartup(TSettingEntry entry) {
  entry.atStartup = true;
  return entry;
}

using S = TSettings;
constexpr TSettingEntry kTable[] = {
    Ranged("localPort", &S::localPort, 7778, 0, 65535),
    Ranged("refreshRate", &S::refreshRate, 0, 0, 1800000),
    Layout("windowWidth", &S::windowWidth, 871),
    Layout("windowHeight", &S::windowHeight, 600),
    Ranged("pingWaitTime", &S::pingWaitTime, 2000, 2000, 4000, 3000),
    Text("defaultVersion", &S::defaultVersion, "UT"),
    Text("defaultGame", &S::defaultGame, "UT"),
    Text("serverOnlineSound", &S::serverOnlineSound, "server.wav"),
    Text("serverPopulatedSound", &S::serverPopulatedSound, "ready.wav"),
    Text("playerOnlineSound", &S::playerOnlineSound, "player.wav"),
      // "not there": no font chosen yet, the system's is used. A desktop family chosen in the
    // Font dialog is kept; the window falls back to the system's font when it is not installed.
    AtStartup(KeepingOtherText(Choice("fontName", &S::fontName, "not there",
                                      "MS Sans Serif|Tahoma|Times New Roman|Verdana",
                                      "MS Sans Serif"))),
    AtStartup(Clamped("fontSize", &S::fontSize, 8, 6, 12)),
    Flag("autoRefreshSelectedServerOnly", &S::autoRefreshSelectedServerOnly, false),
    Flag("confirmServerDelete", &S::confirmServerDelete, true),
    Flag("confirmPlayerDelete", &S::confirmPlayerDelete, true),
    Flag("confirmMapDelete", &S::confirmMapDelete, true),
    Flag("exactMatchPlayer", &S::exactMatchPlayer, true),
    Flag("exactMatchServer", &S::exactMatchServer, true),
    Flag("morePlayerInfo", &S::morePlayerInfo, true),
    Flag("skipPercentageInfo", &S::skipPercentageInfo, false),
    AtStartup(Nonzero("skipDefaultPathsInfo", &S::skipDefaultPathsInfo, false)),
    Text("lastSelectedServer", &S::lastSelectedServer, ""),
    Choice("startupQuery", &S::startupQuery, "Favorites Only",
           "UT Master Server|UT2004 Master Server|UT2003 Master Server|Favorites Only|none|LAN Servers",
           "UT Master Server"),
    Ranged("lastActivePageIndex", &S::lastActivePageIndex, 0, INT_MIN, INT_MAX),
    Layout("infoHeight", &S::infoHeight),
    Layout("playerWidth", &S::playerWidth),
    Flag("autoPingServer", &S::autoPingServer, true),
    Flag("tabsMultiline", &S::tabsMultiline, false),
    Flag("minimizeOnJoin", &S::minimizeOnJoin, false),
    Flag("syncFaves", &S::syncFaves, true),
    Flag("autoCheckNewVersion", &S::autoCheckNewVersion, true),
    Flag("showToolbar", &S::showToolbar, true),
    Flag("startInTray", &S::startInTray, false),
    // The grid sorts are written here.
    Choice("filterLocation", &S::filterLocation, "right", "top|bottom|left|right", "top"),
    Clamped("queryPower", &S::queryPower, kDefaultQueryPower, 0, 10000),
    Ranged("iconGroup", &S::iconGroup, 1, 1, kIconGroups),
    Ranged("ut99iniWidth", &S::ut99iniWidth, 650, 50, 2000),
    Ranged("ut99iniHeight", &S::ut99iniHeight, 585, 50, 1600),
    // GameSpy's own masters closed; the community masters speak the same protocol.
    Trimmed("masterServer", &S::masterServer, "master.333networks.com"),
    // Where the version check asks; the program has no web host of its own yet.
    Text("versionHost", &S::versionHost, ""),
    // A LAN search: how long it listens, and whom it asks (dotted IPv4 addresses separated by
    // commas or blanks; blank asks the broadcast address of every interface that is up).
    Ranged("lanSearchWait", &S::lanSearchWait, 2000, 100, 60000),
    Text("lanAddresses", &S::lanAddresses, ""),
    // Asked once: whether UT2004's game types get tabs of their own.
    Flag("offeredUT2004Tabs", &S::offeredUT2004Tabs, false),
    // The server history (samples of the replies, last seen) and the desktop's notifications
    // of watched players and maps.
    Flag("serverHistory", &S::serverHistory, true),
    Flag("desktopNotifications", &S::desktopNotifications, false),
};

const QString kSettings = QString::fromLatin1(kSettingsSection);

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
// Clang before 17 deduces no aggregate's template arguments by itself.
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

int ReadNumber(const TIniDocument& ini, const QString& key, const TSettingEntry& e) {
  int value = 0;
  if (!ReadInteger(ini.ReadString(kSettings, key, QString::number(e.number)), value))
    return e.fallback;
  if (e.kind == K::Clamped) return std::clamp(value, e.lo, e.hi);
  return value >= e.lo && value <= e.hi ? value : e.fallback;
}

QString ReadChoice(const TIniDocument& ini, const QString& key, const TSettingEntry& e) {
  const QString def = QString::fromLatin1(e.text);
  const QString value = ini.ReadString(kSettings, key, def);
  if (value == def) return def;
  for (const QString& choice : QString::fromLatin1(e.choices).split(u'|'))
    if (value.compare(choice, Qt::CaseInsensitive) == 0) return choice;
  if (e.keepOtherText && !value.trimmed().isEmpty()) return value;
  return QString::fromLatin1(e.fallbackText);
}

}  // namespace

std::span<const TSettingEntry> SettingsTable() {
  return kTable;
}

QString SettingKey(const TSettingMember& member) {
  const auto entry =
      std::find_if(std::begin(kTable), std::end(kTable),
                   [&](const TSettingEntry& e) { return e.member == member; });
  return entry == std::end(kTable) ? QString() : QString::fromLatin1(entry->key);
}

void SetDefault(const TSettingEntry& e, TSettings& s) {
  std::visit(Overloaded{[&](bool TSettings::*m) { s.*m = e.number != 0; },
                        [&](int TSettings::*m) { s.*m = e.number; },
                        [&](QString TSettings::*m) { s.*m = QString::fromLatin1(e.text); },
                        [&](std::optional<int> TSettings::*m) { (s.*m).reset(); }},
             e.member);
}

void LoadSetting(const TIniDocument& ini, const TSettingEntry& e, TSettings& s) {
  const QString key = QString::fromLatin1(e.key);
  const QString def = QString::fromLatin1(e.text);
  switch (e.kind) {
    case K::Flag:
      s.*std::get<bool TSettings::*>(e.member) =
          ReadFlag(ini, kSettings, key, e.number ? QStringLiteral("1") : QStringLiteral("0"));
      break;
    case K::Nonzero:
      s.*std::get<bool TSettings::*>(e.member) = ini.ReadBool(kSettings, key, e.number != 0);
      break;
    case K::Ranged:
    case K::Clamped:
      s.*std::get<int TSettings::*>(e.member) = ReadNumber(ini, key, e);
      break;
    case K::Text:
      s.*std::get<QString TSettings::*>(e.member) = ini.ReadString(kSettings, key, def);
      break;
    case K::Choice:
      s.*std::get<QString TSettings::*>(e.member) = ReadChoice(ini, key, e);
      break;
    case K::Trimmed: {
      const QString value = ini.ReadString(kSettings, key, def).trimmed();
      s.*std::get<QString TSettings::*>(e.member) = value.isEmpty() ? def : value;
      break;
    }
    case K::Layout:
      break;
  }
}

void SaveSetting(TIniDocument& ini, const TSettingEntry& e, const TSettings& s) {
  const QString key = QString::fromLatin1(e.key);
  std::visit(
      Overloaded{[&](bool TSettings::*m) { WriteFlag(ini, kSettings, key, s.*m); },
                 [&](int TSettings::*m) { ini.WriteInteger(kSettings, key, s.*m); },
                 [&](QString TSettings::*m) { ini.WriteString(kSettings, key, s.*m); },
                 [&](std::optional<int> TSettings::*m) {
                   ini.WriteInteger(kSettings, key, (s.*m).value_or(0));
                 }},
      e.member);
}

}  // namespace zorvane
