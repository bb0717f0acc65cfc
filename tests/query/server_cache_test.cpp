// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/server_cache.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <random>

#include <sys/stat.h>

#include "query/server_stash.h"

namespace zorvane {
namespace {

using namespace Qt::Literals::StringLiterals;

// A stash as a mass refresh leaves it: servers of both games with settings and players, and
// texts that have broken other formats (line breaks, backslashes, colour codes, NUL bytes,
// characters beyond Latin-1), a silent one and a favourite.
void FillRealistic(TServerStash& stash, int count = 6) {
  for (int i = 0; i < count; ++i) {
    const bool ut2004 = i % 2;
    ASSERT_TRUE(stash.AddServer(QStringLiteral("10.1.%1.%2").arg(i / 250).arg(i % 250 + 1),
                                QString::number(7778 + i), QString(), false,
                                ut2004 ? "UT2004" : "UT", "True", QString()));
    TServer& s = *stash.Server(stash.Count() - 1);
    if (i == 3) continue;  // never answered: ping 9999, nothing else
    static const char kName[] = "\x1B\xFF\x40\x00Red\\Team\r\nServer\0#";
    s.SetTextLatin1(TServerText::Description, QByteArrayView(kName, sizeof kName - 1));
    s.SetMapName(QStringLiteral("CTF-Face%1").arg(i));
    s.SetGameType(ut2004 ? "xCTFGame" : "CTFGame");
    s.SetPing(QString::number(40 + i));
    s.SetNumPlayers("2");
    s.SetMaxPlayers("16");
    s.SetAdminName(QStringLiteral("Admin \u2603 %1").arg(i));  // stored as UTF-8
    for (int k = 0; k < 30; ++k)
      s.SetSettingLatin1(k, QByteArray("Key" + QByteArray::number(k)), k == 4 ? "" : "v\\al\nue");
    s.SetPlayer(0, {"\x1B\x01\xFF\x01Pl\\ay\"er", "12", "55", "1", "Mesh", "Skin", "Face", ""});
    s.SetPlayerText(5, TPlayerField::Name, QStringLiteral("Gr\u00FC\u00DFe \u0416"));
    s.SetPlayerText(7, TPlayerField::Frags, QStringLiteral("3"));  // a slot without a name
    s.Online = true;
    s.Populated = i % 3 == 0;
    s.ReplyComplete = i != 5;
    s.ReplyMark = i - 1;
    s.QueryVersion = quint8(i * 17);
  }
  ASSERT_TRUE(stash.AddServer("10.2.0.1", "7778", "DM", true, "UT", "True", "Mine"));
}

// Every field the cache keeps, equal in both records.
void ExpectSameRecord(const TServer& a, const TServer& b) {
  const auto same = [](const TPackedValue& x, const TPackedValue& y) {
    return x.bytes == y.bytes && x.utf8 == y.utf8;
  };
  for (std::size_t f = 0; f < kServerTextCount; ++f)
    EXPECT_TRUE(same(a.RawText(TServerText(f)), b.RawText(TServerText(f))))
        << ServerTextName(TServerText(f));
  ASSERT_EQ(a.PlayerSlotsUsed(), b.PlayerSlotsUsed());
  for (int slot = 0; slot < a.PlayerSlotsUsed(); ++slot)
    for (std::size_t f = 0; f < kPlayerFieldCount; ++f)
      EXPECT_TRUE(same(a.RawPlayerText(slot, TPlayerField(f)), b.RawPlayerText(slot, TPlayerField(f))))
          << "player " << slot << " " << f;
  ASSERT_EQ(a.SettingSlotsUsed(), b.SettingSlotsUsed());
  for (int slot = 0; slot < a.SettingSlotsUsed(); ++slot)
    for (bool value : {false, true})
      EXPECT_TRUE(same(a.RawSettingText(slot, value), b.RawSettingText(slot, value)))
          << "setting " << slot;
  EXPECT_EQ(a.Port, b.Port);
  EXPECT_EQ(a.QueryVersion, b.QueryVersion);
  EXPECT_EQ(a.ReplyMark, b.ReplyMark);
  EXPECT_EQ(a.Online, b.Online);
  EXPECT_EQ(a.Populated, b.Populated);
  EXPECT_EQ(a.ReplyComplete, b.ReplyComplete);
}

TEST(ServerCacheTest, RoundTripKeepsEveryFieldAndSavesTheSameBytes) {
  TServerStash original;
  FillRealistic(original);
  const QByteArray bytes = WriteServerCache(original);
  TServerCacheRead read = ReadServerCache(bytes);
  ASSERT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();

  TServerStash copy;
  copy.SetHostLookup(
      [](const QString&, QObject*, THostLookupDone) { ADD_FAILURE() << "looked up"; });
  EXPECT_EQ(AdoptCachedServers(copy, std::move(read.servers)), original.Count() - 1);
  ASSERT_EQ(copy.Count(), original.Count() - 1);  // the favourite stays in the settings file
  for (int i = 0; i < copy.Count(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(copy.Key(i), original.Key(i));
    ExpectSameRecord(*copy.Server(i), *original.Server(i));
    EXPECT_TRUE(copy.Server(i)->FromCache);
    EXPECT_FALSE(copy.Server(i)->Favorite);
  }
  // The texts as the views read them, hostile ones included.
  EXPECT_EQ(copy.Server(0)->Description(), original.Server(0)->Description());
  EXPECT_EQ(copy.Server(0)->Description().size(), 22);
  EXPECT_EQ(copy.Server(0)->Player(5).Name, QStringLiteral("Gr\u00FC\u00DFe \u0416"));
  EXPECT_EQ(copy.Server(0)->Setting(1).Value, "v\\al\nue");
  EXPECT_EQ(copy.Server(0)->Setting(4).Value, "");
  EXPECT_EQ(copy.Server(0)->SettingSlotsUsed(), 30);

  EXPECT_EQ(WriteServerCache(copy), bytes);
}

// Master lists hold addresses: a server known by name (resolved or not) or without a dotted
// address came from an older list, and is not read back, so no start looks a name up again.
TEST(ServerCacheTest, ServersThatAreNotAnAddressAndPortAreNotReadBack) {
  TServerStash original;
  original.SetHostLookup([](const QString&, QObject*, THostLookupDone) {});
  ASSERT_TRUE(original.AddServer("127.0.0.1", "7778", "", false, "UT", "True", ""));
  ASSERT_TRUE(original.AddServer("unresolved.example", "7000", "", false, "UT", "True", ""));
  ASSERT_TRUE(original.AddServer("resolved.example", "7001", "", false, "UT", "True", ""));
  original.Server(2)->SetIP("127.0.0.2");
  ASSERT_TRUE(original.AddServer("999.1.1.1", "7002", "", false, "UT", "True", ""));
  TServerCacheRead read = ReadServerCache(WriteServerCache(original));
  ASSERT_EQ(read.servers.size(), 4u);
  TServerStash copy;
  copy.SetHostLookup(
      [](const QString&, QObject*, THostLookupDone) { ADD_FAILURE() << "looked up"; });
  EXPECT_EQ(AdoptCachedServers(copy, std::move(read.servers)), 1);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(copy.Key(0), "127.0.0.1:7778");
}

QByteArray Body(quint32 count, const QByteArray& rest = {}) {
  QByteArray body(4, '\0');
  qToLittleEndian(count, body.data());
  return body + rest;
}

// One server record: port, query version, flags, reply mark, then texts and slot counts.
QByteArray Record(const QByteArray& head, int texts, const QByteArray& tail) {
  return head + QByteArray(texts, '\0') + tail;
}

TEST(ServerCacheTest, EveryDamagedOrForeignFileIsIgnoredWhole) {
  TServerStash stash;
  FillRealistic(stash, 3);
  const QByteArray good = WriteServerCache(stash);
  ASSERT_TRUE(ReadServerCache(good).problem.isEmpty());

  const int texts = int(kServerTextCount);
  const QByteArray head("\x61\x1E\x00\x00\x00\x00\x00\x00", 8);  // port 7777, all else 0
  ASSERT_TRUE(ReadServerCache(WrapServerCacheBody(Body(1, Record(head, texts, "\0\0"_qba))))
                  .problem.isEmpty());

  struct TCase {
    const char* what;
    QByteArray bytes;
  };
  std::vector<TCase> cases = {
      {"empty", {}},
      {"an INI file", "[settings]\r\nZorvane=2.91\r\n"},
      {"a PNG", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)},
      {"newer format", WrapServerCacheBody(Body(0), kServerCacheVersion + 1)},
      {"older format", WrapServerCacheBody(Body(0), 0)},
      {"a byte more", good + 'x'},
      {"a changed byte", [&] { QByteArray b = good; b[b.size() / 2] = char(b[b.size() / 2] ^ 4); return b; }()},
      {"a huge count", WrapServerCacheBody(Body(0xFFFFFFFFu))},
      {"more servers than bytes", WrapServerCacheBody(Body(2, Record(head, texts, "\0\0"_qba)))},
      {"a server left over", WrapServerCacheBody(Body(1, Record(head, texts, "\0\0\0"_qba)))},
      {"port 0", WrapServerCacheBody(Body(1, Record(QByteArray(8, '\0'), texts, "\0\0"_qba)))},
      {"an unknown flag", WrapServerCacheBody(Body(1, Record(QByteArray("\x61\x1E\x00\x80\0\0\0\0", 8), texts, "\0\0"_qba)))},
      {"33 player slots", WrapServerCacheBody(Body(1, Record(head, texts, "\x21"_qba + QByteArray(33 * 8, '\0') + "\0"_qba)))},
      {"201 setting slots", WrapServerCacheBody(Body(1, Record(head, texts, "\0\xC9\x01"_qba + QByteArray(402, '\0'))))},
      {"a text longer than the file", WrapServerCacheBody(Body(1, Record(head, 0, "\xD0\x0F"_qba)))},
      {"a length of six bytes", WrapServerCacheBody(Body(1, Record(head, 0, "\x80\x80\x80\x80\x80\x01"_qba)))},
      {"an empty UTF-8 text", WrapServerCacheBody(Body(1, Record(head, 0, "\x01"_qba + QByteArray(texts + 1, '\0'))))},
  };
  // Every cut of a good file.
  for (qsizetype n = 0; n < good.size(); ++n) cases.push_back({"a prefix", good.first(n)});
  // Noise, alone and behind a good header.
  std::mt19937 random(17);
  for (int n : {1, 16, 36, 100, 5000}) {
    QByteArray noise(n, '\0');
    for (char& c : noise) c = char(random());
    cases.push_back({"noise", noise});
    cases.push_back({"noise after the magic", good.first(16) + noise});
    cases.push_back({"noise as the body", WrapServerCacheBody(noise)});
  }
  for (const TCase& c : cases) {
    const TServerCacheRead read = ReadServerCache(c.bytes);
    EXPECT_TRUE(read.servers.empty()) << c.what << " " << c.bytes.size();
    EXPECT_FALSE(read.problem.isEmpty()) << c.what << " " << c.bytes.size();
  }
  EXPECT_TRUE(ReadServerCache(WrapServerCacheBody(Body(0), kServerCacheVersion + 1))
                  .problem.contains("newer"));
}

TEST(ServerCacheTest, FilesAreReadWithOneLogLineAndAMissingOneSaysNothing) {
  QTemporaryDir dir;
  const QString path = dir.filePath(kServerCacheFileName);
  TServerStash empty;
  const TServerCacheLoad none = LoadServerCache(path, empty);
  EXPECT_EQ(none.added, 0);
  EXPECT_FALSE(none.ignored);
  EXPECT_TRUE(none.logLine.isEmpty());

  TServerStash stash;
  FillRealistic(stash, 4);
  ASSERT_EQ(SaveServerCache(path, stash), "");
  TServerStash loaded;
  const TServerCacheLoad load = LoadServerCache(path, loaded);
  EXPECT_EQ(load.added, 4);
  EXPECT_EQ(load.logLine, "4 servers listed from the last session (not yet refreshed)");

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  file.resize(file.size() - 1);
  file.close();
  TServerStash damaged;
  const TServerCacheLoad cut = LoadServerCache(path, damaged);
  EXPECT_EQ(damaged.Count(), 0);
  EXPECT_TRUE(cut.ignored);
  EXPECT_EQ(cut.logLine, "The server list of the last session was not read: truncated");

  // A folder where the file should be: the save fails and says why, the load ignores it.
  ASSERT_TRUE(QDir(dir.path()).mkdir("blocked"));
  EXPECT_NE(SaveServerCache(dir.filePath("blocked"), stash), "");
  TServerStash fromFolder;
  EXPECT_TRUE(LoadServerCache(dir.filePath("blocked"), fromFolder).ignored);

  // A pipe in its place, with no writer: reading it would wait for ever.
  const QString pipe = dir.filePath("pipe");
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  TServerStash fromPipe;
  const TServerCacheLoad piped = LoadServerCache(pipe, fromPipe);
  EXPECT_TRUE(piped.ignored);
  EXPECT_EQ(piped.logLine,
            "The server list of the last session was not read: not a regular file");
}

}  // namespace
}  // namespace zorvane
