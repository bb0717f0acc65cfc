// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/start_directory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "config/configuration.h"
#include "query/server_stash.h"
#include "support/recording_sink.h"

namespace zorvane {
namespace {

TEST(StartDirectoryTest, DirArgumentForms) {
  EXPECT_EQ(DirArgument({"zorvane", "--dir", "/a/b"}), "/a/b");
  EXPECT_EQ(DirArgument({"zorvane", "--dir=/c"}), "/c");
  EXPECT_EQ(DirArgument({"zorvane", "--dir"}), "");
  EXPECT_EQ(DirArgument({"zorvane"}), "");
}

TEST(StartDirectoryTest, ExplicitFolderThenPortableFolderThenUserConfig) {
  QTemporaryDir given, portable, home;
  EXPECT_EQ(ResolveStartDirectory(given.path()), given.path());

  const QString previous = QDir::currentPath();
  QDir::setCurrent(portable.path());
  qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
  const QString config = ResolveStartDirectory({}, false);
  EXPECT_TRUE(config.startsWith(home.path()));
  EXPECT_FALSE(QFileInfo::exists(config));  // nothing created when asked not to
  EXPECT_EQ(ResolveStartDirectory({}), config);
  EXPECT_TRUE(QFileInfo(config).isDir());

  QFile marker(portable.filePath("zorvane.ini"));
  ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
  marker.close();
  EXPECT_EQ(QFileInfo(ResolveStartDirectory({})).canonicalFilePath(),
            QFileInfo(portable.path()).canonicalFilePath());
  QDir::setCurrent(previous);
  qunsetenv("XDG_CONFIG_HOME");
}

// "--dir DIR" with a folder that is not there yet starts in it, as the default folder does.
TEST(StartDirectoryTest, AGivenFolderIsCreatedUnlessAFileIsInItsPlace) {
  QTemporaryDir root;
  const QString fresh = root.filePath("new/zorvane");
  EXPECT_EQ(ResolveStartDirectory(fresh, false), fresh);
  EXPECT_FALSE(QFileInfo::exists(fresh));  // zorvane-query --dir creates nothing
  EXPECT_EQ(ResolveStartDirectory(fresh), fresh);
  EXPECT_TRUE(QFileInfo(fresh).isDir());
  TConfiguration config;
  TServerStash stash;
  testing::RecordingSink sink;
  EXPECT_TRUE(LoadConfiguration(config, fresh, TConfigMode::ReadWrite, stash, sink));
  EXPECT_TRUE(sink.messages.isEmpty());
  EXPECT_TRUE(QFileInfo(fresh + "/zorvane.ini").isFile());

  const QString file = root.filePath("a-file");
  QFile plain(file);
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  EXPECT_EQ(ResolveStartDirectory(file), file);
  EXPECT_TRUE(QFileInfo(file).isFile());
  TConfiguration failed;
  EXPECT_FALSE(LoadConfiguration(failed, file, TConfigMode::ReadWrite, stash, sink));
  EXPECT_EQ(sink.messages, QStringList{"Could not create " + file + "/zorvane.ini"});
}

}  // namespace
}  // namespace zorvane
