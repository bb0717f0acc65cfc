// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/ini_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "query/vocabulary.h"

namespace zorvane {

QString JoinPath(const QString& directory, const QString& fileName) {
  if (directory.isEmpty()) return fileName;
  return directory.endsWith(u'/') ? QString(directory + fileName)
                                  : QString(directory + u'/' + fileName);
}

QString CouldNotOpenText(const TIniDocument& document) {
  const QString text = QStringLiteral("Could not open ") + document.Path();
  return document.LoadError().isEmpty() ? text
                                        : text + QStringLiteral(" (") + document.LoadError() + u')';
}

bool OpenIniFile(bool createIfMissing, std::unique_ptr<TIniDocument>& document, bool& existed,
                 const QString& fileName, TMessageSink& messages, const QString& directory,
                 const QString& extension) {
  const QString dir = directory.isEmpty() ? QDir::currentPath() : directory;
  QString path = JoinPath(dir, fileName);
  existed = QFileInfo::exists(path);
  if (!existed) {
    if (!createIfMissing) {
      messages.Show(TMessageKind::Plain, QStringLiteral("Could not find ") + path);
      return false;
    }
    if (QFileInfo(fileName).suffix().isEmpty()) {
      path += u'.' + (extension.isEmpty() ? QStringLiteral("ini") : extension);
      existed = QFileInfo::exists(path);
    }
    QFile file(path);
    if (!existed && !file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      messages.Show(TMessageKind::Plain, QStringLiteral("Could not create ") + path);
      return false;
    }
  }
  auto opened = std::make_unique<TIniDocument>(path);
  if (!opened->Load()) {
    messages.Show(TMessageKind::Plain, CouldNotOpenText(*opened));
    return false;
  }
  document = std::move(opened);
  return true;
}

std::unique_ptr<TIniDocument> OpenExistingIniFile(const QString& path, const QString& caption,
                                                  bool silent, TMessageSink& messages) {
  const QString prefix = caption.isEmpty() ? QString() : caption + QStringLiteral(" -> ");
  if (!QFileInfo(path).isFile()) {
    if (!silent)
      messages.Show(TMessageKind::Error, prefix + QStringLiteral("Could not find ") + path + u'.');
    return nullptr;
  }
  auto document = std::make_unique<TIniDocument>(path);
  if (!document->Load()) {
    if (!silent) messages.Show(TMessageKind::Error, prefix + CouldNotOpenText(*document) + u'.');
    return nullptr;
  }
  return document;
}

bool CheckPathExists(const QString& path, const QString& fieldCaption, TMessageSink& messages) {
  QString directory = path;
  while (directory.size() > 1 && (directory.endsWith(u'/') || directory.endsWith(u'\\')))
    directory.chop(1);
  if (!directory.isEmpty() && QFileInfo(directory).isDir()) return true;
  if (!fieldCaption.isEmpty()) {
    QString caption = fieldCaption;
    if (caption.endsWith(u':')) caption.chop(1);
    messages.Show(TMessageKind::Plain, QStringLiteral("The path entered in the '") + caption +
                                           QStringLiteral("' field does not exist."));
  }
  return false;
}

bool CheckFileExists(const QString& path, const QString& fieldCaption, TMessageSink& messages) {
  if (!path.isEmpty() && QFileInfo(path).isFile()) return true;
  if (!fieldCaption.isEmpty())
    messages.Show(TMessageKind::Plain,
                  QStringLiteral("Either the path or the file name entered in the '") +
                      fieldCaption + QStringLiteral("' field is incorrect."));
  return false;
}

int SafeReadInteger(const TIniDocument& ini, const QString& section, const QString& key, int def) {
  int value = def;
  return ReadInteger(ini.ReadString(section, key, QString::number(def)), value) ? value : def;
}

bool ReadFlag(const TIniDocument& ini, const QString& section, const QString& key,
              const QString& def, const QString& trueText) {
  return ini.ReadString(section, key, def).compare(trueText, Qt::CaseInsensitive) == 0;
}

void WriteFlag(TIniDocument& ini, const QString& section, const QString& key, bool flag) {
  ini.WriteString(section, key, flag ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList ReadIndexedEntries(const TIniDocument& ini, const QString& section,
                               const QString& prefix, int count) {
  std::vector<int> indices;
  for (const QString& key : ini.ReadSection(section)) {
    if (key.size() < prefix.size() + 3 || !key.startsWith(prefix, Qt::CaseInsensitive) ||
        key[prefix.size()] != u'[' || !key.endsWith(u']'))
      continue;
    const QStringView digits =
        QStringView(key).mid(prefix.size() + 1, key.size() - prefix.size() - 2);
    if (digits.size() > 10 || (digits.size() > 1 && digits[0] == u'0') ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
      continue;
    const qint64 index = digits.toLongLong();
    if (index < count) indices.push_back(int(index));
  }
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  QStringList values;
  values.reserve(qsizetype(indices.size()));
  for (const int index : indices)
    values << ini.ReadString(section, prefix + u'[' + QString::number(index) + u']', QString());
  return values;
}

}  // namespace zorvane
