// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/mass_refresh_run.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

#include "browse/mass_refresh.h"
#include "config/ini_document.h"
#include "config/master_lists.h"
#include "config/settings.h"
#include "config/settings_table.h"
#include "query/server_stash.h"

namespace zorvane {

namespace {

class THeadlessHost : public TMassRefreshHost {
 public:
  explicit THeadlessHost(QEventLoop& loop) : loop_(loop) {}
  void ActivityLog(const QString& text) override { Print(text); }
  void DebugLog(const QString&) override {}
  void ShowStatus(const QString& text) override { Print(text); }
  void ShowMasterFailure(const QString& text) override {
    Print(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  }
  void ShowLowReplyNotice(const QString& text) override {
    Print(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  }
  void MassRefreshFinished() override { loop_.quit(); }

 private:
  // The same text from the status bar and the log is printed once.
  void Print(const QString& text) {
    if (text == last_) return;
    last_ = text;
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
  }

  QEventLoop& loop_;
  QString last_;
};

// The game's masters in the settings of dir; the defaults when it holds no settings file.
QStringList SettingsMasters(const QString& dir, const QString& variant) {
  const QString path = QDir(dir).filePath(QString::fromLatin1(kSettingsFileName));
  TSettings settings;
  if (QFileInfo(path).isFile()) {
    TIniDocument ini(path);
    if (ini.Load()) {
      for (const TSettingEntry& entry : SettingsTable())
        if (entry.member == TSettingMember(&TSettings::masterServer))
          LoadSetting(ini, entry, settings);
      LoadMasterLists(ini, settings);
    } else {
      std::fprintf(stderr, "zorvane-query: %s\n", qUtf8Printable(ini.LoadError()));
    }
  }
  const auto list = settings.masterLists.find(variant);
  return list == settings.masterLists.end() ? QStringList() : list->second;
}

}  // namespace

int TMassRefreshOutcome::ExitStatus() const {
  const auto any = [&](TMasterResult result) {
    return std::any_of(masters.begin(), masters.end(),
                       [&](const TMasterOutcome& o) { return o.result == result; });
  };
  return any(TMasterResult::Listed) ? 0 : any(TMasterResult::Cut) ? 3 : 1;
}

TMasterAddresses MastersToAsk(const TQueryOptions& options) {
  QStringList entries;
  if (options.DefaultMasters)
    entries = options.Dir.isEmpty() ? DefaultMasterList(options.MasterGame)
                                    : SettingsMasters(options.Dir, options.MasterGame);
  TMasterAddresses masters = MasterAddressesOf(entries);
  for (const QString& master : options.Masters)
    if (const auto address = ParseMasterAddress(master)) masters.push_back(*address);
  return masters;
}

TMassRefreshOutcome RunMassRefresh(TServerStash& stash, const TMasterAddresses& masters,
                                   int queryPower, const QString& variant) {
  QEventLoop loop;
  THeadlessHost host(loop);
  TMassRefresh refresh(stash, host);
  refresh.QueryPower = queryPower;
  refresh.Masters[variant] = masters;
  QObject::connect(&stash, &TServerStash::OnServerUpdated, &refresh,
                   [&refresh](const QString& key) { refresh.ServerUpdated(key); });
  if (refresh.StartMassRefresh(variant) && refresh.MassRefreshing()) loop.exec();
  TMassRefreshOutcome outcome;
  outcome.masters = refresh.MasterOutcomes();
  outcome.listed = refresh.ServersListed();
  outcome.replyPercent = outcome.listed > 0 ? refresh.ReplyPercent() : 0;
  return outcome;
}

QByteArray MastersJson(const std::vector<TMasterOutcome>& masters) {
  QJsonArray array;
  for (const TMasterOutcome& master : masters) {
    QJsonObject entry;
    entry.insert(QStringLiteral("address"),
                 QString(master.master.host + u':' + QString::number(master.master.port)));
    entry.insert(QStringLiteral("outcome"), MasterResultName(master.result));
    entry.insert(QStringLiteral("servers"), master.listed);
    array.append(entry);
  }
  return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

}  // namespace zorvane
