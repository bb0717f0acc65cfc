// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/start_directory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "config/settings.h"

namespace zorvane {

QString ResolveStartDirectory(const QString& dirArgument, bool create) {
  if (!dirArgument.isEmpty()) {
    const QString folder = QDir(dirArgument).absolutePath();
    // Made like the default folder; a file in its place stays, and opening the settings in
    // it then fails with the path in the message.
    if (create && !QFileInfo::exists(folder)) QDir().mkpath(folder);
    return folder;
  }
  if (QFileInfo::exists(QDir::current().filePath(QString::fromLatin1(kSettingsFileName))))
    return QDir::currentPath();
  if (QCoreApplication::applicationName().isEmpty())
    QCoreApplication::setApplicationName(QStringLiteral("zorvane"));
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  if (folder.isEmpty() || (create && !QDir().mkpath(folder))) return {};
  return folder;
}

QString DirArgument(const QStringList& arguments) {
  for (int i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == u"--dir") return arguments.value(i + 1);
    if (arguments[i].startsWith(u"--dir=")) return arguments[i].mid(6);
  }
  return {};
}

}  // namespace zorvane
