// SPDX-License-Identifier: GPL-2.0-or-later
// The whole configuration: load, save, load, save. The second load holds the same favourites
// as the first, and the second save writes the same keys and values as the first (favourites,
// games, game types and settings are stable).
//
// Input: zorvane.ini, then (after a line "||") utGameType.ini; without one the program
// creates its default game types.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <tuple>
#include <vector>

#include "config/configuration.h"
#include "fuzz_support.h"
#include "query/network_text.h"
#include "query/open_file_limit.h"
#include "query/server_record.h"
#include "query/server_stash.h"

using namespace zorvane;

namespace {

using TFavorite = std::tuple<QString, QString, QString, QString>;  // key, name, game, auto-update

struct TLoaded {
  bool ok = false;
  std::vector<TFavorite> favorites;
  QByteArray settingsFile, gameTypeFile;  // as the save after loading wrote them
};

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, QByteArrayView bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes.data(), bytes.size());
}

TLoaded LoadAndSave(const QString& dir) {
  TLoaded loaded;
  TServerStash stash;
  // Names are never looked up: the harness talks to nobody.
  stash.SetHostLookup([](const QString&, QObject*, THostLookupDone) {});
  TConfiguration config;
  TSilentSink messages;
  if (!LoadConfiguration(config, dir, TConfigMode::ReadWrite, stash, messages)) return loaded;
  for (int i = 0; i < stash.Count(); ++i) {
    const TServer& server = *stash.Server(i);
    if (server.Favorite)
      loaded.favorites.emplace_back(stash.Key(i), server.Description(), server.Game(),
                                    server.AutoUpdateDescription());
  }
  loaded.ok = SaveConfiguration(config, stash);
  loaded.settingsFile = ReadFile(dir + QStringLiteral("/zorvane.ini"));
  loaded.gameTypeFile = ReadFile(dir + QStringLiteral("/utGameType.ini"));
  return loaded;
}

// What a file holds: per section (ignoring case) its keys and values in file order. A save
// may move whole sections it rewrites to the end; that changes nothing a load reads.
using TContent = QMap<QString, QList<std::pair<QString, QString>>>;

TContent Content(const QByteArray& bytes) {
  TIniDocument doc;
  doc.ParseText(bytes);
  TContent content;
  for (const QString& section : doc.Sections()) {
    auto& pairs = content[section.toLower()];
    if (!pairs.isEmpty()) continue;  // a repeated section: its keys read as the first's
    for (const QString& key : doc.ReadSection(section))
      pairs.append({key.toLower(), doc.ReadString(section, key, QString())});
  }
  return content;
}

void CheckStable(const char* file, const QByteArray& first, const QByteArray& second) {
  const TContent a = Content(first), b = Content(second);
  if (a == b) return;
  for (auto it = a.begin(); it != a.end(); ++it)
    if (b.value(it.key()) != it.value())
      std::fprintf(stderr, "%s: section [%s] differs between the first and the second save\n", file,
                   qPrintable(it.key()));
  for (auto it = b.begin(); it != b.end(); ++it)
    if (!a.contains(it.key()))
      std::fprintf(stderr, "%s: section [%s] only in the second save\n", file,
                   qPrintable(it.key()));
  fuzz::Check(false, "a saved file is not stable");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::EnsureApplication();
  static const long fileLimit = RaiseOpenFileLimit();
  (void)fileLimit;
  // Saving syncs each file to disk; in memory that costs nothing, so prefer /dev/shm.
  static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isDir()
                               ? QStringLiteral("/dev/shm/zorvane-fuzz-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/zorvane-fuzz-XXXXXX"));
  const QList<QByteArrayView> parts = fuzz::SplitDatagrams(data, size);
  QFile::remove(dir.filePath(QStringLiteral("utGameType.ini")));
  WriteFile(dir.filePath(QStringLiteral("zorvane.ini")), parts[0]);
  if (parts.size() > 1) WriteFile(dir.filePath(QStringLiteral("utGameType.ini")), parts[1]);

  const TLoaded first = LoadAndSave(dir.path());
  if (!first.ok) return 0;
  const TLoaded second = LoadAndSave(dir.path());
  // A hand-made file may hold control characters; the first save blanks them.
  TLoaded expected = first;
  for (auto& [key, name, game, autoUpdate] : expected.favorites)
    for (QString* field : {&key, &name, &game, &autoUpdate}) *field = StripColourCodes(*field);
  fuzz::Check(second.ok, "the saved files could not be loaded and saved again");
  fuzz::Check(second.favorites.size() >= first.favorites.size(), "a favourite was lost");
  for (std::size_t i = 0; i < first.favorites.size(); ++i) {
    const auto& [key, name, game, autoUpdate] = expected.favorites[i];
    const auto& [key2, name2, game2, autoUpdate2] = second.favorites[i];
    if (expected.favorites[i] != second.favorites[i])
      std::fprintf(stderr, "favourite %s '%s' %s %s came back as %s '%s' %s %s\n", qPrintable(key),
                   qPrintable(name), qPrintable(game), qPrintable(autoUpdate), qPrintable(key2),
                   qPrintable(name2), qPrintable(game2), qPrintable(autoUpdate2));
  }
  fuzz::Check(second.favorites == expected.favorites, "a favourite changed");
  CheckStable("zorvane.ini", first.settingsFile, second.settingsFile);
  CheckStable("utGameType.ini", first.gameTypeFile, second.gameTypeFile);
  return 0;
}
