#pragma once
// An INI file held wholly in memory. Sections and keys compare ignoring case; a value is
// everything after the first "=". Lines that are not key/value pairs (comments, blank lines,
// junk) are kept as they stand, and so is the file's line end (CRLF or LF), so a file that is
// read and written back changes only in the keys that were changed. The files are 8-bit text,
// read and written as Latin-1.

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace zorvane {

class TIniDocument {
 public:
  // An empty document bound to path; Load() reads the file.
  explicit TIniDocument(QString path = {});

  // Reads the file. A missing file reads as empty (true); an unreadable one gives false.
  bool Load();
  // Writes the whole document back through a temporary file renamed over the old one, so a
  // crash or a full disk never leaves a half-written file. False when it could not be written.
  bool UpdateFile() const;
  void ParseText(const QByteArray& bytes);
  QByteArray ToBytes() const;

  const QString& Path() const { return path_; }

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
  struct TLine {
    QString text;    // the line as it stands (pairs: rebuilt from prefix and value on change)
    qsizetype valueAt = -1;  // pairs: where the value starts (after the first "="), else -1
    QString key;             // pairs: the key, trimmed
    bool crlf = false;       // its own line end, kept as read
  };
  struct TSection {
    QString name;  // empty for the lines before the first section header
    bool hasHeader = false;
    TLine header;               // the header line as it stands
    std::vector<TLine> lines;   // the body up to its last non-blank line
    std::vector<TLine> trailer; // blank lines after the body; new keys go before them
    QHash<QString, int> keys;   // lower-cased key -> first line holding it
    void Reindex();
    void SplitTrailer();
  };

  const TSection* FindSection(const QString& name) const;
  TSection* FindSection(const QString& name);
  TSection& SectionForWrite(const QString& name);
  void ReindexSections();

  QString path_;
  std::vector<TSection> sections_;
  QHash<QString, int> sectionIndex_;  // lower-cased name -> first section of that name
  bool crlf_ = false;  // the line end of new lines: the file's first one
  bool finalLineEnd_ = true;
};

}  // namespace zorvane
