// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/lan_run.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <cstdio>

#include "config/ini_document.h"
#include "config/settings.h"
#include "config/settings_table.h"
#include "query/lan_search.h"

namespace zorvane {

TLanSettings ReadLanSettings(const QString& dir) {
  TLanSettings lan;
  const QString path = QDir(dir).filePath(QString::fromLatin1(kSettingsFileName));
  if (dir.isEmpty() || !QFileInfo(path).isFile()) return lan;
  TIniDocument ini(path);
  if (!ini.Load()) {
    std::fprintf(stderr, "zorvane-query: %s\n", qUtf8Printable(ini.LoadError()));
    return lan;
  }
  TSettings settings;
  for (const TSettingEntry& entry : SettingsTable())
    if (entry.member == TSettingMember(&TSettings::lanAddresses) ||
        entry.member == TSettingMember(&TSettings::lanSearchWait))
      LoadSetting(ini, entry, settings);
  lan.addresses = settings.lanAddresses;
  lan.waitMs = settings.lanSearchWait;
  return lan;
}

std::vector<TQueryTarget> RunLanSearch(const TQueryOptions& options, const TLanSettings& settings) {
  QEventLoop loop;
  TLanSearch search;
  search.Addresses =
      options.Broadcast.isEmpty() ? settings.addresses : options.Broadcast.join(u',');
  search.WaitMs = options.LanWaitMs >= 0 ? options.LanWaitMs : settings.waitMs;
  search.BeaconPort = options.BeaconPort;
  search.LanServerPort = options.LanPort;
  std::vector<TQueryTarget> found;
  QObject::connect(&search, &TLanSearch::OnServerFound, &loop,
                   [&](const QString& address, int queryPort, const QString& variant) {
                     found.push_back({address, queryPort, variant});
                   });
  QObject::connect(&search, &TLanSearch::OnSearchFinished, &loop, &QEventLoop::quit);
  QObject::connect(&search, &TLanSearch::OnLog, &loop, [](int, const QString& text) {
    std::fprintf(stderr, "zorvane-query: %s\n", qUtf8Printable(text));
  });
  if (search.Start()) loop.exec();
  return found;
}

}  // namespace zorvane
