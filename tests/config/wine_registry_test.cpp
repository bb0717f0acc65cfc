// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/wine_registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace zorvane {
namespace {

constexpr char kSystemReg[] =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n\n"
    "#arch=win32\n\n"
    "[Software\\\\Classes\\\\Applications\\\\UnrealTournament.exe\\\\shell\\\\open\\\\command] "
    "1700000000\n"
    "#time=1d9c0b2a1f3e4d0\n"
    "@=\"\\\"C:\\\\Games\\\\UnrealTournament\\\\System\\\\UnrealTournament.exe\\\" \\\"%1\\\"\"\n\n"
    "[Software\\\\Classes\\\\ut2004\\\\Shell\\\\open\\\\command] 1700000000\n"
    "@=str(2):\"D:\\\\UT2004\\\\System\\\\UT2004.exe %1\"\n\n"
    "[Software\\\\Other\\\\ut2003\\\\Shell\\\\open\\\\command] 1700000000\n"
    "@=\"C:\\\\Elsewhere\\\\UT2003.exe\"\n";

TEST(WineRegistryTest, ReadsDefaultValuesUnderTheClassesRoot) {
  TWineRegistry registry("/nonexistent");
  registry.Parse(kSystemReg);
  EXPECT_EQ(registry.ClassesDefault("\\Applications\\UnrealTournament.exe\\shell\\open\\command"),
            "\"C:\\Games\\UnrealTournament\\System\\UnrealTournament.exe\" \"%1\"");
  EXPECT_EQ(registry.ClassesDefault("UT2004\\shell\\OPEN\\command"),
            "D:\\UT2004\\System\\UT2004.exe %1");
  EXPECT_EQ(registry.ClassesDefault("ut2003\\Shell\\open\\command"), "");  // not under classes
}

TEST(WineRegistryTest, WindowsPathsMapThroughTheDriveLinksIgnoringCase) {
  QTemporaryDir prefix;
  QDir(prefix.path()).mkpath("drive_c/Games/UnrealTournament/system");
  QDir(prefix.path()).mkpath("dosdevices");
  QFile::link(prefix.filePath("drive_c"), prefix.filePath("dosdevices/c:"));
  TWineRegistry registry(prefix.path());
  const QString root = QFileInfo(prefix.filePath("drive_c")).canonicalFilePath();
  EXPECT_EQ(registry.ToLocalPath("C:\\Games\\UnrealTournament\\System\\"),
            root + "/Games/UnrealTournament/system");
  EXPECT_EQ(registry.ToLocalPath("c:\\games\\NotThere\\"), root + "/Games/NotThere");
  EXPECT_EQ(registry.ToLocalPath("D:\\UT2004\\"), "");
  EXPECT_EQ(registry.ToLocalPath("\\\\server\\share"), "");
}

TEST(WineRegistryTest, JunkRegistryFilesNeverFault) {
  QRandomGenerator random(11);
  const QByteArray real(kSystemReg);
  for (int round = 0; round < 300; ++round) {
    QByteArray junk = real.left(random.bounded(real.size() + 1));
    for (int flips = random.bounded(10); flips > 0 && !junk.isEmpty(); --flips)
      junk[random.bounded(junk.size())] = char(random.bounded(256));
    TWineRegistry registry("/nonexistent");
    registry.Parse(junk);
    registry.ClassesDefault("ut2004\\Shell\\open\\command");
  }
  SUCCEED();
}

}  // namespace
}  // namespace zorvane
