// SPDX-License-Identifier: GPL-2.0-or-later
// The INI document: a file read and written back is unchanged; values written read back; keys
// nobody wrote keep their values.
//
// Input: the file, then (after a line "||") the writes, each a selector byte and three
// length-prefixed fields (section, key, value).

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "config/ini_document.h"
#include "fuzz_support.h"
#include "query/network_text.h"

using namespace zorvane;

namespace {

class TReader {
 public:
  explicit TReader(QByteArrayView bytes) : bytes_(bytes) {}
  bool AtEnd() const { return at_ >= bytes_.size(); }
  quint8 Byte() { return AtEnd() ? 0 : quint8(bytes_[at_++]); }
  QByteArray Field() {
    const qsizetype wanted = Byte();  // read first: it moves at_
    const qsizetype length = std::min<qsizetype>(wanted, bytes_.size() - at_);
    const QByteArray field = bytes_.sliced(at_, length).toByteArray();
    at_ += length;
    return field;
  }

 private:
  QByteArrayView bytes_;
  qsizetype at_ = 0;
};

// A name the file format can hold: no line end, "=", comment mark at the start or outer
// blanks. Keys may look like "[0]", as the program's own numbered lists do.
QString Name(const QByteArray& raw) {
  static constexpr char kAlphabet[] = "abAB01_.[] ";
  QString name;
  for (char c : raw) name += QLatin1Char(kAlphabet[quint8(c) % (sizeof kAlphabet - 1)]);
  name = name.trimmed();
  while (name.startsWith(u';') || name.startsWith(u'#')) name.remove(0, 1);
  return name.trimmed().isEmpty() ? QStringLiteral("k") : name.trimmed();
}

using TKey = std::pair<QString, QString>;

// A key starts with "[" only as a numbered key "[N]", as the program's own keys do.
bool IsProgramKey(const QString& key) {
  static const QRegularExpression numbered(QStringLiteral("^\\[[0-9]+\\]$"));
  return !key.startsWith(u'[') || numbered.match(key).hasMatch();
}

// A section and key the program could write and the writer keeps as they are.
bool IsWritable(const TKey& name) {
  return StripColourCodes(name.first) == name.first &&
         StripColourCodes(name.second) == name.second && IsProgramKey(name.second);
}

TKey Folded(const QString& section, const QString& key) {
  return {section.toLower(), key.trimmed().toLower()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QList<QByteArrayView> parts = fuzz::SplitDatagrams(data, size);
  const QByteArray file = parts.first().toByteArray();

  TIniDocument doc;
  doc.ParseText(file);
  fuzz::Check(doc.ToBytes() == file, "a file read and written back changed");

  // What every key holds before the writes.
  std::vector<std::pair<TKey, QString>> before;
  const QStringList sections = doc.Sections();
  for (const QString& section : sections)
    for (const QString& key : doc.ReadSection(section))
      before.push_back(
          {Folded(section, key), doc.ReadString(section, key, QStringLiteral("\x01"))});

  // The writes: to keys of the file, or to new names.
  QSet<TKey> written;
  std::vector<std::tuple<QString, QString, QString>> writes;
  TReader ops(parts.size() > 1 ? parts[1] : QByteArrayView());
  while (!ops.AtEnd() && writes.size() < 64) {
    const quint8 selector = ops.Byte();
    // Names are the program's own: a section never holds the header's closing bracket, and a
    // key starts with "[" only as a numbered key "[N]".
    QString section = Name(ops.Field()).replace(u']', u'_'), key = Name(ops.Field());
    if (!IsProgramKey(key)) key[0] = u'_';
    const QString value = QString::fromLatin1(ops.Field());
    // The program writes only names of its own making, never one with control characters.
    if ((selector & 1) && !before.empty() &&
        IsWritable(before[selector / 2 % before.size()].first)) {
      const TKey& existing = before[selector / 2 % before.size()].first;
      section = existing.first;
      key = existing.second;
    }
    doc.WriteString(section, key, value);
    written.insert(Folded(section, key));
    writes.emplace_back(section, key, value);
  }

  TIniDocument reread;
  reread.ParseText(doc.ToBytes());
  QHash<TKey, QString> last;
  // The writer keeps every line whole: colour codes go, other control characters become blanks.
  for (const auto& [section, key, value] : writes)
    last[Folded(section, key)] = StripColourCodes(value);
  for (const auto& [section, key, value] : writes) {
    const QString& expected = last[Folded(section, key)];
    const QString read = reread.ReadString(section, key, QStringLiteral("\x01"));
    if (read != expected) {
      std::fprintf(stderr, "[%s] %s: wrote '%s', read '%s'\nthe file written:\n%s\n",
                   qPrintable(section), qPrintable(key), qPrintable(expected), qPrintable(read),
                   doc.ToBytes().constData());
    }
    fuzz::Check(read == expected, "a written value did not read back");
  }
  for (const auto& [key, value] : before) {
    if (written.contains(key)) continue;
    if (reread.ReadString(key.first, key.second, QStringLiteral("\x01")) != value) {
      std::fprintf(stderr, "[%s] %s: was '%s'\n", qPrintable(key.first), qPrintable(key.second),
                   qPrintable(value));
      fuzz::Check(false, "a key nobody wrote changed");
    }
  }
  return 0;
}
