// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A text file edited line by line. Every line keeps its own bytes and its own line end (CR LF,
// LF or a lone CR), and a leading UTF-8 byte-order mark stays, so the file written back differs
// only in the lines that were inserted, replaced or removed. The bytes are read and written as
// Latin-1, so any 8-bit name survives untouched.

#include <QString>
#include <vector>

#include "config/line_ends.h"

namespace zorvane {

enum class TTextLoad {
  Loaded,
  Missing,     // no such file
  NotAFile,    // a folder, a device or a FIFO: never opened
  TooLarge,    // over kMaxFileSize
  Binary,      // holds a zero byte: no text file of a game
  Unreadable,  // exists but could not be read
};

enum class TTextSave {
  Saved,
  ReadOnly,   // the file's mode has no write bit: left as it is, even for root
  NotLoaded,  // nothing was loaded from this path: a file that was not read is never written
  Failed,     // the temporary file could not be written or renamed over the old one
};

class TTextLines {
 public:
  explicit TTextLines(QString path);

  TTextLoad Load();
  // Writes the lines through a temporary file renamed over the old one.
  TTextSave Save() const;
  QByteArray ToBytes() const;
  void ParseBytes(const QByteArray& bytes);

  const QString& Path() const { return path_; }
  int Count() const { return int(lines_.size()); }
  const QString& Line(int index) const { return lines_[std::size_t(index)].text; }

  // New lines end like the file's first line. Control characters in text become blanks and
  // UT2004 colour codes are dropped, so no text can end its line or open another.
  void Insert(int index, const QString& text);
  void Append(const QString& text) { Insert(Count(), text); }
  void Replace(int index, const QString& text);
  void Remove(int index);
  // The text as Insert and Replace store it, to compare with the lines a file holds.
  static QString AsStored(const QString& text);

  static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

 private:
  struct TLine {
    QString text;
    TLineEnd end = TLineEnd::Lf;
  };

  QString path_;
  std::vector<TLine> lines_;
  TLineEnd lineEnd_ = TLineEnd::Lf;  // the end of new lines: the file's first one
  bool byteOrderMark_ = false;
  bool loaded_ = false;
};

// Whether path names an existing file whose mode has no write bit for anyone.
bool IsReadOnlyFile(const QString& path);

}  // namespace zorvane
