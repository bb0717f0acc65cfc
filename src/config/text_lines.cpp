// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/text_lines.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "config/file_bytes.h"
#include "query/network_text.h"

namespace zorvane {

namespace {

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

QString LineSafe(const QString& text) {
  const auto control = [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; };
  if (std::none_of(text.begin(), text.end(), control)) return text;
  return StripColourCodes(text);
}

}  // namespace

bool IsReadOnlyFile(const QString& path) {
  const QFileInfo info(path);
  constexpr auto kWritable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  return info.exists() && !(info.permissions() & kWritable);
}

TTextLines::TTextLines(QString path) : path_(std::move(path)) {}

TTextLoad TTextLines::Load() {
  loaded_ = false;
  lines_.clear();
  const QFileInfo info(path_);
  if (!info.exists()) return TTextLoad::Missing;
  // Checked before opening: opening a FIFO waits for a writer, and a device never ends.
  if (!info.isFile()) return TTextLoad::NotAFile;
  if (info.size() > kMaxFileSize) return TTextLoad::TooLarge;
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) return TTextLoad::Unreadable;
  const QByteArray bytes = ReadAtMost(file, kMaxFileSize);  // the file may have grown meanwhile
  if (file.error() != QFileDevice::NoError) return TTextLoad::Unreadable;
  if (bytes.size() > kMaxFileSize) return TTextLoad::TooLarge;
  if (bytes.contains('\0')) return TTextLoad::Binary;
  ParseBytes(bytes);
  loaded_ = true;
  return TTextLoad::Loaded;
}

void TTextLines::ParseBytes(const QByteArray& bytes) {
  lines_.clear();
  byteOrderMark_ = bytes.startsWith(kByteOrderMark);
  const QString text =
      QString::fromLatin1(byteOrderMark_ ? bytes.mid(kByteOrderMark.size()) : bytes);
  for (TSplitLine& line : SplitLines(text, lineEnd_))
    lines_.push_back(TLine{std::move(line.text), line.end});
}

QByteArray TTextLines::ToBytes() const {
  QString out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i].text;
    // The file's last line may lack an end; once something follows it, it ends like the rest.
    const bool last = i + 1 == lines_.size();
    out += LineEndText(lines_[i].end == TLineEnd::None && !last ? lineEnd_ : lines_[i].end);
  }
  return (byteOrderMark_ ? kByteOrderMark : QByteArray()) + out.toLatin1();
}

TTextSave TTextLines::Save() const {
  if (!loaded_) return TTextSave::NotLoaded;
  if (IsReadOnlyFile(path_)) return TTextSave::ReadOnly;
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return TTextSave::Failed;
  const QByteArray bytes = ToBytes();
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return TTextSave::Failed;
  }
  return file.commit() ? TTextSave::Saved : TTextSave::Failed;
}

QString TTextLines::AsStored(const QString& text) {
  return LineSafe(text);
}

void TTextLines::Insert(int index, const QString& text) {
  index = std::clamp(index, 0, Count());
  // A line added after a last line without an end takes over that lack.
  const bool endless = index == Count() && !lines_.empty() && lines_.back().end == TLineEnd::None;
  lines_.insert(lines_.begin() + index, TLine{LineSafe(text), endless ? TLineEnd::None : lineEnd_});
}

void TTextLines::Replace(int index, const QString& text) {
  if (index >= 0 && index < Count()) lines_[std::size_t(index)].text = LineSafe(text);
}

void TTextLines::Remove(int index) {
  if (index < 0 || index >= Count()) return;
  // Removing the last line of a file without a final line end leaves the new last line
  // without one too, as the file was.
  const bool lastWithoutEnd = index + 1 == Count() && lines_.back().end == TLineEnd::None;
  lines_.erase(lines_.begin() + index);
  if (lastWithoutEnd && !lines_.empty()) lines_.back().end = TLineEnd::None;
}

}  // namespace zorvane
