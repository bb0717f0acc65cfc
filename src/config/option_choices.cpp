// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/option_choices.h"

#include "config/master_lists.h"
#include "query/master_query.h"
#include "query/vocabulary.h"

namespace zorvane {

QStringList PingWaitChoices() {
  return {QStringLiteral("2 seconds"), QStringLiteral("3 seconds"), QStringLiteral("4 seconds")};
}

QStringList RefreshRateChoices() {
  QStringList texts;
  for (const int ms : kRefreshRateSteps) texts << DelayText(ms);
  return texts;
}

QStringList StartupQueryChoices() {
  QStringList texts{QStringLiteral("none"), QStringLiteral("Favorites Only")};
  for (const TMasterGame& game : kMasterGames) texts << QString::fromLatin1(game.caption);
  texts << QString::fromLatin1(kLanStartupQuery);
  return texts;
}

QStringList FilterLocationChoices() {
  return {QStringLiteral("top"), QStringLiteral("bottom"), QStringLiteral("left"),
          QStringLiteral("right")};
}

QStringList QueryDelayChoices() {
  QStringList texts{QString::fromLatin1(kNoDelayText)};
  const auto run = [&texts](int from, int to, int step) {
    for (int n = from; n <= to; n += step) texts << QString::number(n);
  };
  run(1, 9, 1);
  run(10, 95, 5);
  run(100, 950, 50);
  run(1000, 10000, 500);
  return texts;
}

QString PingWaitText(int ms) {
  if (ms != 2000 && ms != 3000 && ms != 4000) return {};
  return QString::number(ms / 1000) + QStringLiteral(" seconds");
}

std::optional<int> PingWaitFromText(const QString& text) {
  const QStringList choices = PingWaitChoices();
  const int at = choices.indexOf(text);
  if (at < 0) return std::nullopt;
  return 2000 + at * 1000;
}

int ClampPingWaitTime(int ms) {
  return ms < 2000 || ms > 4000 ? 3000 : ms;
}

QString DelayText(qint64 milliseconds) {
  if (milliseconds <= 0) return QStringLiteral("none");
  const qint64 s = milliseconds / 1000;
  if (s == 0) return QStringLiteral("none");
  if (s == 1) return QStringLiteral("1 second");
  if (s < 60) return QString::number(s) + QStringLiteral(" seconds");
  const qint64 m = s / 60;
  if (m == 1) return QStringLiteral("1 minute");
  return QString::number(m) + QStringLiteral(" minutes");
}

QString QueryDelayText(int power) {
  return power == 0 ? QString::fromLatin1(kNoDelayText) : QString::number(power);
}

std::optional<int> QueryPowerFromText(const QString& text) {
  if (text == QLatin1StringView(kNoDelayText)) return 0;
  bool ok = false;
  const int power = text.toInt(&ok);
  if (!ok || power < 0) return std::nullopt;
  return power;
}

int NextRefreshRate(int ms) {
  const int count = int(std::size(kRefreshRateSteps));
  for (int i = 0; i < count; ++i)
    if (kRefreshRateSteps[i] == ms) return kRefreshRateSteps[(i + 1) % count];
  return 0;
}

TOptionsForm OptionsFormFrom(const TSettings& s) {
  TOptionsForm form;
  form.pingWait = PingWaitText(s.pingWaitTime);
  form.defaultVersion = s.defaultVersion;
  form.refreshRate = DelayText(s.refreshRate);
  form.startupQuery = s.startupQuery;
  form.filterLocation = s.filterLocation;
  form.defaultGame = s.defaultGame;
  form.queryDelay = QueryDelayText(s.queryPower);
  form.autoPingServer = s.autoPingServer;
  form.autoRefreshSelectedServerOnly = s.autoRefreshSelectedServerOnly;
  form.confirmServerDelete = s.confirmServerDelete;
  form.confirmPlayerDelete = s.confirmPlayerDelete;
  form.morePlayerInfo = s.morePlayerInfo;
  form.tabsMultiline = s.tabsMultiline;
  form.minimizeOnJoin = s.minimizeOnJoin;
  form.confirmMapDelete = s.confirmMapDelete;
  form.syncFaves = s.syncFaves;
  form.autoCheckNewVersion = s.autoCheckNewVersion;
  form.showToolbar = s.showToolbar;
  form.startInTray = s.startInTray;
  form.serverHistory = s.serverHistory;
  form.desktopNotifications = s.desktopNotifications;
  form.masterLists = s.masterLists;
  return form;
}

void StoreOptionsForm(const TOptionsForm& form, TSettings& s) {
  s.refreshRate = RefreshRateFromText(form.refreshRate);
  s.startupQuery = form.startupQuery;
  s.autoRefreshSelectedServerOnly = form.autoRefreshSelectedServerOnly;
  if (const auto wait = PingWaitFromText(form.pingWait)) s.pingWaitTime = ClampPingWaitTime(*wait);
  if (const auto power = QueryPowerFromText(form.queryDelay)) s.queryPower = *power;
  if (!form.filterLocation.isEmpty()) s.filterLocation = form.filterLocation;
  s.autoPingServer = form.autoPingServer;
  s.morePlayerInfo = form.morePlayerInfo;
  s.confirmServerDelete = form.confirmServerDelete;
  s.confirmPlayerDelete = form.confirmPlayerDelete;
  s.confirmMapDelete = form.confirmMapDelete;
  s.tabsMultiline = form.tabsMultiline;
  s.minimizeOnJoin = form.minimizeOnJoin;
  s.showToolbar = form.showToolbar;
  s.startInTray = form.startInTray;
  s.serverHistory = form.serverHistory;
  s.desktopNotifications = form.desktopNotifications;
  for (const auto& [variant, list] : form.masterLists)
    if (!list.isEmpty()) SetMasterList(s, variant, list);
  s.defaultVersion = form.defaultVersion;
  s.defaultGame = form.defaultGame;
  s.syncFaves = form.syncFaves;
  s.autoCheckNewVersion = form.autoCheckNewVersion;
}

bool FontChoiceChanges(const QString& name, int size, const QString& currentName,
                       int currentSize) {
  return !name.isEmpty() && (name != currentName || size != currentSize);
}

}  // namespace zorvane
