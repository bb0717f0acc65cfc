// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/ini_document.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/text_lines.h"
#include "support/files.h"

namespace zorvane {
namespace {

QByteArray RoundTrip(const QByteArray& text) {
  TIniDocument ini;
  ini.ParseText(text);
  return ini.ToBytes();
}

TEST(IniDocumentTest, UnchangedFilesRoundTripByteForByte) {
  const QByteArray samples[] = {
      "[Engine.Engine]\r\nGameRenderDevice=D3DDrv.D3DRenderDevice\r\n; comment\r\n\r\n"
      "[URL]\r\nProtocol=unreal\r\nName=Player\r\n",
      "no section line\n[A]\nkey = spaced value \njunk without equals\n=novalue\n\n\n[B]\nx=1",
      "[UBrowser.UBrowserFavoritesFact]\nFavoriteCount=1\nFavorites[0]=My\\1.2.3.4\\7778\\False\n",
      "caf\xe9=cr\xe8me\n", ""};
  for (const QByteArray& sample : samples)
    EXPECT_EQ(RoundTrip(sample), sample) << sample.constData();
}

TEST(IniDocumentTest, LookupsIgnoreCaseAndValuesRunAfterTheFirstEquals) {
  TIniDocument ini;
  ini.ParseText("[Settings]\nKey=a=b\nkey=second\n Spaced = x \n");
  EXPECT_EQ(ini.ReadString("settings", "KEY", "d"), "a=b");  // the first of a repeated key
  EXPECT_EQ(ini.ReadString("SETTINGS", "spaced", "d"), " x ");
  EXPECT_EQ(ini.ReadString("Settings", "missing", "d"), "d");
  EXPECT_EQ(ini.ReadString("Nowhere", "Key", "d"), "d");
  EXPECT_EQ(ini.ReadSection("settings"), (QStringList{"Key", "key", "Spaced"}));
  EXPECT_TRUE(ini.ValueExists("settings", "spaced"));
  EXPECT_FALSE(ini.ValueExists("settings", "a"));
}

TEST(IniDocumentTest, WritesChangeOnlyTheirLinesAndKeepTheLineEnds) {
  TIniDocument ini;
  ini.ParseText("[A]\r\nx=1\r\n; keep me\r\n\r\n[B]\r\ny=2\r\n");
  ini.WriteString("a", "X", "changed");
  ini.WriteString("A", "new", "3");
  ini.WriteInteger("C", "n", -4);
  EXPECT_EQ(ini.ToBytes(),
            "[A]\r\nx=changed\r\n; keep me\r\nnew=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nn=-4\r\n");
  ini.DeleteKey("A", "x");
  ini.EraseSection("b");
  EXPECT_EQ(ini.ToBytes(), "[A]\r\n; keep me\r\nnew=3\r\n\r\n[C]\r\nn=-4\r\n");
  EXPECT_FALSE(ini.SectionExists("B"));
  EXPECT_EQ(ini.Sections(), (QStringList{"A", "C"}));
}

TEST(IniDocumentTest, ReadBoolTakesAnyNonZeroInteger) {
  TIniDocument ini;
  ini.ParseText("[s]\na=1\nb=0\nc=-7\nd=yes\n");
  EXPECT_TRUE(ini.ReadBool("s", "a", false));
  EXPECT_FALSE(ini.ReadBool("s", "b", true));
  EXPECT_TRUE(ini.ReadBool("s", "c", false));
  EXPECT_TRUE(ini.ReadBool("s", "d", true));
  EXPECT_FALSE(ini.ReadBool("s", "d", false));
}

TEST(IniDocumentTest, UpdateFileReplacesTheFileWholeAndRefusesReadOnlyFiles) {
  QTemporaryDir dir;
  const QString path = dir.filePath("test.ini");
  TIniDocument ini(path);
  ASSERT_TRUE(ini.Load());  // missing reads as empty
  ini.WriteString("s", "k", "v");
  ASSERT_TRUE(ini.UpdateFile());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "[s]\nk=v\n");
  file.close();

  file.setPermissions(QFile::ReadOwner);
  TIniDocument readOnly(path);
  ASSERT_TRUE(readOnly.Load());
  EXPECT_EQ(readOnly.ReadString("s", "k", ""), "v");
  readOnly.WriteString("s", "k", "changed");
  EXPECT_FALSE(readOnly.UpdateFile());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "[s]\nk=v\n");
}

TEST(IniDocumentTest, EveryLineEndIsALineEndAndEachLineKeepsItsOwn) {
  const struct {
    QByteArray text;
    const char* expectAfterWrite;  // after writing s/k=new and s/added=1
  } cases[] = {
      {"[s]\r\nk=v\r\nz=1\r\n", "[s]\r\nk=new\r\nz=1\r\nadded=1\r\n"},
      {"[s]\nk=v\nz=1\n", "[s]\nk=new\nz=1\nadded=1\n"},
      {"[s]\rk=v\rz=1\r", "[s]\rk=new\rz=1\radded=1\r"},
      // A lone CR on the last line is a line end, not part of the value.
      {"[s]\nz=1\nk=v\r", "[s]\nz=1\nk=new\radded=1\n"},
      // Mixed ends stay as they were; new lines take the file's first one.
      {"[s]\r\nk=v\nz=1\r", "[s]\r\nk=new\nz=1\radded=1\r\n"},
      // No line end at the end of the file: the new line gets one between.
      {"[s]\nk=v\nz=1", "[s]\nk=new\nz=1\nadded=1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    TIniDocument ini;
    ini.ParseText(c.text);
    EXPECT_EQ(ini.ToBytes(), c.text);
    EXPECT_EQ(ini.ReadString("s", "z", "d"), "1");
    EXPECT_EQ(ini.ReadString("s", "k", "d"), "v");
    EXPECT_EQ(ini.ReadSection("s").size(), 2);
    ini.WriteString("s", "k", "new");
    ini.WriteString("s", "added", "1");
    EXPECT_EQ(ini.ToBytes(), QByteArray(c.expectAfterWrite));
  }
}

TEST(IniDocumentTest, ByteOrderMarkIsSkippedWhenReadingAndKeptWhenWriting) {
  const QByteArray bom = "\xEF\xBB\xBF";
  TIniDocument ini;
  ini.ParseText(bom + "[settings]\r\nwindowWidth=1000\r\n");
  EXPECT_EQ(ini.Sections(), QStringList{"settings"});
  EXPECT_EQ(ini.ReadString("settings", "windowWidth", ""), "1000");
  ini.WriteString("settings", "windowWidth", "900");
  EXPECT_EQ(ini.ToBytes(), bom + "[settings]\r\nwindowWidth=900\r\n");
  // Only a mark at the very start is one.
  ini.ParseText("[s]\n" + bom + "k=v\n");
  EXPECT_EQ(ini.ReadString("s", QString::fromLatin1(bom + "k"), ""), "v");
}

TEST(IniDocumentTest, RepeatedSectionsReadAsOneAndKeepEveryLine) {
  const QByteArray text =
      "[server]\nserver[0]=a\nk=first\n\n[other]\nx=1\n\n[SERVER]\nserver[1]=b\nk=second\n";
  TIniDocument ini;
  ini.ParseText(text);
  EXPECT_EQ(ini.ToBytes(), text);
  EXPECT_EQ(ini.ReadSection("server"), (QStringList{"server[0]", "k", "server[1]", "k"}));
  EXPECT_EQ(ini.ReadString("server", "server[1]", "d"), "b");
  EXPECT_EQ(ini.ReadString("server", "k", "d"), "first");  // the first occurrence wins
  EXPECT_TRUE(ini.ValueExists("Server", "SERVER[1]"));
  EXPECT_EQ(ini.Sections(), (QStringList{"server", "other"}));

  // A write changes the key where it is; a new key goes to the first copy; later copies of a
  // repeated key stay as they are.
  ini.WriteString("server", "server[1]", "B");
  ini.WriteString("server", "new", "n");
  EXPECT_EQ(ini.ToBytes(),
            "[server]\nserver[0]=a\nk=first\nnew=n\n\n[other]\nx=1\n\n[SERVER]\nserver[1]=B\n"
            "k=second\n");
  ini.DeleteKey("server", "k");
  EXPECT_FALSE(ini.ValueExists("server", "k"));
  ini.EraseSection("server");
  EXPECT_EQ(ini.ToBytes(), "[other]\nx=1\n\n");
}

TEST(IniDocumentTest, WrittenValuesNeverBreakTheLineOrCarryColourCodes) {
  const struct {
    QString value;
    QString written;
  } cases[] = {
      {"Evil\r\nserverCount=0", "Evil  serverCount=0"},
      {"a\rb\nc", "a b c"},
      {QString("tab\there") + QChar(0x7F) + QChar(0) + "end", "tab here  end"},
      // Whole colour codes go first, whatever their colour bytes (line breaks included).
      {QString(QChar(0x1B)) + QChar(0x0A) + QChar(0x0D) + QChar(0xFF) + "Red", "Red"},
      {"x" + QString(QChar(0x1B)) + "\n\n\ny" + QChar(0x1B) + QChar(1) + QChar(2) + QChar(3), "xy"},
      // A code cut short at the end is no code: its bytes become blanks.
      {"cut" + QString(QChar(0x1B)) + "\n", "cut  "},
      {QString::fromLatin1("caf\xe9 [x]"), QString::fromLatin1("caf\xe9 [x]")},
  };
  for (const auto& c : cases) {
    TIniDocument ini;
    ini.ParseText("[s]\nk=old\n");
    ini.WriteString("s", "k", c.value);
    ini.WriteString("s", "new", c.value);
    const QByteArray bytes = ini.ToBytes();
    EXPECT_EQ(bytes.count('\n'), 3) << c.written.toStdString();
    EXPECT_EQ(bytes.count('\r'), 0);
    TIniDocument again;
    again.ParseText(bytes);
    EXPECT_EQ(again.ReadString("s", "k", "d"), c.written);
    EXPECT_EQ(again.ReadString("s", "new", "d"), c.written);
    EXPECT_EQ(again.ReadSection("s"), (QStringList{"k", "new"}));
  }
  // Keys and section names cannot open lines of their own either.
  TIniDocument ini;
  ini.WriteString("a\nb", "c\r\nd", "v");
  TIniDocument again;
  again.ParseText(ini.ToBytes());
  EXPECT_EQ(again.Sections(), QStringList{"a b"});
  EXPECT_EQ(again.ReadSection("a b"), QStringList{"c  d"});
}

TEST(IniDocumentTest, IndexedKeysWhoseValueEndsInABracketStayKeys) {
  TIniDocument ini;
  ini.WriteString("ut99ini", "[0]", "Engine.Player|Speed|see [notes]");
  ini.WriteString("ut99ini", "[1]", "x]");
  TIniDocument again;
  again.ParseText(ini.ToBytes());
  EXPECT_EQ(again.Sections(), QStringList{"ut99ini"});
  EXPECT_EQ(again.ReadString("ut99ini", "[0]", "d"), "Engine.Player|Speed|see [notes]");
  EXPECT_EQ(again.ReadString("ut99ini", "[1]", "d"), "x]");
  // Real headers, odd ones included, still open sections.
  again.ParseText("[a]b]\nk=1\n[ c=d ]\nk=2\n");
  EXPECT_EQ(again.Sections(), (QStringList{"a]b", "c=d"}));
}

TEST(IniDocumentTest, OnlyRegularFilesUpTo16MiBAreReadAndRefusedFilesAreNeverWritten) {
  QTemporaryDir dir;
  const QString big = dir.filePath("big.ini");
  {
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(16 * 1024 * 1024 + 1));  // sparse: costs no disk
  }
  const QString fifo = dir.filePath("fifo.ini");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString limit = dir.filePath("limit.ini");
  testing::Write(limit, "[s]\nk=v\n" + QByteArray(16 * 1024 * 1024 - 8, ' '));

  const struct {
    QString path;
    bool loads;
    const char* reason;
  } cases[] = {
      {big, false, "the file is larger than 16 MiB"},
      {fifo, false, "it is not a regular file"},
      {"/dev/zero", false, "it is not a regular file"},
      {limit, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    TIniDocument ini(c.path);
    EXPECT_EQ(ini.Load(), c.loads);
    EXPECT_EQ(ini.LoadError(), c.reason);
    if (c.loads) {
      EXPECT_EQ(ini.ReadString("s", "k", "d"), "v");
      continue;
    }
    ini.WriteString("s", "k", "v");
    EXPECT_FALSE(ini.UpdateFile());
  }
  EXPECT_EQ(QFileInfo(big).size(), 16 * 1024 * 1024 + 1);
  EXPECT_FALSE(QFileInfo(fifo).isFile());
}

// Runs act with the address space limited to what the process maps now plus room bytes.
template <typename Act>
void WithAddressSpaceRoom(rlim_t room, Act act) {
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
  unsigned long pages = 0;
  {
    QFile statm("/proc/self/statm");
    ASSERT_TRUE(statm.open(QIODevice::ReadOnly));
    pages = statm.readAll().split(' ').value(0).toULong();
  }
  const rlimit tight{rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + room, old.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
  act();
  setrlimit(RLIMIT_AS, &old);
}

// A read takes a buffer of the file's size, not one of the 16 MiB limit (or twice that).
TEST(IniDocumentTest, ASmallFileIsReadIntoASmallBuffer) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer maps its shadow on demand";
#else
  QTemporaryDir dir;
  const QString path = dir.filePath("User.ini");
  testing::Write(path, "[DefaultPlayer]\nName=Gorge\n");
  TIniDocument ini(path);
  TTextLines lines(path);
  bool loaded = false;
  WithAddressSpaceRoom(8 << 20, [&] {
    try {
      loaded = ini.Load() && lines.Load() == TTextLoad::Loaded;
    } catch (const std::bad_alloc&) {
    }
  });
  EXPECT_TRUE(loaded);
  EXPECT_EQ(ini.ReadString("DefaultPlayer", "Name", ""), "Gorge");
#endif
}

// Random files built from the pieces INI files are made of, with junk, NULs and long lines.
QByteArray RandomIniText(QRandomGenerator& random) {
  static const QByteArray pieces[] = {
      "[",    "]",   "=",  "\r",  "\n", "\r\n", "[s]",          "[S]",
      "[t]",  "k",   "K",  "x",   ";",  " ",    "\xEF\xBB\xBF", QByteArray(1, '\0'),
      "\x1B", "[0]", "v]", "\xff"};
  QByteArray text;
  const int count = random.bounded(60);
  for (int i = 0; i < count; ++i) {
    if (random.bounded(50) == 0) text += QByteArray(random.bounded(1, 70000), 'L');
    text += pieces[random.bounded(int(std::size(pieces)))];
  }
  return text;
}

TEST(IniDocumentTest, DamagedFilesSurviveWritesAndRereadTheSame) {
  QRandomGenerator random(11);
  for (int round = 0; round < 400; ++round) {
    const QByteArray text = RandomIniText(random);
    SCOPED_TRACE(round);
    TIniDocument ini;
    ini.ParseText(text);
    ASSERT_EQ(ini.ToBytes(), text);  // untouched: byte for byte
    const QStringList sections = ini.Sections();
    QHash<QString, QString> before;
    for (const QString& section : sections)
      for (const QString& key : ini.ReadSection(section))
        before.insert(section.toLower() + u'\n' + key.toLower(), ini.ReadString(section, key, ""));

    ini.WriteString("s", "k", "written\r\n[t]\nk=evil");
    ini.WriteString("new", "[0]", "value]");
    const QByteArray saved = ini.ToBytes();
    TIniDocument again;
    again.ParseText(saved);
    EXPECT_EQ(again.ToBytes(), saved);
    EXPECT_EQ(again.ReadString("s", "k", "d"), "written  [t] k=evil");
    EXPECT_EQ(again.ReadString("new", "[0]", "d"), "value]");
    // Keys the writes did not touch read as before.
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
      const QString section = it.key().section(u'\n', 0, 0), key = it.key().section(u'\n', 1);
      if (section == u"s" && key == u"k") continue;
      EXPECT_EQ(again.ReadString(section, key, "<gone>"), it.value()) << it.key().toStdString();
    }
  }
}

TEST(IniDocumentTest, EveryTruncationOfAFileLoads) {
  const QByteArray text =
      "\xEF\xBB\xBF[settings]\r\nZorvane=2.91\r\n\r\n[server]\r\nserverCount=1\r\n"
      "server[0]=1.2.3.4\\7778\\True\\Name\\UT\r\n[ut99ini]\r\n[0]=A|B|c]\r";
  for (int cut = 0; cut <= text.size(); ++cut) {
    TIniDocument ini;
    ini.ParseText(text.left(cut));
    EXPECT_EQ(ini.ToBytes(), text.left(cut)) << cut;
    ini.WriteString("settings", "Zorvane", "2.91");
    TIniDocument again;
    again.ParseText(ini.ToBytes());
    EXPECT_EQ(again.ReadString("settings", "Zorvane", ""), "2.91") << cut;
  }
}

TEST(IniDocumentTest, JunkHugeAndTruncatedInputLoadsWithoutFault) {
  QRandomGenerator random(7);
  for (int round = 0; round < 200; ++round) {
    QByteArray junk(random.bounded(4000), '\0');
    for (char& c : junk) c = char(random.bounded(256));
    if (round % 3 == 0)
      for (int i = 0; i < junk.size(); i += 1 + random.bounded(30))
        junk[i] = "[]=\n\r;"[random.bounded(6)];
    TIniDocument ini;
    ini.ParseText(junk);
    EXPECT_EQ(ini.ToBytes().size(), junk.size()) << round;  // every byte kept
    ini.ReadString("a", "b", "");
  }

  // Blank lines by the million (a 16 MiB file can hold as many) load in one pass.
  for (const char* blank : {"\n", "\r\n", " \r"}) {
    QByteArray blanks = "[s]\nk=v\n";
    for (int i = 0; i < 1000000; ++i) blanks += blank;
    TIniDocument ini;
    ini.ParseText(blanks);
    ini.WriteString("s", "added", "1");
    EXPECT_EQ(ini.ToBytes().size(), blanks.size() + 8);
    EXPECT_EQ(ini.ReadSection("s"), (QStringList{"k", "added"}));
  }

  QByteArray big("[big]\n");
  for (int i = 0; i < 100000; ++i)
    big += "key" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
  TIniDocument ini;
  ini.ParseText(big);
  EXPECT_EQ(ini.ReadString("big", "key99999", ""), "99999");
  for (int i = 0; i < 100000; i += 1000) ini.WriteString("big", "added" + QString::number(i), "x");
  EXPECT_EQ(ini.ReadSection("big").size(), 100100);
}

}  // namespace
}  // namespace zorvane
