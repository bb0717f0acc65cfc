// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/start_directory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

}  // namespace
}  // namespace zorvane
