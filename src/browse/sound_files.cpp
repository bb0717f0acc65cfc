// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/sound_files.h"

#include <QDir>
#include <QFileInfo>

namespace zorvane {

QStringList SoundFolders(const QString& startDirectory, const QStringList& dataFolders) {
  QStringList folders;
  const auto add = [&folders](const QString& folder) {
    if (folder.isEmpty()) return;
    const QString clean = QDir::cleanPath(folder);
    if (!folders.contains(clean)) folders << clean;
  };
  add(startDirectory);
  for (const QString& folder : dataFolders) add(folder);
  return folders;
}

QStringList InstalledDataFolders(const QString& binaryFolder) {
  if (binaryFolder.isEmpty()) return {};
  return {QDir::cleanPath(binaryFolder),
          QDir::cleanPath(binaryFolder + QStringLiteral("/../share/zorvane"))};
}

QString ResolveSoundFile(const QString& name, const QStringList& folders) {
  if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name == u"." ||
      name == u"..")
    return {};
  for (const QString& folder : folders) {
    const QFileInfo file(folder + u'/' + name);
    if (file.isFile()) return file.filePath();
  }
  return {};
}

QStringList SoundChoices(const QStringList& folders) {
  QStringList choices{QString::fromLatin1(kNoSound)};
  for (const QString& folder : folders) {
    const QStringList files =
        QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString& file : files)
      if (file.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive) && !choices.contains(file))
        choices << file;
  }
  return choices;
}

void PlaySoundFile(const QString& name, const QStringList& folders, TSoundPlayer& player,
                   const std::function<void(const QString&)>& log) {
  if (name.isEmpty() || name == QLatin1String(kNoSound)) return;
  const QString path = ResolveSoundFile(name, folders);
  if (path.isEmpty()) {
    if (log) log(QStringLiteral("Sound file not found: ") + name);
    return;
  }
  player.PlayFile(path);
}

}  // namespace zorvane
