// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/steam_libraries.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace zorvane {
namespace {

constexpr char kCurrent[] =
    "\"libraryfolders\"\n{\n"
    "\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/u/.local/share/Steam\"\n\t\t\"label\"\t\t\"\"\n"
    "\t\t\"apps\"\n\t\t{\n\t\t\t\"13230\"\t\t\"4581720954\"\n\t\t\t\"path\"\t\"/not/a/library\"\n"
    "\t\t}\n\t}\n"
    "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"/mnt/games/Steam Library\"\n\t}\n}\n";

TEST(SteamLibrariesTest, ReadsTheLibraryPathsOfBothLayouts) {
  struct Case {
    const char* name;
    QByteArray vdf;
    QStringList paths;
  };
  const Case cases[] = {
      {"current blocks with a path each; a path inside apps is no library",
       kCurrent,
       {"/home/u/.local/share/Steam", "/mnt/games/Steam Library"}},
      {"old numbered values beside other keys",
       "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1700000000\"\n"
       "\t\"ContentStatsID\"\t\"-42\"\n\t\"1\"\t\"/data/SteamLibrary\"\n}\n",
       {"/data/SteamLibrary"}},
      {"escapes, comments, unquoted tokens and repeats",
       "// written by Steam\nlibraryfolders { 0 { path \"/a\\\\b \\\"c\\\"\" } "
       "\"1\" { \"PATH\" \"/a\\\\b \\\"c\\\"\" } \"2\" { \"path\" \"/d\" } }",
       {"/a\\b \"c\"", "/d"}},
      {"Windows and relative paths name nothing here",
       "\"libraryfolders\" { \"0\" { \"path\" \"C:\\\\Program Files (x86)\\\\Steam\" } "
       "\"1\" { \"path\" \"games\" } }",
       {}},
      {"a path outside a numbered block", "\"libraryfolders\" { \"x\" { \"path\" \"/x\" } }", {}},
      {"cut inside a quoted value",
       "\"libraryfolders\" { \"0\" { \"path\" \"/a\" } \"1\" { \"path\" \"/b",
       {"/a"}},
      {"closing braces without opening ones",
       "} } \"1\" \"/x\" \"libraryfolders\" { \"1\" \"/y\" }",
       {"/y"}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SteamLibraryPaths(c.vdf), c.paths) << c.name;
}

TEST(SteamLibrariesTest, HostileFilesEndWithinTheirBounds) {
  // Endless nesting keeps no state per level.
  EXPECT_TRUE(SteamLibraryPaths(QByteArray(1 << 20, '{')).isEmpty());
  // A file claiming thousands of libraries is believed only up to the limit.
  QByteArray many = "\"LibraryFolders\" {";
  for (int i = 0; i < 5000; ++i)
    many += " \"" + QByteArray::number(i) + "\" \"/l" + QByteArray::number(i) + "\"";
  EXPECT_EQ(SteamLibraryPaths(many).size(), kMaxSteamLibraries);
  // Cut and damaged copies of a real file never fault and never invent a path.
  const QStringList whole = SteamLibraryPaths(kCurrent);
  QRandomGenerator random(24);
  const QByteArray real(kCurrent);
  for (int round = 0; round < 500; ++round) {
    QByteArray junk = real.left(random.bounded(real.size() + 1));
    const bool cutOnly = round % 2 == 0;
    for (int flips = cutOnly ? 0 : random.bounded(8); flips > 0 && !junk.isEmpty(); --flips)
      junk[random.bounded(junk.size())] = char(random.bounded(256));
    const QStringList paths = SteamLibraryPaths(junk);
    if (!cutOnly) continue;
    for (const QString& path : paths) EXPECT_TRUE(whole.contains(path)) << path.toStdString();
  }
}

}  // namespace
}  // namespace zorvane
