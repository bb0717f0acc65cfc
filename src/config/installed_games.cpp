// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/installed_games.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSysInfo>
#include <algorithm>

#include "config/game_tables.h"
#include "config/ini_utils.h"
#include "config/steam_libraries.h"
#include "config/wine_registry.h"

namespace zorvane {

namespace {

constexpr qint64 kMaxLibraryFileBytes = 1 << 20;  // a real one is a few kilobytes
constexpr qint64 kMaxRegistryBytes = 64 << 20;    // a real one is a few megabytes
constexpr int kMaxFolderEntries = 10000;          // read of one folder

struct TGameKind {
  const char* game;
  const char* base;         // the Windows executable's and the main INI's name
  const char* registryKey;  // the open command under the registry's file classes
  // Where the native game keeps its INI files under home, the one it makes first at the front.
  const char* homeFolders[2];
  // The native binaries, relative to the installation, the best first.
  const char* binaries[4];
};

// The OldUnreal patches name the UT binaries by architecture (ut-bin-amd64 in System64,
// ut-bin-x86, ut-bin-arm64 in SystemARM64; ut-bin in 469b and Loki's port); UT2004 has
// ut2004-bin and the 3369 patch's ut2004-bin-linux-amd64, OldUnreal's UT2004 patch "UT2004".
constexpr TGameKind kKinds[] = {
    {"UT",
     "UnrealTournament",
     "\\Applications\\UnrealTournament.exe\\shell\\open\\command",
     {".utpg/System", ".loki/ut/System"},
     {"System64/ut-bin-amd64", "System/ut-bin-x86", "System/ut-bin", "SystemARM64/ut-bin-arm64"}},
    {"UT2004",
     "UT2004",
     "ut2004\\Shell\\open\\command",
     {".ut2004/System", nullptr},
     {"System/ut2004-bin-linux-amd64", "System/ut2004-bin", "System/UT2004", "SystemARM64/UT2004"}},
    {"UT2003",
     "UT2003",
     "ut2003\\Shell\\open\\command",
     {".ut2003/System", nullptr},
     {"System/ut2003-bin", nullptr, nullptr, nullptr}},
};

// The kind a native binary's file name belongs to; null for any other file.
const TGameKind* KindOfBinary(const QString& fileName) {
  const QString name = fileName.toLower();
  if (name.startsWith(u"ut-bin")) return &kKinds[0];
  if (name.startsWith(u"ut2004-bin") || name == u"ut2004") return &kKinds[1];
  if (name.startsWith(u"ut2003-bin") || name == u"ut2003") return &kKinds[2];
  return nullptr;
}

// A folder's entries by lower-cased name, at most kMaxFolderEntries of them.
QHash<QString, QString> EntriesByLowerName(const QString& folder, QDir::Filters filters) {
  QHash<QString, QString> entries;
  QDirIterator it(folder, filters | QDir::NoDotAndDotDot | QDir::Hidden);
  for (int n = 0; n < kMaxFolderEntries && it.hasNext(); ++n) {
    it.next();
    entries.insert(it.fileName().toLower(), it.fileName());
  }
  return entries;
}

// folder/name, spelt as the folder's entry that matches ignoring case (as a Windows install
// copied to Linux may spell it), else as given.
QString InFolderIgnoringCase(const QString& folder, const QString& name) {
  const QString exact = JoinPath(folder, name);
  if (QFileInfo::exists(exact)) return exact;
  return JoinPath(folder, EntriesByLowerName(folder, QDir::AllEntries).value(name.toLower(), name));
}

bool IsWindowsExecutable(const QString& path) {
  return path.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive);
}

TIniGuess NativeIniPaths(const TGameKind& kind, const QString& binary, const QString& home) {
  const QString ini = QString::fromLatin1(kind.base) + QStringLiteral(".ini");
  QString folder;
  for (const char* place : kind.homeFolders) {
    if (place && QFileInfo(JoinPath(JoinPath(home, QLatin1String(place)), ini)).isFile()) {
      folder = JoinPath(home, QLatin1String(place));
      break;
    }
  }
  if (folder.isEmpty()) {
    // Not started yet: the game makes its folder on its first start. A plain "ut-bin" beside
    // Loki's folder is Loki's port; every OldUnreal patch uses its own.
    const char* place = kind.homeFolders[0];
    if (kind.homeFolders[1] && QFileInfo(binary).fileName() == u"ut-bin" &&
        QFileInfo(JoinPath(home, QStringLiteral(".loki/ut"))).isDir())
      place = kind.homeFolders[1];
    folder = JoinPath(home, QLatin1String(place));
  }
  return {JoinPath(folder, ini), JoinPath(folder, QStringLiteral("User.ini"))};
}

TIniGuess WindowsIniPaths(const QString& exe) {
  const QFileInfo info(exe);
  const QString folder = info.path();
  return {InFolderIgnoringCase(folder, info.completeBaseName() + QStringLiteral(".ini")),
          InFolderIgnoringCase(folder, QStringLiteral("User.ini"))};
}

// One run of the search: what was found so far, each executable once.
class TSearch {
 public:
  explicit TSearch(const TGameSearchPlaces& places) : places_(places) {}

  std::vector<TFoundGame> found;

  // An installation: a folder with a System folder holding a game's binary or executable.
  // A native binary wins over a Windows executable of the same game beside it.
  void ExamineInstall(const QString& root, TGameSource source) {
    const QHash<QString, QString> top = EntriesByLowerName(root, QDir::Dirs);
    if (!top.contains(QStringLiteral("system")) && !top.contains(QStringLiteral("system64")) &&
        !top.contains(QStringLiteral("systemarm64")))
      return;
    QHash<QString, QHash<QString, QString>> systems;  // lower-cased folder -> its files
    const auto fileIn = [&](const QString& relative) -> QString {
      const QString folder = relative.section(u'/', 0, 0).toLower();
      const QString file = relative.section(u'/', 1);
      const auto dir = top.constFind(folder);
      if (dir == top.constEnd()) return {};
      const QString path = JoinPath(root, *dir);
      if (!systems.contains(folder)) systems.insert(folder, EntriesByLowerName(path, QDir::Files));
      const auto entry = systems[folder].constFind(file.toLower());
      return entry == systems[folder].constEnd() ? QString() : JoinPath(path, *entry);
    };
    for (const TGameKind& kind : kKinds) {
      QString exe;
      for (const QString& binary : BinariesByArchitecture(kind))
        if (exe = fileIn(binary); !exe.isEmpty()) break;
      const bool native = !exe.isEmpty();
      if (!native) exe = fileIn(QStringLiteral("System/") + QLatin1String(kind.base) + u".exe");
      if (!exe.isEmpty()) Add(kind, source, native, root, exe);
    }
  }

  // A Wine prefix: the games its registry names, whose executables are really there.
  void ExaminePrefix(const QString& prefix, TGameSource source) {
    const auto bytes =
        ReadRegularFile(JoinPath(prefix, QStringLiteral("system.reg")), kMaxRegistryBytes);
    if (!bytes) return;
    TWineRegistry registry(prefix);
    registry.Parse(*bytes);
    for (const TGameKind& kind : kKinds) {
      const QString base = QString::fromLatin1(kind.base);
      const QString windowsFolder = WindowsDirectoryOfCommand(
          registry.ClassesDefault(QString::fromLatin1(kind.registryKey)), base);
      const QString folder =
          windowsFolder.isEmpty() ? QString() : registry.ToLocalPath(windowsFolder);
      if (folder.isEmpty()) continue;
      const QString exe = InFolderIgnoringCase(folder, base + QStringLiteral(".exe"));
      if (QFileInfo(exe).isFile()) Add(kind, source, false, QFileInfo(folder).path(), exe);
    }
  }

  // A Steam library: the installations in its steamapps/common.
  void ExamineSteamLibrary(const QString& library, TGameSource source) {
    const QString common = InFolderIgnoringCase(
        InFolderIgnoringCase(library, QStringLiteral("steamapps")), QStringLiteral("common"));
    for (const QString& name : EntriesByLowerName(common, QDir::Dirs))
      ExamineInstall(JoinPath(common, name), source);
  }

  // The installations and Wine prefixes right inside a folder (hidden ones left out).
  void ExamineChildren(const QString& folder, TGameSource source) {
    if (folder.isEmpty()) return;  // not the current folder
    QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot);
    for (int n = 0; n < kMaxFolderEntries && it.hasNext(); ++n) {
      const QString child = it.next();
      ExamineInstall(child, source);
      if (QFileInfo(JoinPath(child, QStringLiteral("system.reg"))).isFile())
        ExaminePrefix(child, TGameSource::Wine);
    }
  }

  void ExamineUserFolder(const QString& named) {
    const QString folder = QDir::cleanPath(named);
    if (!QFileInfo(folder).isDir()) return;
    const std::size_t before = found.size();
    ExamineInstall(folder, TGameSource::Folder);
    if (QFileInfo(folder).fileName().startsWith(QStringLiteral("system"), Qt::CaseInsensitive))
      ExamineInstall(QFileInfo(folder).path(), TGameSource::Folder);
    if (QFileInfo(JoinPath(folder, QStringLiteral("system.reg"))).isFile())
      ExaminePrefix(folder, TGameSource::Folder);
    ExamineSteamLibrary(folder, TGameSource::Folder);
    if (found.size() == before) ExamineChildren(folder, TGameSource::Folder);
  }

  void ExamineSteam() {
    const QString home = places_.home;
    QStringList libraries;
    for (const QString& root :
         {JoinPath(DataHome(), QStringLiteral("Steam")),
          JoinPath(home, QStringLiteral(".steam/steam")),
          JoinPath(home, QStringLiteral(".steam/root")),
          JoinPath(home, QStringLiteral(".steam/debian-installation")),
          JoinPath(home, QStringLiteral(".var/app/com.valvesoftware.Steam/.local/share/Steam")),
          JoinPath(home, QStringLiteral("snap/steam/common/.local/share/Steam"))}) {
      if (!QFileInfo(root).isDir()) continue;
      libraries << root;
      for (const char* list : {"steamapps/libraryfolders.vdf", "config/libraryfolders.vdf"})
        if (const auto bytes =
                ReadRegularFile(JoinPath(root, QLatin1String(list)), kMaxLibraryFileBytes))
          libraries << SteamLibraryPaths(*bytes);
    }
    QSet<QString> seen;  // ~/.steam/steam is usually a link to ~/.local/share/Steam
    for (const QString& library : libraries) {
      const QString canonical = QFileInfo(library).canonicalFilePath();
      if (canonical.isEmpty() || seen.contains(canonical)) continue;
      seen.insert(canonical);
      ExamineSteamLibrary(library, TGameSource::Steam);
    }
  }

  void ExamineNativePlaces() {
    const QString home = places_.home;
    for (const QString& root :
         {home, JoinPath(home, QStringLiteral("Games")), JoinPath(home, QStringLiteral("games")),
          JoinPath(home, QStringLiteral(".local/games")),
          JoinPath(DataHome(), QStringLiteral("OldUnreal"))})
      ExamineChildren(root, TGameSource::Native);
  }

  void ExamineDefaultWinePrefix() {
    const QString prefix = places_.environment.value(QStringLiteral("WINEPREFIX"));
    ExaminePrefix(prefix.isEmpty() ? JoinPath(places_.home, QStringLiteral(".wine")) : prefix,
                  TGameSource::Wine);
  }

 private:
  QString DataHome() const {
    const QString data = places_.environment.value(QStringLiteral("XDG_DATA_HOME"));
    return data.startsWith(u'/') ? data : JoinPath(places_.home, QStringLiteral(".local/share"));
  }

  static QStringList BinariesByArchitecture(const TGameKind& kind) {
    QStringList binaries;
    for (const char* binary : kind.binaries)
      if (binary) binaries << QString::fromLatin1(binary);
    // An ARM machine runs only the ARM binaries; elsewhere they come last.
    if (QSysInfo::currentCpuArchitecture() == u"arm64")
      std::stable_partition(binaries.begin(), binaries.end(),
                            [](const QString& b) { return b.startsWith(u"SystemARM64"); });
    return binaries;
  }

  void Add(const TGameKind& kind, TGameSource source, bool native, const QString& folder,
           const QString& exe) {
    const QString canonical = QFileInfo(exe).canonicalFilePath();
    if (canonical.isEmpty() || exes_.contains(canonical)) return;
    exes_.insert(canonical);
    const TIniGuess ini = native ? NativeIniPaths(kind, exe, places_.home) : WindowsIniPaths(exe);
    found.push_back(TFoundGame{QString::fromLatin1(kind.game), source, native, folder, exe,
                               ini.favoritesPath, ini.userPath});
  }

  const TGameSearchPlaces& places_;
  QSet<QString> exes_;
};

}  // namespace

TGameSearchPlaces TGameSearchPlaces::OfThisUser() {
  TGameSearchPlaces places;
  places.home = QDir::homePath();
  places.environment = QProcessEnvironment::systemEnvironment();
  places.systemFolders = {QStringLiteral("/usr/local/games"), QStringLiteral("/usr/games"),
                          QStringLiteral("/opt")};
  return places;
}

std::vector<TFoundGame> FindInstalledGames(const TGameSearchPlaces& places) {
  TSearch search(places);
  for (const QString& folder : places.folders) search.ExamineUserFolder(folder);
  if (!places.home.isEmpty()) {  // no home: only the folders named
    search.ExamineNativePlaces();
    search.ExamineSteam();
    search.ExamineDefaultWinePrefix();
  }
  for (const QString& root : places.systemFolders)
    search.ExamineChildren(root, TGameSource::Native);
  return std::move(search.found);
}

std::vector<TFoundGame> FindGamesInFolder(const QString& folder, const TGameSearchPlaces& places) {
  TSearch search(places);
  search.ExamineUserFolder(folder);
  return std::move(search.found);
}

TIniGuess GuessIniPaths(const QString& exePath, const QString& home) {
  if (exePath.isEmpty()) return {};
  if (IsWindowsExecutable(exePath)) return WindowsIniPaths(exePath);
  const TGameKind* kind = KindOfBinary(QFileInfo(exePath).fileName());
  return kind ? NativeIniPaths(*kind, exePath, home) : TIniGuess{};
}

QString FoundGameTitle(const TFoundGame& found) {
  QString title = found.game + (found.native ? QStringLiteral(" - Linux version")
                                             : QStringLiteral(" - Windows version"));
  switch (found.source) {
    case TGameSource::Steam:
      return title + QStringLiteral(" (Steam)");
    case TGameSource::Wine:
      return title + QStringLiteral(" (Wine)");
    case TGameSource::Native:
    case TGameSource::Folder:
      break;
  }
  return title;
}

QStringList ApplyFoundGames(TGameTables& tables, const std::vector<TFoundGame>& found) {
  for (const auto& paths : tables.paths) paths->FavoritesMoved = false;
  QStringList changed;
  for (const TFoundGame& game : found) {
    TGameInfo* paths = tables.FindPaths(game.game);
    if (!paths) continue;
    paths->FavoritesMoved =
        !game.favoritesPath.isEmpty() && game.favoritesPath != paths->FavoritesPath.Value;
    paths->ExePath.Set(game.exePath);
    paths->FavoritesPath.Set(game.favoritesPath);
    paths->UserPath.Set(game.userPath);
    if (!changed.contains(game.game)) changed << game.game;
  }
  return changed;
}

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes) {
  // Checked before opening: opening a FIFO waits for a writer, and a device never ends.
  const QFileInfo info(path);
  if (!info.isFile() || info.size() > maxBytes) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QByteArray bytes = file.read(maxBytes + 1);  // the file may have grown meanwhile
  if (file.error() != QFileDevice::NoError || bytes.size() > maxBytes) return std::nullopt;
  return bytes;
}

}  // namespace zorvane
