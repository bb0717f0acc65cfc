// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/ini_utils.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/recording_sink.h"

namespace zorvane {
namespace {

TEST(IniUtilsTest, OpenIniFileCreatesOnlyWhenAsked) {
  QTemporaryDir dir;
  testing::RecordingSink sink;
  std::unique_ptr<TIniDocument> ini;
  bool existed = true;
  EXPECT_FALSE(OpenIniFile(false, ini, existed, "zorvane.ini", sink, dir.path()));
  EXPECT_EQ(sink.messages, QStringList{"Could not find " + dir.filePath("zorvane.ini")});
  EXPECT_FALSE(existed);

  ASSERT_TRUE(OpenIniFile(true, ini, existed, "settings", sink, dir.path()));
  EXPECT_FALSE(existed);
  EXPECT_TRUE(QFile::exists(dir.filePath("settings.ini")));  // the extension was added
  EXPECT_EQ(ini->Path(), dir.filePath("settings.ini"));

  ASSERT_TRUE(OpenIniFile(true, ini, existed, "settings.ini", sink, dir.path()));
  EXPECT_TRUE(existed);
}

TEST(IniUtilsTest, OpenFailuresAreReportedWithThePath) {
  QTemporaryDir dir;
  testing::RecordingSink sink;
  std::unique_ptr<TIniDocument> ini;
  bool existed = false;
  EXPECT_FALSE(OpenIniFile(true, ini, existed, "x.ini", sink, dir.filePath("missing/folder")));
  EXPECT_EQ(sink.messages.value(0), "Could not create " + dir.filePath("missing/folder/x.ini"));

  QDir(dir.path()).mkdir("folder.ini");  // a folder cannot be read as a file
  EXPECT_FALSE(OpenIniFile(true, ini, existed, "folder.ini", sink, dir.path()));
  EXPECT_EQ(sink.messages.value(1), "Could not open " + dir.filePath("folder.ini"));

  EXPECT_EQ(OpenExistingIniFile(dir.filePath("User.ini"), "UT", false, sink), nullptr);
  EXPECT_EQ(sink.messages.value(2), "UT -> Could not find " + dir.filePath("User.ini") + ".");
  EXPECT_EQ(OpenExistingIniFile(dir.filePath("User.ini"), "", true, sink), nullptr);
  EXPECT_EQ(sink.messages.size(), 3);
}

TEST(IniUtilsTest, PathChecksNameTheField) {
  QTemporaryDir dir;
  testing::RecordingSink sink;
  EXPECT_TRUE(CheckPathExists(dir.path() + "/", "Game folder:", sink));
  EXPECT_FALSE(CheckPathExists(dir.filePath("nope"), "Game folder:", sink));
  EXPECT_FALSE(CheckPathExists(dir.filePath("nope"), "", sink));
  EXPECT_FALSE(CheckFileExists(dir.filePath("nope.exe"), "Game EXE", sink));
  EXPECT_EQ(sink.messages,
            (QStringList{"The path entered in the 'Game folder' field does not exist.",
                         "Either the path or the file name entered in the 'Game EXE' field is "
                         "incorrect."}));
}

TEST(IniUtilsTest, LenientReads) {
  TIniDocument ini;
  ini.ParseText("[s]\nn= 42 \nbad=4x\nflag=TRUE\none=1\n");
  EXPECT_EQ(SafeReadInteger(ini, "s", "n", 7), 42);
  EXPECT_EQ(SafeReadInteger(ini, "s", "bad", 7), 7);
  EXPECT_EQ(SafeReadInteger(ini, "s", "missing", 7), 7);
  EXPECT_TRUE(ReadFlag(ini, "s", "one", "0"));
  EXPECT_TRUE(ReadFlag(ini, "s", "flag", "0", "true"));
  EXPECT_FALSE(ReadFlag(ini, "s", "flag", "0"));
  EXPECT_TRUE(ReadFlag(ini, "s", "missing", "1"));
  WriteFlag(ini, "s", "w", false);
  EXPECT_EQ(ini.ReadString("s", "w", ""), "0");
}

}  // namespace
}  // namespace zorvane
