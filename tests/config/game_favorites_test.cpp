// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/game_favorites.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "config/ini_document.h"
#include "config/text_lines.h"
#include "support/files.h"

namespace zorvane {
namespace {

TEST(GameFavoritesTest, UTEntriesSplitAtTheirFirstThreeBackslashes) {
  struct Case {
    const char* value;
    bool read;
    const char* description;
    const char* host;
    const char* port;
    const char* autoUpdate;
  };
  const Case cases[] = {
      {"My Server\\1.2.3.4\\7778\\True", true, "My Server", "1.2.3.4", "7778", "True"},
      {"\\host.example\\7778\\False\\extra", true, "", "host.example", "7778", "False\\extra"},
      {"Name\\1.2.3.4\\7778\\", true, "Name", "1.2.3.4", "7778", ""},
      {"Name\\1.2.3.4\\7778", false, "", "", "", ""},  // only two backslashes
      {"", false, "", "", "", ""},
  };
  for (const Case& c : cases) {
    const auto favorite = ParseUTFavorite(QString::fromLatin1(c.value));
    ASSERT_EQ(favorite.has_value(), c.read) << c.value;
    if (!c.read) continue;
    EXPECT_EQ(favorite->description, c.description);
    EXPECT_EQ(favorite->host, c.host);
    EXPECT_EQ(favorite->port, c.port);
    EXPECT_EQ(favorite->autoUpdate, c.autoUpdate);
  }
}

TEST(GameFavoritesTest, WrittenEntriesCannotShiftTheirFields) {
  TGameFavorite favorite{QStringLiteral("Evil\\1.1.1.1\\1\\x"), QStringLiteral("1.2.3.4"),
                         QStringLiteral("7778"), QStringLiteral("True")};
  EXPECT_EQ(FormatUTFavorite(favorite), "Evil\\1.2.3.4\\7778\\True");
  favorite.description = QString(QChar(0x1B)) + QStringLiteral("\\\\\\Red");  // colour code
  EXPECT_EQ(FormatUTFavorite(favorite), "Red\\1.2.3.4\\7778\\True");
  // A host or port cut at a backslash would be another server: no entry at all.
  for (const auto& [host, port] : {std::pair{"1.2\\3.4", "7778"}, std::pair{"1.2.3.4", "77\\78"}}) {
    TGameFavorite shifting = favorite;
    shifting.host = QString::fromLatin1(host);
    shifting.port = QString::fromLatin1(port);
    EXPECT_EQ(FormatUTFavorite(shifting), "") << host << ' ' << port;
  }

  favorite.description = QStringLiteral("The \"Best\" Server");
  EXPECT_EQ(FormatUT2004Favorite(favorite),
            "Favorites=(ServerID=0,IP=\"1.2.3.4\",Port=7777,QueryPort=7778,"
            "ServerName=\"The 'Best' Server\")");
  const auto back = ParseUT2004Favorite(FormatUT2004Favorite(favorite));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Key(), "1.2.3.4:7778");
  EXPECT_EQ(back->description, "The 'Best' Server");
}

TEST(GameFavoritesTest, UT2004LinesNeedEveryMarker) {
  struct Case {
    const char* line;
    const char* key;  // null: skipped
    const char* description;
  };
  const Case cases[] = {
      {"Favorites=(ServerID=0,IP=\"1.2.3.4\",Port=7777,QueryPort=7778,ServerName=\"A\")",
       "1.2.3.4:7778", "A"},
      {"FAVORITES=(ServerID=5,IP=\"h.example\",Port=1,QueryPort=7788,ServerName=\"\")",
       "h.example:7788", ""},
      {"Favorites=(ServerID=0,IP=\"1.2.3.4\",Port=7777,ServerName=\"A\")", nullptr, ""},
      {"Favorites=(ServerID=0,IP=\"1.2.3.4\",QueryPort=7778,ServerName=\"A\")", nullptr, ""},
      {"Favorites=(ServerID=0,Port=7777,QueryPort=7778,ServerName=\"A\")", nullptr, ""},
      {"Favorites=(ServerID=0,IP=\"1.2.3.4\",Port=7777,QueryPort=7778)", nullptr, ""},
      {"Buddies=(ServerID=0,IP=\"1.2.3.4\",Port=7777,QueryPort=7778,ServerName=\"A\")", nullptr,
       ""},
  };
  for (const Case& c : cases) {
    const auto favorite = ParseUT2004Favorite(QString::fromLatin1(c.line));
    ASSERT_EQ(favorite.has_value(), c.key != nullptr) << c.line;
    if (!c.key) continue;
    EXPECT_EQ(favorite->Key(), c.key);
    EXPECT_EQ(favorite->description, c.description);
  }
  EXPECT_TRUE(IsUT2004ConsoleHeader("[xinterface.extendedconsole]"));
  EXPECT_FALSE(IsUT2004ConsoleHeader("[XInterface.ExtendedConsol]"));
}

TEST(GameFavoritesTest, UTListCountsOnlyEntriesBelowAReadableCount) {
  struct Case {
    const char* count;
    std::vector<qint64> indices;
    qint64 next;
  };
  const Case cases[] = {
      {"FavoriteCount=2\n", {0, 1}, 2},
      {"FavoriteCount=2147483647\n", {0, 1, 2, 5}, 6},  // a huge count costs nothing
      {"FavoriteCount=abc\n", {0, 1, 2, 5}, 6},         // unreadable: every entry present
      {"FavoriteCount=-4\n", {0, 1, 2, 5}, 6},
      {"", {0, 1, 2, 5}, 6},
      {"FavoriteCount=0\n", {}, 0},
  };
  for (const Case& c : cases) {
    TIniDocument ini;
    ini.ParseText(QByteArray("[UBrowser.UBrowserFavoritesFact]\n") + c.count +
                  "Favorites[0]=a\\1.1.1.1\\1\\True\nFavorites[1]=b\\1.1.1.2\\1\\True\n"
                  "Favorites[2]=c\\1.1.1.3\\1\\True\nFavorites[5]=d\\1.1.1.4\\1\\True\n"
                  "Favorites[07]=x\nFavorites[x]=y\n");
    const TUTFavoriteList list = ReadUTFavoriteList(ini);
    EXPECT_EQ(list.indices, c.indices) << c.count;
    EXPECT_EQ(list.NextIndex(), c.next) << c.count;
    EXPECT_EQ(list.values.size(), qsizetype(c.indices.size()));
  }
}

TEST(GameFavoritesTest, RewritingAUTListTouchesOnlyChangedLines) {
  const QByteArray before =
      "[UBrowser.UBrowserFavoritesFact]\r\nFavoriteCount=3\r\n; mine\r\n"
      "Favorites[0]=a\\1.1.1.1\\1\\True\r\nFavorites[1]=b\\1.1.1.2\\1\\True\r\n"
      "Favorites[2]=c\\1.1.1.3\\1\\True\r\n\r\n[Other]\r\nx=1\r\n";
  TIniDocument ini;
  ini.ParseText(before);
  const TUTFavoriteList list = ReadUTFavoriteList(ini);
  WriteUTFavoriteList(ini, list, {list.values[0], list.values[2]});
  EXPECT_EQ(ini.ToBytes(),
            "[UBrowser.UBrowserFavoritesFact]\r\nFavoriteCount=2\r\n; mine\r\n"
            "Favorites[0]=a\\1.1.1.1\\1\\True\r\nFavorites[1]=c\\1.1.1.3\\1\\True\r\n"
            "\r\n[Other]\r\nx=1\r\n");
  // The same list again changes nothing.
  const QByteArray once = ini.ToBytes();
  WriteUTFavoriteList(ini, ReadUTFavoriteList(ini), ReadUTFavoriteList(ini).values);
  EXPECT_EQ(ini.ToBytes(), once);
}

TEST(TextLinesTest, KeepsEveryByteOfUntouchedLines) {
  const QByteArray samples[] = {
      "a\r\nb\nc\rd", "\xEF\xBB\xBF[x]\r\nname=caf\xe9\r\n", "", "\n\n\n", "only",
      "tab\there\r\n\xff\xfe\r\n"};
  for (const QByteArray& sample : samples) {
    TTextLines lines({});
    lines.ParseBytes(sample);
    EXPECT_EQ(lines.ToBytes(), sample);
  }
}

TEST(TextLinesTest, NewLinesEndLikeTheFileAndCannotBreakIt) {
  struct Case {
    const char* before;
    int at;
    const char* after;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", 1, "a\r\nnew\r\nb\r\n"},
      {"a\r\nb", 2, "a\r\nb\r\nnew"},  // a file without a final line end stays so
      {"a\nb\n", 2, "a\nb\nnew\n"},
      {"", 0, "new\n"},
  };
  for (const Case& c : cases) {
    TTextLines lines({});
    lines.ParseBytes(c.before);
    lines.Insert(c.at, QStringLiteral("new"));
    EXPECT_EQ(lines.ToBytes(), c.after) << c.before;
  }
  TTextLines lines({});
  lines.ParseBytes("a\r\nb");
  lines.Remove(1);
  EXPECT_EQ(lines.ToBytes(), "a");
  lines.Replace(0, QStringLiteral("x\r\n[Evil]\tq"));
  EXPECT_EQ(lines.ToBytes(), "x  [Evil] q");
}

TEST(TextLinesTest, RefusesWhatIsNoTextFileAndNeverWritesUnread) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString binary = dir.filePath("binary.ini");
  testing::Write(binary, QByteArray("MZ\0\0\x90\x00", 6));
  TTextLines binaryLines(binary);
  EXPECT_EQ(binaryLines.Load(), TTextLoad::Binary);
  EXPECT_EQ(binaryLines.Save(), TTextSave::NotLoaded);
  EXPECT_EQ(testing::Read(binary), QByteArray("MZ\0\0\x90\x00", 6));

  TTextLines folder(dir.path());
  EXPECT_EQ(folder.Load(), TTextLoad::NotAFile);
  TTextLines missing(dir.filePath("missing.ini"));
  EXPECT_EQ(missing.Load(), TTextLoad::Missing);
  EXPECT_EQ(missing.Save(), TTextSave::NotLoaded);
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing.ini")));
}

}  // namespace
}  // namespace zorvane
