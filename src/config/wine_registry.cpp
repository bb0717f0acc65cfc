// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/wine_registry.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <cctype>

#include "config/installed_games.h"

namespace zorvane {

namespace {

// "Software\\Classes\\x" as written in system.reg -> "software\classes\x".
QString UnescapeKey(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size() && text[i + 1] == u'\\') ++i;
    out += text[i];
  }
  return out.toLower();
}

// The quoted string of a value line, with Wine's escapes undone; false when malformed.
bool UnquoteValue(QStringView text, QString& value) {
  const qsizetype open = text.indexOf(u'"');
  if (open < 0) return false;
  value.clear();
  for (qsizetype i = open + 1; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'"') return true;
    if (c != u'\\' || i + 1 >= text.size()) {
      value += c;
      continue;
    }
    const QChar e = text[++i];
    if (e == u'n') {
      value += u'\n';
    } else if (e == u'r') {
      value += u'\r';
    } else if (e == u't') {
      value += u'\t';
    } else if (e == u'x') {
      qsizetype end = i + 1;
      while (end < text.size() && end < i + 5 && isxdigit(text[end].toLatin1())) ++end;
      bool ok = false;
      const uint code = text.sliced(i + 1, end - i - 1).toUInt(&ok, 16);
      if (ok) value += QChar(char16_t(code));
      i = end - 1;
    } else {
      value += e;
    }
  }
  return false;
}

// The entry of directory whose name equals part ignoring case (exact match first).
QString FindIgnoringCase(const QString& directory, const QString& part) {
  if (QFileInfo::exists(directory + u'/' + part)) return part;
  const QStringList entries = QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  for (const QString& entry : entries)
    if (entry.compare(part, Qt::CaseInsensitive) == 0) return entry;
  return part;
}

}  // namespace

QString TWineRegistry::DefaultPrefix() {
  const QString prefix = qEnvironmentVariable("WINEPREFIX");
  return prefix.isEmpty() ? QDir::homePath() + QStringLiteral("/.wine") : prefix;
}

TWineRegistry::TWineRegistry(QString prefix) : prefix_(std::move(prefix)) {}

bool TWineRegistry::Load() {
  // A real registry is a few megabytes; a FIFO or device in its place is never opened.
  const auto bytes = ReadRegularFile(prefix_ + QStringLiteral("/system.reg"), 64 << 20);
  if (!bytes) return false;
  Parse(*bytes);
  return true;
}

void TWineRegistry::Parse(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) text = QString::fromLatin1(bytes);
  const QString classes = QStringLiteral("software\\classes\\");
  QString currentKey;  // empty outside the classes root
  qsizetype from = 0;
  while (from < text.size()) {
    qsizetype end = text.indexOf(u'\n', from);
    if (end < 0) end = text.size();
    const QStringView line = QStringView(text).sliced(from, end - from).trimmed();
    from = end + 1;
    if (line.startsWith(u'[')) {
      const qsizetype close = line.lastIndexOf(u']');
      const QString key = close > 0 ? UnescapeKey(line.sliced(1, close - 1)) : QString();
      currentKey = key.startsWith(classes) ? key.mid(classes.size()) : QString();
      continue;
    }
    if (currentKey.isEmpty() || !line.startsWith(u"@=")) continue;
    QString value;
    if (UnquoteValue(line.sliced(2), value)) defaults_.insert(currentKey, value);
  }
}

QString TWineRegistry::ClassesDefault(const QString& key) const {
  QString path = key.toLower();
  while (path.startsWith(u'\\')) path.remove(0, 1);
  return defaults_.value(path);
}

QString TWineRegistry::ToLocalPath(const QString& windowsPath) const {
  if (windowsPath.size() < 2 || windowsPath[1] != u':' || !windowsPath[0].isLetter()) return {};
  const QString drive = windowsPath.left(2).toLower();
  QString root = prefix_ + QStringLiteral("/dosdevices/") + drive;
  if (!QFileInfo::exists(root)) {
    if (drive != u"c:") return {};
    root = prefix_ + QStringLiteral("/drive_c");
  }
  root = QFileInfo(root).canonicalFilePath();
  if (root.isEmpty()) return {};
  QString path = root;
  const QStringList parts = windowsPath.mid(2).split(u'\\', Qt::SkipEmptyParts);
  for (const QString& part : parts) path += u'/' + FindIgnoringCase(path, part);
  return path;
}

}  // namespace zorvane
