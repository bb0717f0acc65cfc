// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// An INI file held wholly in memory. Sections and keys compare ignoring case; a value is
// everything after the first "=". Lines that are not key/value pairs (comments, blank lines,
// junk) are kept as they stand, and so is each line's own end (CR LF, LF or a lone CR) and a
// leading UTF-8 byte-order mark, so a file that is read and written back changes only in the
// keys that were changed. The files are 8-bit text, read and written as Latin-1.
//
// A section that appears more than once reads as one: its copies' keys in file order, the
// first occurrence of a key winning. Writes never let a value, key or section name break its
// line: line breaks and other control characters become blanks, UT2004 colour codes are dropped.

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "config/line_ends.h"

namespace zorvane {

class TIniDocument {
 public:
  // An empty document bound to path; Load() reads the file.
  explicit TIniDocument(QString path = {});

  // Reads the file. A missing file reads as empty (true); an unreadable one gives false, and
  // so does anything but a regular file of at most kMaxFileSize bytes (LoadError says why),
  // which is not even opened: a FIFO or a device could feed it for ever.
  bool Load();
  // Load for a game's file, which also refuses one holding a zero byte: the games write 8-bit
  // text, so such a file is UTF-16 (or no INI file at all), and lines written into it as
  // 8-bit text would be garbage to the game.
  bool LoadText();
  // Why the last Load refused the file; empty when it did not or the cause is plain.
  const QString& LoadError() const { return loadError_; }
  // Writes the whole document back through a temporary file renamed over the old one, so a
  // crash or a full disk never leaves a half-written file. False when it could not be written,
  // and always after a failed Load: a file that could not be read is never written over.
  bool UpdateFile() const;
  void ParseText(const QByteArray& bytes);
  QByteArray ToBytes() const;

  const QString& Path() const { return path_; }

  static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

  // A section or key name as WriteString puts it into the file (no colour codes, control
  // characters blanked, blanks around it dropped): the name it is found by once read again.
  static QString NameAsWritten(const QString& name);

  QString ReadString(const QString& section, const QString& key, const QString& def) const;
  bool ReadBool(const QString& section, const QString& key, bool def) const;
  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, qint64 value);
  bool ValueExists(const QString& section, const QString& key) const;
  bool SectionExists(const QString& section) const;
  // Key names of a section in file order, repeated keys included.
  QStringList ReadSection(const QString& section) const;
  QStringList Sections() const;
  void EraseSection(const QString& section);
  void DeleteKey(const QString& section, const QString& key);

 private:
  // None only for the last line of a file that does not end in a line end.
  struct TLine {
    QString text;  // the line as it stands (pairs: rebuilt from prefix and value on change)
    qsizetype valueAt = -1;       // pairs: where the value starts (after the first "="), else -1
    QString key;                  // pairs: the key, trimmed
    TLineEnd end = TLineEnd::Lf;  // its own line end, kept as read
  };
  struct TSection {
    QString name;  // empty for the lines before the first section header
    bool hasHeader = false;
    TLine header;                // the header line as it stands
    std::vector<TLine> lines;    // the body up to its last non-blank line
    std::vector<TLine> trailer;  // blank lines after the body; new keys go before them
    QHash<QString, int> keys;    // lower-cased key -> first line holding it
    void Reindex();
    void SplitTrailer();
  };

  bool Load(bool textOnly);

  struct TKeyAt {
    int section = -1;
    int line = -1;
  };
  // The copies of a section in file order (empty when there is none).
  const std::vector<int>& Copies(const QString& name) const;
  // The first line holding key in any copy of section.
  TKeyAt FindKey(const QString& section, const QString& key) const;
  TSection& SectionForWrite(const QString& name);
  void ReindexSections();

  QString path_;
  QString loadError_;
  bool loadFailed_ = false;
  std::vector<TSection> sections_;
  QHash<QString, std::vector<int>> sectionIndex_;  // lower-cased name -> its copies in order
  TLineEnd lineEnd_ = TLineEnd::Lf;  // the line end of new lines: the file's first one
  bool byteOrderMark_ = false;
};

}  // namespace zorvane
