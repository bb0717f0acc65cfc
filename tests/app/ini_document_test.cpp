#include "app/ini_document.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

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
      "caf\xe9=cr\xe8me\n",
      ""};
  for (const QByteArray& sample : samples) EXPECT_EQ(RoundTrip(sample), sample) << sample.constData();
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

TEST(IniDocumentTest, JunkHugeAndTruncatedInputLoadsWithoutFault) {
  QRandomGenerator random(7);
  for (int round = 0; round < 200; ++round) {
    QByteArray junk(random.bounded(4000), '\0');
    for (char& c : junk) c = char(random.bounded(256));
    if (round % 3 == 0)
      for (int i = 0; i < junk.size(); i += 1 + random.bounded(30)) junk[i] = "[]=\n\r;"[random.bounded(6)];
    TIniDocument ini;
    ini.ParseText(junk);
    EXPECT_EQ(ini.ToBytes().size(), junk.size()) << round;  // every byte kept
    ini.ReadString("a", "b", "");
  }

  QByteArray big("[big]\n");
  for (int i = 0; i < 100000; ++i) big += "key" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
  TIniDocument ini;
  ini.ParseText(big);
  EXPECT_EQ(ini.ReadString("big", "key99999", ""), "99999");
  for (int i = 0; i < 100000; i += 1000) ini.WriteString("big", "added" + QString::number(i), "x");
  EXPECT_EQ(ini.ReadSection("big").size(), 100100);
}

}  // namespace
}  // namespace zorvane
