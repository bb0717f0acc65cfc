// SPDX-License-Identifier: GPL-2.0-or-later
// The libraries depend only downward (gui -> browse -> history -> config -> query), the GUI's
// folders too (window -> view and dialogs, peers -> grid -> controls), and the core takes nothing
// from Qt but QtCore, QtNetwork, QtSql and QtDBus (never QtGui or QtWidgets). Checked over every
// source file's includes.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace {

const QString kSource = QStringLiteral(ZORVANE_SOURCE_DIR);
const QString kQtHeaders = QStringLiteral(ZORVANE_QT_HEADERS);

struct TLibrary {
  QString folder;
  QStringList mayInclude;  // the folders of the project it may include from
  bool core;
};

const std::vector<TLibrary> kLibraries = {
    {"query", {"query"}, true},
    {"config", {"query", "config"}, true},
    {"history", {"query", "config", "history"}, true},
    {"browse", {"query", "config", "history", "browse"}, true},
    {"gui", {"query", "config", "history", "browse", "gui"}, false},
    {"app", {"query", "config", "history", "browse", "gui", "app"}, false},
};

struct TInclude {
  QString file;
  QString header;
  bool quoted;
};

std::vector<TInclude> IncludesUnder(const QString& folder) {
  static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"),
                                          QRegularExpression::MultilineOption);
  std::vector<TInclude> found;
  QDirIterator it(kSource + u'/' + folder, {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                  QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QString text = QString::fromUtf8(file.readAll());
    for (auto m = include.globalMatch(text); m.hasNext();) {
      const auto match = m.next();
      found.push_back({QDir(kSource).relativeFilePath(path), match.captured(2),
                       match.captured(1) == u"\""});
    }
  }
  return found;
}

bool QtHeaderIn(const QString& module, const QString& header) {
  return QFileInfo::exists(kQtHeaders + u'/' + module + u'/' + header);
}

TEST(LayoutTest, EveryFolderIsALibrary) {
  QStringList folders = QDir(kSource).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const TLibrary& library : kLibraries) {
    EXPECT_TRUE(folders.removeOne(library.folder)) << library.folder.toStdString();
    EXPECT_TRUE(QFileInfo::exists(kSource + u'/' + library.folder + u"/CMakeLists.txt"));
  }
  EXPECT_TRUE(folders.isEmpty()) << "not in the layout: " << folders.join(u' ').toStdString();
}

TEST(LayoutTest, LibrariesIncludeOnlyDownward) {
  ASSERT_TRUE(QtHeaderIn(QStringLiteral("QtCore"), QStringLiteral("QString")));
  for (const TLibrary& library : kLibraries) {
    const auto includes = IncludesUnder(library.folder);
    EXPECT_FALSE(includes.empty()) << library.folder.toStdString();
    for (const TInclude& include : includes) {
      const std::string where = include.file.toStdString() + ": " + include.header.toStdString();
      if (include.quoted) {
        const QString folder = include.header.section(u'/', 0, 0);
        // The generated version header lives in the build tree under config/.
        EXPECT_TRUE(library.mayInclude.contains(folder)) << where;
        EXPECT_TRUE(include.header == u"config/version.h" ||
                    QFileInfo::exists(kSource + u'/' + include.header))
            << where;
      } else if (library.core && include.header.startsWith(u'Q')) {
        const QStringList coreModules = {"QtCore", "QtNetwork", "QtSql", "QtDBus"};
        EXPECT_TRUE(std::any_of(coreModules.begin(), coreModules.end(), [&](const QString& m) {
          return QtHeaderIn(m, include.header);
        })) << where;
      }
    }
  }
}

// The GUI's folders, each with the folders it may include from: view and dialogs are peers,
// neither includes the other.
const std::vector<TLibrary> kGuiFolders = {
    {"controls", {"controls"}, false},
    {"grid", {"controls", "grid"}, false},
    {"view", {"controls", "grid", "view"}, false},
    {"dialogs", {"controls", "grid", "dialogs"}, false},
    {"window", {"controls", "grid", "view", "dialogs", "window"}, false},
};

TEST(LayoutTest, GuiFoldersIncludeOnlyDownward) {
  QStringList folders = QDir(kSource + u"/gui").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const TLibrary& folder : kGuiFolders) {
    EXPECT_TRUE(folders.removeOne(folder.folder)) << folder.folder.toStdString();
    const auto includes = IncludesUnder(u"gui/" + folder.folder);
    EXPECT_FALSE(includes.empty()) << folder.folder.toStdString();
    for (const TInclude& include : includes) {
      if (!include.quoted || !include.header.startsWith(u"gui/")) continue;
      EXPECT_TRUE(folder.mayInclude.contains(include.header.section(u'/', 1, 1)))
          << include.file.toStdString() << ": " << include.header.toStdString();
    }
  }
  EXPECT_TRUE(folders.isEmpty()) << "not in the order: " << folders.join(u' ').toStdString();
}

TEST(LayoutTest, EverySourceFileNamesItsLicence) {
  QDirIterator it(kSource, {QStringLiteral("*.h"), QStringLiteral("*.cpp"), QStringLiteral("*.in")},
                  QDir::Files, QDirIterator::Subdirectories);
  int files = 0;
  while (it.hasNext()) {
    QFile file(it.next());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readLine().trimmed(), "// SPDX-License-Identifier: GPL-2.0-or-later")
        << file.fileName().toStdString();
    ++files;
  }
  EXPECT_GT(files, 90);
}

}  // namespace
