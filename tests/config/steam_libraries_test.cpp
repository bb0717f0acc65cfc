// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/steam_libraries.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace zorvane {
namespace {

constexpr char kCurrent[] =
    "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/u/.local/share/Steam\"\n"
    "\t\t\"apps\"\n\t\t{\n\t\t\t\"13230\"\t\t\"4581720954\"\n\t\t\t\"path\"\t\"/no/library\"\n"
    "\t\t}\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"/mnt/games/Steam Library\"\n\t}\n}\n";

TEST(SteamLibrariesTest, ReadsTheLibraryPathsOfBothLayouts) {
  const std::pair<QByteArray, QStringList> cases[] = {
      // A path inside "apps" names no library.
      {kCurrent, {"/home/u/.local/share/Steam", "/mnt/games/Steam Library"}},
      {"\"LibraryFolders\" { \"TimeNextStatsReport\" \"17\" \"1\" \"/data/SteamLibrary\" }",
       {"/data/SteamLibrary"}},
      {"// comment\nlibraryfolders { 0 { path \"/a\\\\b \\\"c\\\"\" } \"1\" { \"PATH\" "
       "\"/a\\\\b \\\"c\\\"\" } }",
       {"/a\\b \"c\""}},
      {"\"libraryfolders\" { \"0\" { \"path\" \"C:\\\\Steam\" } \"x\" { \"path\" \"/x\" } }", {}},
      {"\"libraryfolders\" { \"0\" { \"path\" \"/a\" } \"1\" { \"path\" \"/b", {"/a"}},
      {"} } \"1\" \"/x\" \"libraryfolders\" { \"1\" \"/y\" }", {"/y"}},
  };
  for (const auto& [vdf, paths] : cases) EXPECT_EQ(SteamLibraryPaths(vdf), paths) << vdf.data();
}

TEST(SteamLibrariesTest, HostileFilesEndWithinTheirBounds) {
  EXPECT_TRUE(SteamLibraryPaths(QByteArray(1 << 20, '{')).isEmpty());
  QByteArray many = "\"LibraryFolders\" {";
  for (int i = 0; i < 5000; ++i) many += " \"1\" \"/l" + QByteArray::number(i) + "\"";
  EXPECT_EQ(SteamLibraryPaths(many).size(), kMaxSteamLibraries);
  // Cut and damaged copies of a real file never fault; a cut one never invents a path.
  const QStringList whole = SteamLibraryPaths(kCurrent);
  QRandomGenerator random(24);
  for (int round = 0; round < 500; ++round) {
    QByteArray junk = QByteArray(kCurrent).left(random.bounded(int(sizeof kCurrent)));
    const bool cut = round % 2 == 0;
    for (int flips = cut ? 0 : random.bounded(8); flips > 0 && !junk.isEmpty(); --flips)
      junk[random.bounded(junk.size())] = char(random.bounded(256));
    const QStringList paths = SteamLibraryPaths(junk);
    if (!cut) continue;
    for (const QString& path : paths) EXPECT_TRUE(whole.contains(path)) << path.toStdString();
  }
}

}  // namespace
}  // namespace zorvane
