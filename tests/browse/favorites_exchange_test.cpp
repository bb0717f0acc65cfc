// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/favorites_exchange.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "config/game_tables.h"
#include "query/server_stash.h"
#include "support/files.h"
#include "support/recording_sink.h"

namespace zorvane {
namespace {

using testing::Read;
using testing::RecordingSink;
using testing::Write;

// A UnrealTournament.ini as the game leaves it: CRLF, dozens of sections, a Latin-1 player and
// server name, the favourites in the middle, one entry the game could not read either.
QByteArray UTIni() {
  QByteArray text =
      "[URL]\r\nProtocol=unreal\r\nName=Sp\xe4ler\r\nMap=Index.unr\r\n\r\n"
      "[Engine.Engine]\r\nGameRenderDevice=OpenGLDrv.OpenGLRenderDevice\r\n"
      "; keep this comment\r\nAudioDevice=Galaxy.GalaxyAudioSubsystem\r\n\r\n";
  for (int i = 0; i < 30; ++i)
    text += "[Pkg" + QByteArray::number(i) + ".Class]\r\nKey" + QByteArray::number(i) +
            "=Value with = sign\r\nOther=  spaced  \r\n\r\n";
  text +=
      "[UBrowser.UBrowserFavoritesFact]\r\nFavoriteCount=4\r\n"
      "Favorites[0]=Caf\xe9 CTF\\10.0.0.1\\7778\\True\r\n"
      "Favorites[1]=Broken\\10.0.0.9\\7778\r\n"
      "Favorites[2]=Second\\10.0.0.2\\7778\\False\r\n"
      "Favorites[3]=Third\\10.0.0.3\\7788\\True\r\n\r\n";
  for (int i = 30; i < 60; ++i)
    text += "[Pkg" + QByteArray::number(i) + ".Class]\r\nKey=\xff\xfe\r\n\r\n";
  return text;
}

// A UT2004.ini with the console section between others, LF line ends.
QByteArray UT2004Ini() {
  return "[Engine.GameEngine]\nCacheSizeMegs=32\n\n"
         "[XInterface.ExtendedConsole]\nMaxScrollbackSize=128\n"
         "Favorites=(ServerID=0,IP=\"10.0.0.1\",Port=7777,QueryPort=7778,ServerName=\"Caf\xe9 ONS\")\n"
         "Favorites=(ServerID=0,IP=\"10.0.0.9\",ServerName=\"No ports\")\n"
         "Favorites=(ServerID=0,IP=\"10.0.0.2\",Port=7787,QueryPort=7788,ServerName=\"Two\")\n"
         "bSpeechMenuUseLetters=False\n\n"
         "[GUI2K4.UT2k4Browser_ServerListPageBuddy]\nBuddies=Fr\xe9\x64\n"
         "Favorites=(ServerID=0,IP=\"10.0.0.2\",Port=7787,QueryPort=7788,ServerName=\"Elsewhere\")\n";
}

QByteArray Replaced(QByteArray text, const QByteArray& from, const QByteArray& to) {
  EXPECT_TRUE(text.contains(from)) << from.constData();
  return text.replace(from, to);
}

class FavoritesExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    AddGame("UnrealTournament", "UT", dir_.filePath("UnrealTournament.ini"));
    AddGame("UT2004", "UT2004", dir_.filePath("UT2004.ini"));
    auto type = std::make_unique<TGameType>();
    type->Name.Set(QStringLiteral("CTFGame"));
    type->Game.Set(QStringLiteral("UnrealTournament"));
    tables_.gameTypes.push_back(std::move(type));
    auto orphan = std::make_unique<TGameType>();
    orphan->Name.Set(QStringLiteral("Orphan"));
    tables_.gameTypes.push_back(std::move(orphan));
  }

  void AddGame(const QString& name, const QString& variant, const QString& path) {
    auto game = std::make_unique<TGame>();
    game->Name.Set(name);
    game->Value.Set(variant);
    tables_.games.push_back(std::move(game));
    auto paths = std::make_unique<TGameInfo>();
    paths->FavoritesPath.Set(path);
    tables_.paths.push_back(std::move(paths));
  }

  QString UTPath() const { return dir_.filePath("UnrealTournament.ini"); }
  QString UT2004Path() const { return dir_.filePath("UT2004.ini"); }

  std::unique_ptr<TGameFavoritesFile> Open(const char* game) {
    return OpenGameFavoritesFile(QLatin1StringView(kVerbExport), QString::fromLatin1(game), false,
                                 tables_, sink_);
  }

  // A favourite added as the add dialog does: the user types the game port 7777.
  QString AddFavorite(const QString& ip, const QString& description, const QString& game) {
    const QString queryPort = QString::number(7777 + 1);
    EXPECT_TRUE(stash_.AddServer(ip, queryPort, {}, true, game, QStringLiteral("True"),
                                 description));
    return ip + u':' + queryPort;
  }

  QTemporaryDir dir_;
  TGameTables tables_;
  TServerStash stash_;
  RecordingSink sink_;
};

TEST_F(FavoritesExchangeTest, UTFileRoundTripChangesOnlyTheIntendedLines) {
  const QByteArray original = UTIni();
  Write(UTPath(), original);

  // Import: three readable entries, the one with two backslashes skipped, nothing written.
  // A server a master list holds already takes the file's name and flag.
  ASSERT_TRUE(stash_.AddServer("10.0.0.2", "7778", {}, false, "UT", "True", "Listed"));
  auto file = Open("UnrealTournament");
  ASSERT_TRUE(file);
  const auto imported = ImportFavorites(*file, stash_, false, sink_);
  ASSERT_EQ(imported.size(), 3u);
  EXPECT_EQ(imported[0].key, "10.0.0.1:7778");
  EXPECT_EQ(imported[0].description, QString::fromLatin1("Caf\xe9 CTF"));
  EXPECT_EQ(stash_.Find("10.0.0.3:7788")->GameTypeName(), "UnrealTournament");
  EXPECT_EQ(stash_.Find("10.0.0.2:7778")->AutoUpdateDescription(), "False");
  EXPECT_EQ(stash_.Find("10.0.0.2:7778")->Description(), "Second");
  EXPECT_EQ(stash_.Find("10.0.0.1:7778")->Game(), "UT");
  EXPECT_EQ(Read(UTPath()), original);

  // Export of one new server (typed port 7777) and one already in the file.
  const QString fresh = AddFavorite(QStringLiteral("10.0.0.5"), QStringLiteral("Fresh"),
                                    QStringLiteral("UT"));
  sink_.messages.clear();
  const TExportResult result = WriteFavoritesToGameFile({fresh, QStringLiteral("10.0.0.2:7778")},
                                                        *file, false, stash_, sink_);
  EXPECT_EQ(result.exported, 1);
  EXPECT_EQ(result.notExported, 1);
  EXPECT_EQ(result.write, TFavoritesWrite::Written);
  EXPECT_EQ(sink_.messages,
            QStringList{"1 favorite was successfully exported.\n1 was not exported because it "
                        "is already in the file."});
  QByteArray expected = Replaced(original, "FavoriteCount=4\r\n", "FavoriteCount=5\r\n");
  expected = Replaced(expected, "Third\\10.0.0.3\\7788\\True\r\n",
                      "Third\\10.0.0.3\\7788\\True\r\nFavorites[4]=Fresh\\10.0.0.5\\7778\\True\r\n");
  EXPECT_EQ(Read(UTPath()), expected);

  // Edit: the first entry gets a new description and port; only its line changes.
  TServer* edited = stash_.Find("10.0.0.1:7778");
  edited->SetDescription(QString::fromLatin1("Caf\xe9 CTF \"new\""));
  edited->Port = 7790;
  file = Open("UnrealTournament");
  EXPECT_EQ(EditFavoriteInGameFile(*edited, *file, 7778, QStringLiteral("10.0.0.1"), false, sink_),
            TFavoritesWrite::Written);
  expected = Replaced(expected, "Favorites[0]=Caf\xe9 CTF\\10.0.0.1\\7778\\True",
                      "Favorites[0]=Caf\xe9 CTF \"new\"\\10.0.0.1\\7790\\True");
  EXPECT_EQ(Read(UTPath()), expected);

  // Delete: the entries after it move up one; the unreadable one stays with them.
  file = Open("UnrealTournament");
  EXPECT_EQ(DeleteFavoriteFromGameFile(QStringLiteral("10.0.0.2"), 7778, *file, false, sink_),
            TFavoritesWrite::Written);
  expected = Replaced(expected, "Favorites[2]=Second\\10.0.0.2\\7778\\False\r\n", "");
  expected = Replaced(expected, "Favorites[3]=Third", "Favorites[2]=Third");
  expected = Replaced(expected, "Favorites[4]=Fresh", "Favorites[3]=Fresh");
  expected = Replaced(expected, "FavoriteCount=5", "FavoriteCount=4");
  EXPECT_EQ(Read(UTPath()), expected);
  EXPECT_TRUE(Read(UTPath()).contains("Favorites[1]=Broken\\10.0.0.9\\7778\r\n"));

  // Deleting what is not there touches nothing.
  file = Open("UnrealTournament");
  EXPECT_EQ(DeleteFavoriteFromGameFile(QStringLiteral("10.0.0.77"), 7778, *file, false, sink_),
            TFavoritesWrite::Unchanged);
  EXPECT_EQ(Read(UTPath()), expected);
}

TEST_F(FavoritesExchangeTest, UT2004FileRoundTripChangesOnlyTheIntendedLines) {
  const QByteArray original = UT2004Ini();
  Write(UT2004Path(), original);

  auto file = Open("UT2004");
  ASSERT_TRUE(file);
  const auto imported = ImportFavorites(*file, stash_, true, sink_);
  // The console section's two readable lines; the buddy section's line is not a favourite.
  ASSERT_EQ(imported.size(), 2u);
  EXPECT_EQ(imported[0].description, QString::fromLatin1("Caf\xe9 ONS"));
  EXPECT_EQ(imported[1].key, "10.0.0.2:7788");
  EXPECT_EQ(stash_.Find("10.0.0.2:7788")->Game(), "UT2004");
  EXPECT_EQ(stash_.Find("10.0.0.2:7788")->AutoUpdateDescription(), "true");
  EXPECT_EQ(Read(UT2004Path()), original);

  // Export: new lines go before the section's first favourite.
  const QString fresh = AddFavorite(QStringLiteral("10.0.0.5"), QStringLiteral("Say \"hi\""),
                                    QStringLiteral("UT2004"));
  const TExportResult result =
      WriteFavoritesToGameFile({fresh, QStringLiteral("10.0.0.1:7778"), QStringLiteral("1.1.1.1:1")},
                               *file, true, stash_, sink_);
  EXPECT_EQ(result.exported, 1);
  EXPECT_EQ(result.notExported, 2);  // one in the file, one not in the stash
  const QByteArray freshLine =
      "Favorites=(ServerID=0,IP=\"10.0.0.5\",Port=7777,QueryPort=7778,ServerName=\"Say 'hi'\")\n";
  QByteArray expected =
      Replaced(original, "MaxScrollbackSize=128\n", "MaxScrollbackSize=128\n" + freshLine);
  EXPECT_EQ(Read(UT2004Path()), expected);

  // Edit the second favourite of the section: only its line changes, not the buddy section's.
  TServer* edited = stash_.Find("10.0.0.2:7788");
  edited->SetDescription(QStringLiteral("Renamed"));
  file = Open("UT2004");
  EXPECT_EQ(EditFavoriteInGameFile(*edited, *file, 7788, QStringLiteral("10.0.0.2"), true, sink_),
            TFavoritesWrite::Written);
  expected = Replaced(expected, "QueryPort=7788,ServerName=\"Two\")",
                      "QueryPort=7788,ServerName=\"Renamed\")");
  EXPECT_EQ(Read(UT2004Path()), expected);

  // Delete: its line goes; the same server in another section stays.
  file = Open("UT2004");
  EXPECT_EQ(DeleteFavoriteFromGameFile(QStringLiteral("10.0.0.2"), 7788, *file, true, sink_),
            TFavoritesWrite::Written);
  expected = Replaced(expected,
                      "Favorites=(ServerID=0,IP=\"10.0.0.2\",Port=7787,QueryPort=7788,"
                      "ServerName=\"Renamed\")\n",
                      "");
  EXPECT_EQ(Read(UT2004Path()), expected);
  EXPECT_TRUE(sink_.messages.isEmpty());  // all silent
}

TEST_F(FavoritesExchangeTest, UT2004InsertionPointStaysInTheConsoleSection) {
  struct Case {
    const char* name;
    QByteArray before;
    QByteArray after;
  };
  const QByteArray line =
      "Favorites=(ServerID=0,IP=\"10.0.0.5\",Port=7777,QueryPort=7778,ServerName=\"New\")";
  const Case cases[] = {
      {"no console section: added at the end, CRLF kept", "[A]\r\nx=1\r\n",
       "[A]\r\nx=1\r\n\r\n[XInterface.ExtendedConsole]\r\n" + line + "\r\n\r\n"},
      {"no favourites: before the section's blank line",
       "[XInterface.ExtendedConsole]\nk=1\n\n[B]\ny=2\n",
       "[XInterface.ExtendedConsole]\nk=1\n" + line + "\n\n[B]\ny=2\n"},
      {"no blank line: before the next section, not in it",
       "[XInterface.ExtendedConsole]\nk=1\n[B]\ny=2\n\n",
       "[XInterface.ExtendedConsole]\nk=1\n" + line + "\n[B]\ny=2\n\n"},
      {"last section without a final line end", "[XInterface.ExtendedConsole]\nk=1",
       "[XInterface.ExtendedConsole]\nk=1\n" + line + "\n"},
  };
  AddFavorite(QStringLiteral("10.0.0.5"), QStringLiteral("New"), QStringLiteral("UT2004"));
  for (const Case& c : cases) {
    Write(UT2004Path(), c.before);
    auto file = Open("UT2004");
    ASSERT_TRUE(file) << c.name;
    EXPECT_EQ(WriteFavoritesToGameFile({"10.0.0.5:7778"}, *file, true, stash_, sink_).exported, 1)
        << c.name;
    EXPECT_EQ(Read(UT2004Path()), c.after) << c.name;
  }
}

TEST_F(FavoritesExchangeTest, UTEditsRenumberAndCountAsTheGameReadsThem) {
  struct Case {
    const char* name;
    QByteArray before;
    std::function<void(TGameFavoritesFile&)> change;
    QByteArray after;
  };
  const QByteArray three =
      "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=3\nFavorites[0]=A\\10.0.0.1\\7778\\True\n"
      "Favorites[1]=B\\10.0.0.2\\7778\\True\nFavorites[2]=C\\10.0.0.3\\7778\\True\n";
  const Case cases[] = {
      {"deleting the second of three", three,
       [&](TGameFavoritesFile& f) {
         DeleteFavoriteFromGameFile(QStringLiteral("10.0.0.2"), 7778, f, true, sink_);
       },
       "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=2\nFavorites[0]=A\\10.0.0.1\\7778\\True\n"
       "Favorites[1]=C\\10.0.0.3\\7778\\True\n"},
      {"export with a huge count appends after the last entry",
       "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=2000000000\n"
       "Favorites[0]=A\\10.0.0.1\\7778\\True\n",
       [&](TGameFavoritesFile& f) { WriteFavoritesToGameFile({"10.0.0.5:7778"}, f, true, stash_, sink_); },
       "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=2\n"
       "Favorites[0]=A\\10.0.0.1\\7778\\True\nFavorites[1]=New\\10.0.0.5\\7778\\True\n"},
      {"export with an unreadable count keeps the entries there",
       "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=lots\n"
       "Favorites[0]=A\\10.0.0.1\\7778\\True\n",
       [&](TGameFavoritesFile& f) { WriteFavoritesToGameFile({"10.0.0.5:7778"}, f, true, stash_, sink_); },
       "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=2\n"
       "Favorites[0]=A\\10.0.0.1\\7778\\True\nFavorites[1]=New\\10.0.0.5\\7778\\True\n"},
      {"export into a file without the section adds it at the end", "[A]\nx=1\n",
       [&](TGameFavoritesFile& f) { WriteFavoritesToGameFile({"10.0.0.5:7778"}, f, true, stash_, sink_); },
       "[A]\nx=1\n\n[UBrowser.UBrowserFavoritesFact]\nFavorites[0]=New\\10.0.0.5\\7778\\True\n"
       "FavoriteCount=1\n"},
      {"editing a favourite the list lacks appends it", three,
       [&](TGameFavoritesFile& f) {
         EditFavoriteInGameFile(*stash_.Find("10.0.0.5:7778"), f, 7778, QStringLiteral("10.0.0.99"),
                                true, sink_);
       },
       three.chopped(0).replace("FavoriteCount=3", "FavoriteCount=4") +
           "Favorites[3]=New\\10.0.0.5\\7778\\True\n"},
  };
  AddFavorite(QStringLiteral("10.0.0.5"), QStringLiteral("New"), QStringLiteral("UT"));
  for (const Case& c : cases) {
    Write(UTPath(), c.before);
    auto file = Open("UnrealTournament");
    ASSERT_TRUE(file) << c.name;
    c.change(*file);
    EXPECT_EQ(Read(UTPath()), c.after) << c.name;
  }
}

TEST_F(FavoritesExchangeTest, JunkFilesGiveAClearResultAndLoseNothing) {
  // Missing file: reported, and not created.
  auto file = Open("UnrealTournament");
  EXPECT_FALSE(file);
  EXPECT_EQ(sink_.messages, (QStringList{"Could not find " + UTPath() + ".",
                                         "Could not open the ini for that game."}));
  EXPECT_FALSE(QFileInfo::exists(UTPath()));

  // A folder in place of the file, and a binary file: not opened, not written.
  ASSERT_TRUE(QDir(dir_.path()).mkdir("UT2004.ini"));
  sink_.messages.clear();
  EXPECT_FALSE(Open("UT2004"));
  EXPECT_EQ(sink_.messages, QStringList{"Could not open the ini for that game."});
  const QByteArray binary("\x7f" "ELF\x02\x01\x01\0\0\0[UBrowser.UBrowserFavoritesFact]\n", 43);
  Write(UTPath(), binary);
  sink_.messages.clear();
  EXPECT_FALSE(Open("UnrealTournament"));
  EXPECT_EQ(sink_.messages, QStringList{"Could not open the ini for that game."});
  EXPECT_EQ(Read(UTPath()), binary);

  // A game without a path, and a game nobody knows.
  tables_.paths[0]->FavoritesPath.Set({});
  sink_.messages.clear();
  EXPECT_FALSE(Open("UnrealTournament"));
  EXPECT_FALSE(Open("Nobody"));
  EXPECT_EQ(sink_.messages, (QStringList{"The file to Export to was not specified.",
                                         "The file to Export to was not specified."}));
  EXPECT_EQ(OnlyGameWithFavoritesPath(tables_), "UT2004");  // the one game left with a path
  tables_.paths[1]->FavoritesPath.Set({});
  EXPECT_TRUE(OnlyGameWithFavoritesPath(tables_).isEmpty());
}

TEST_F(FavoritesExchangeTest, ReadOnlyAndEmptyFilesAreReportedNeverHalfWritten) {
  const QByteArray ut = "[UBrowser.UBrowserFavoritesFact]\r\nFavoriteCount=0\r\n";
  const QByteArray ut2004 = "[XInterface.ExtendedConsole]\r\n";
  Write(UTPath(), ut);
  Write(UT2004Path(), ut2004);
  // Read-only by its mode: refused even for root, which could write it anyway.
  for (const QString& path : {UTPath(), UT2004Path()})
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
  AddFavorite(QStringLiteral("10.0.0.5"), QStringLiteral("New"), QStringLiteral("UT"));
  for (const char* game : {"UnrealTournament", "UT2004"}) {
    auto file = Open(game);
    ASSERT_TRUE(file);
    sink_.messages.clear();
    const TExportResult result =
        WriteFavoritesToGameFile({"10.0.0.5:7778"}, *file, false, stash_, sink_);
    EXPECT_EQ(result.write, TFavoritesWrite::ReadOnly);
    EXPECT_EQ(result.exported, 0);
    EXPECT_EQ(sink_.messages,
              QStringList{"Could not write " + file->Path() + ": the file is read-only."});
  }
  EXPECT_EQ(Read(UTPath()), ut);
  EXPECT_EQ(Read(UT2004Path()), ut2004);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no leftovers

  // An empty UT2004 file is not written into.
  for (const QString& path : {UTPath(), UT2004Path()})
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
  Write(UT2004Path(), {});
  auto file = Open("UT2004");
  ASSERT_TRUE(file);
  sink_.messages.clear();
  EXPECT_EQ(WriteFavoritesToGameFile({"10.0.0.5:7778"}, *file, false, stash_, sink_).exported, 0);
  EXPECT_EQ(sink_.messages, QStringList{"Could not open the ini for that UT Version."});
  EXPECT_EQ(Read(UT2004Path()), QByteArray());
}

// Root reads and writes any file through its capabilities CAP_DAC_OVERRIDE and
// CAP_DAC_READ_SEARCH; without them in effect, a file's mode binds root as it binds anyone.
// Dropped from this thread only, for the life of the object.
class FileModesBindRoot {
 public:
  FileModesBindRoot() {
    if (syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
      lowered[cap / 32].effective &= ~(1u << (cap % 32));
    dropped_ = syscall(SYS_capset, &header_, lowered) == 0;
  }
  ~FileModesBindRoot() {
    if (dropped_) syscall(SYS_capset, &header_, saved_);
  }
  bool Dropped() const { return dropped_; }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2] = {};
  bool dropped_ = false;
};

TEST_F(FavoritesExchangeTest, UnreadableFileIsNeverRewritten) {
  const QByteArray ut = "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=0\n";
  const QByteArray ut2004 = "[XInterface.ExtendedConsole]\nk=1\n";
  Write(UTPath(), ut);
  Write(UT2004Path(), ut2004);
  // Writable by its owner, readable by nobody.
  for (const QString& path : {UTPath(), UT2004Path()})
    ASSERT_TRUE(QFile::setPermissions(path, QFile::WriteOwner));
  const QString key =
      AddFavorite(QStringLiteral("10.0.0.5"), QStringLiteral("New"), QStringLiteral("UT"));
  {
    FileModesBindRoot asAnyone;
    ASSERT_TRUE(asAnyone.Dropped());
    QFile probe(UTPath());
    ASSERT_FALSE(probe.open(QIODevice::ReadOnly));
    for (const char* game : {"UnrealTournament", "UT2004"}) {
      sink_.messages.clear();
      EXPECT_FALSE(Open(game)) << game;
      EXPECT_EQ(sink_.messages, QStringList{"Could not open the ini for that game."}) << game;
      stash_.Find(key)->SetGameTypeName(QString::fromLatin1(game));
      EXPECT_EQ(ExportFavorite(key, true, stash_, tables_, sink_).write,
                TFavoritesWrite::Unchanged);
      EXPECT_EQ(MirrorFavoriteDelete(*stash_.Find(key), tables_), TFavoritesWrite::Unchanged);
    }
  }
  for (const QString& path : {UTPath(), UT2004Path()})
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
  EXPECT_EQ(Read(UTPath()), ut);
  EXPECT_EQ(Read(UT2004Path()), ut2004);
}

TEST_F(FavoritesExchangeTest, ExportFavoriteFindsTheGameOrSaysWhyNot) {
  Write(UTPath(), "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=0\n");
  struct Case {
    const char* name;
    const char* association;
    const char* gameType;
    int exported;
    const char* message;
  };
  const Case cases[] = {
      {"association", "UnrealTournament", "", 1, "1 favorite was successfully exported."},
      {"game type's game", "", "CTFGame", 1, "1 favorite was successfully exported."},
      {"type not listed", "", "xBombingRun", 0,
       "This game type is currently not supported. See GamePluginHelp.txt for more information."},
      {"type without game", "", "Orphan", 0,
       "The game type Orphan does not have a game associated with it. Use the menu 'System/Game "
       "Types' to set this up."},
  };
  int host = 10;
  for (const Case& c : cases) {
    const QString key = AddFavorite("10.0.1." + QString::number(host++), "S", "UT");
    stash_.Find(key)->SetGameTypeName(QString::fromLatin1(c.association));
    stash_.Find(key)->SetGameType(QString::fromLatin1(c.gameType));
    sink_.messages.clear();
    EXPECT_EQ(ExportFavorite(key, false, stash_, tables_, sink_).exported, c.exported) << c.name;
    EXPECT_EQ(sink_.messages, QStringList{c.message}) << c.name;
  }
  sink_.messages.clear();
  ExportFavorite(QStringLiteral("9.9.9.9:1"), false, stash_, tables_, sink_);
  EXPECT_EQ(sink_.messages,
            QStringList{"Sorry, could not find that server in the internal cache."});
  EXPECT_EQ(ReadUTFavoriteList([&] {
              TIniDocument ini(UTPath());
              ini.Load();
              return ini;
            }()).values,
            (QStringList{"S\\10.0.1.10\\7778\\True", "S\\10.0.1.11\\7778\\True"}));
}

TEST_F(FavoritesExchangeTest, SyncImportsEveryGameAndMirrorsEditsAndDeletes) {
  Write(UTPath(), UTIni());
  Write(UT2004Path(), UT2004Ini());
  const auto imported = ImportAllGameFavorites(tables_, stash_);
  // 10.0.0.1:7778 is in both files: the UT file's import made it a favourite first.
  EXPECT_EQ(imported.size(), 4u);
  EXPECT_EQ(FavoriteKeysOfVariant(stash_, QStringLiteral("ut2004")),
            (QStringList{"10.0.0.2:7788"}));

  TServer* server = stash_.Find("10.0.0.3:7788");
  server->SetDescription(QStringLiteral("Mirrored"));
  EXPECT_EQ(MirrorFavoriteEdit(*server, QStringLiteral("10.0.0.3"), 7788,
                               QStringLiteral("UnrealTournament"), tables_),
            TFavoritesWrite::Written);
  EXPECT_TRUE(Read(UTPath()).contains("Favorites[3]=Mirrored\\10.0.0.3\\7788\\True\r\n"));
  EXPECT_EQ(MirrorFavoriteDelete(*stash_.Find("10.0.0.2:7788"), tables_),
            TFavoritesWrite::Written);
  EXPECT_FALSE(Read(UT2004Path()).contains("QueryPort=7788,ServerName=\"Two\""));

  // A favourite with no game: nothing is opened.
  const QString loose = AddFavorite(QStringLiteral("10.0.0.50"), QStringLiteral("L"),
                                    QStringLiteral("UT"));
  EXPECT_EQ(MirrorFavoriteDelete(*stash_.Find(loose), tables_), TFavoritesWrite::Unchanged);
}

TEST_F(FavoritesExchangeTest, MirroredEditFollowsTheFavouriteToAnotherGamesFile) {
  const QByteArray ut =
      "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=2\n"
      "Favorites[0]=Mine\\10.0.0.1\\7778\\True\n"
      "Favorites[1]=Other\\10.0.0.2\\7778\\True\n";
  const QByteArray ut2004 = "[XInterface.ExtendedConsole]\nk=1\n\n[Other]\nx=1\n";
  const QString key =
      AddFavorite(QStringLiteral("10.0.0.1"), QStringLiteral("Mine"), QStringLiteral("UT"));
  TServer* server = stash_.Find(key);

  // UT's file to UT2004's: out of the one, into the other.
  Write(UTPath(), ut);
  Write(UT2004Path(), ut2004);
  server->SetGameTypeName(QStringLiteral("UT2004"));
  EXPECT_EQ(MirrorFavoriteEdit(*server, "10.0.0.1", 7778, "UnrealTournament", tables_),
            TFavoritesWrite::Written);
  EXPECT_EQ(Read(UTPath()),
            "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=1\n"
            "Favorites[0]=Other\\10.0.0.2\\7778\\True\n");
  EXPECT_EQ(Read(UT2004Path()),
            "[XInterface.ExtendedConsole]\nk=1\n"
            "Favorites=(ServerID=0,IP=\"10.0.0.1\",Port=7777,QueryPort=7778,ServerName=\"Mine\")"
            "\n\n[Other]\nx=1\n");

  // Two games keeping one file: the entry is edited where it is.
  AddGame("UTAgain", "UT", UTPath());
  Write(UTPath(), ut);
  server->SetGameTypeName(QStringLiteral("UTAgain"));
  server->SetDescription(QStringLiteral("Renamed"));
  EXPECT_EQ(MirrorFavoriteEdit(*server, "10.0.0.1", 7778, "UnrealTournament", tables_),
            TFavoritesWrite::Written);
  EXPECT_EQ(Read(UTPath()), QByteArray(ut).replace("Mine", "Renamed"));

  // From a game with no file (none before the edit) into one.
  Write(UTPath(), "[A]\nx=1\n");
  EXPECT_EQ(MirrorFavoriteEdit(*server, "10.0.0.1", 7778, QString(), tables_),
            TFavoritesWrite::Written);
  EXPECT_EQ(Read(UTPath()),
            "[A]\nx=1\n\n[UBrowser.UBrowserFavoritesFact]\n"
            "Favorites[0]=Renamed\\10.0.0.1\\7778\\True\nFavoriteCount=1\n");
}

TEST_F(FavoritesExchangeTest, AnEditLeavesOneEntryOfTheServerAndNoneOfItsOldAddress) {
  const QString key =
      AddFavorite(QStringLiteral("10.0.0.1"), QStringLiteral("Mine"), QStringLiteral("UT"));
  TServer* edited = stash_.Find(key);
  edited->Port = 7790;  // moved from 10.0.0.1:7778
  struct Case {
    const char* game;
    QByteArray before, after;
  };
  const QByteArray line7790 =
      "Favorites=(ServerID=0,IP=\"10.0.0.1\",Port=7789,QueryPort=7790,ServerName=\"Mine\")\n";
  const Case cases[] = {
      {"UnrealTournament",
       "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=4\nFavorites[0]=A\\10.0.0.1\\7778\\True\n"
       "Favorites[1]=B\\10.0.0.2\\7778\\True\nFavorites[2]=A again\\10.0.0.1\\7778\\True\n"
       "Favorites[3]=New\\10.0.0.1\\7790\\True\n",
       "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=2\n"
       "Favorites[0]=Mine\\10.0.0.1\\7790\\True\nFavorites[1]=B\\10.0.0.2\\7778\\True\n"},
      {"UT2004",
       "[XInterface.ExtendedConsole]\n"
       "Favorites=(ServerID=0,IP=\"10.0.0.1\",Port=7777,QueryPort=7778,ServerName=\"A\")\n"
       "Favorites=(ServerID=0,IP=\"10.0.0.2\",Port=7777,QueryPort=7778,ServerName=\"B\")\n"
       "Favorites=(ServerID=0,IP=\"10.0.0.1\",Port=7777,QueryPort=7778,ServerName=\"A again\")\n"
       "[XInterface.ExtendedConsole]\n" +
           line7790,
       "[XInterface.ExtendedConsole]\n" + line7790 +
           "Favorites=(ServerID=0,IP=\"10.0.0.2\",Port=7777,QueryPort=7778,ServerName=\"B\")\n"
           "[XInterface.ExtendedConsole]\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.game);
    const QString path = QString::fromLatin1(c.game) == "UT2004" ? UT2004Path() : UTPath();
    Write(path, c.before);
    auto file = Open(c.game);
    ASSERT_TRUE(file);
    EXPECT_EQ(EditFavoriteInGameFile(*edited, *file, 7778, "10.0.0.1", true, sink_),
              TFavoritesWrite::Written);
    EXPECT_EQ(Read(path), c.after);
    // Deleting it now leaves none either.
    file = Open(c.game);
    EXPECT_EQ(DeleteFavoriteFromGameFile("10.0.0.1", 7790, *file, true, sink_),
              TFavoritesWrite::Written);
    EXPECT_FALSE(Read(path).contains("10.0.0.1"));
  }
}

TEST_F(FavoritesExchangeTest, AHostWithABackslashNeverShiftsTheUTFields) {
  const QByteArray ut =
      "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=1\n"
      "Favorites[0]=A\\10.0.0.1\\7778\\True\n";
  Write(UTPath(), ut);
  ASSERT_TRUE(stash_.AddServer("odd\\host", "7778", {}, true, "UT", "True", "Odd"));
  auto file = Open("UnrealTournament");
  ASSERT_TRUE(file);
  const TExportResult result =
      WriteFavoritesToGameFile({"odd\\host:7778"}, *file, true, stash_, sink_);
  EXPECT_EQ(result.exported, 0);
  EXPECT_EQ(result.notExported, 1);
  EXPECT_EQ(
      EditFavoriteInGameFile(*stash_.Find("odd\\host:7778"), *file, 7778, "10.0.0.1", true, sink_),
      TFavoritesWrite::Unchanged);
  EXPECT_EQ(Read(UTPath()), ut);
}

TEST_F(FavoritesExchangeTest, EditedKeyOntoAListedServerMovesTheFavourite) {
  const QString favorite = AddFavorite(QStringLiteral("10.0.0.1"), QStringLiteral("Mine"),
                                       QStringLiteral("UT"));
  ASSERT_TRUE(stash_.AddServer(QStringLiteral("10.0.0.2"), QStringLiteral("7778"), {}, false,
                               QStringLiteral("UT"), QStringLiteral("True"), QStringLiteral("Listed")));
  const QString other = AddFavorite(QStringLiteral("10.0.0.3"), QStringLiteral("Other"),
                                    QStringLiteral("UT"));
  EXPECT_EQ(FavoriteKeyChange(stash_, favorite, "10.0.0.1:7778"), TFavoriteKeyChange::SameServer);
  EXPECT_EQ(FavoriteKeyChange(stash_, favorite, "10.0.0.1:7790"), TFavoriteKeyChange::SameServer);
  EXPECT_EQ(FavoriteKeyChange(stash_, favorite, other), TFavoriteKeyChange::OtherFavorite);
  EXPECT_EQ(FavoriteTakenText("10.0.0.3"),
            "The IP of 10.0.0.3 is already in the favorite list. Could not update favorite.");
  ASSERT_EQ(FavoriteKeyChange(stash_, favorite, "10.0.0.2:7778"), TFavoriteKeyChange::ListedServer);
  EXPECT_TRUE(MoveFavoriteOnto(stash_, favorite, "10.0.0.2:7778", "Typed", "False", "UT2004"));
  EXPECT_FALSE(stash_.Find(favorite)->Favorite);  // stays in the stash
  const TServer* taken = stash_.Find("10.0.0.2:7778");
  EXPECT_TRUE(taken->Favorite);
  EXPECT_EQ(taken->Description(), "Typed");
  EXPECT_EQ(taken->AutoUpdateDescription(), "False");
  EXPECT_EQ(taken->Game(), "UT2004");
}

}  // namespace
}  // namespace zorvane
