// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/ini_document.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <iterator>

#include "config/file_bytes.h"
#include "query/network_text.h"

namespace zorvane {

namespace {

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

QString Folded(const QString& text) {
  return text.toLower();
}

bool IsBlank(const QString& line) {
  return line.trimmed().isEmpty();
}

bool IsControl(QChar c) {
  return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// What a write puts into a line: UT2004 colour codes dropped whole, every other control
// character made a blank, so that no text, wherever it came from, can end its line or open
// another.
QString LineSafe(const QString& text) {
  if (std::none_of(text.begin(), text.end(), IsControl)) return text;
  return StripColourCodes(text);
}

// "[name]", unless it is an indexed key whose value happens to end in "]" ("[0]=a|b|c]").
bool IsSectionHeader(const QString& trimmed) {
  if (trimmed.size() < 2 || !trimmed.startsWith(u'[') || !trimmed.endsWith(u']')) return false;
  const qsizetype close = trimmed.indexOf(u']');
  if (close == trimmed.size() - 1) return true;
  qsizetype next = close + 1;
  while (next < trimmed.size() && trimmed[next].isSpace()) ++next;
  return trimmed[next] != u'=';
}

}  // namespace

void TIniDocument::TSection::Reindex() {
  keys.clear();
  // Backwards, so the first occurrence of a repeated key is the one found.
  for (int i = int(lines.size()) - 1; i >= 0; --i)
    if (lines[i].valueAt >= 0) keys.insert(Folded(lines[i].key), i);
}

void TIniDocument::TSection::SplitTrailer() {
  // Moved in one go: a file of a million blank lines must not cost a million inserts at the
  // front.
  auto body = lines.end();
  while (body != lines.begin() && std::prev(body)->valueAt < 0 && IsBlank(std::prev(body)->text))
    --body;
  trailer.insert(trailer.begin(), std::make_move_iterator(body),
                 std::make_move_iterator(lines.end()));
  lines.erase(body, lines.end());
}

QString TIniDocument::NameAsWritten(const QString& name) {
  return LineSafe(name).trimmed();
}

TIniDocument::TIniDocument(QString path) : path_(std::move(path)) {
  ParseText({});
}

bool TIniDocument::Load() {
  return Load(false);
}

bool TIniDocument::LoadText() {
  return Load(true);
}

bool TIniDocument::Load(bool textOnly) {
  loadError_.clear();
  loadFailed_ = true;
  const QFileInfo info(path_);
  if (!info.exists()) {
    ParseText({});
    loadFailed_ = false;
    return true;
  }
  if (info.isDir()) return false;
  // Checked before opening: opening a FIFO waits for a writer, and a device never ends.
  if (!info.isFile()) {
    loadError_ = QStringLiteral("it is not a regular file");
    return false;
  }
  const QString tooLarge = QStringLiteral("the file is larger than 16 MiB");
  if (info.size() > kMaxFileSize) {
    loadError_ = tooLarge;
    return false;
  }
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = ReadAtMost(file, kMaxFileSize);  // the file may have grown meanwhile
  if (file.error() != QFileDevice::NoError) return false;
  if (bytes.size() > kMaxFileSize) {
    loadError_ = tooLarge;
    return false;
  }
  if (textOnly && bytes.contains('\0')) {
    loadError_ = QStringLiteral("it is not 8-bit text");
    return false;
  }
  ParseText(bytes);
  loadFailed_ = false;
  return true;
}

void TIniDocument::ParseText(const QByteArray& bytes) {
  sections_.clear();
  sections_.push_back({});
  byteOrderMark_ = bytes.startsWith(kByteOrderMark);
  const QString text =
      QString::fromLatin1(byteOrderMark_ ? bytes.mid(kByteOrderMark.size()) : bytes);
  for (TSplitLine& split : SplitLines(text, lineEnd_)) {
    const QString line = std::move(split.text);
    const TLineEnd lineEnd = split.end;
    const QString trimmed = line.trimmed();
    if (IsSectionHeader(trimmed)) {
      TSection section;
      section.name = trimmed.mid(1, trimmed.size() - 2).trimmed();
      section.hasHeader = true;
      section.header = {line, -1, {}, lineEnd};
      sections_.push_back(std::move(section));
      continue;
    }
    TLine entry{line, -1, {}, lineEnd};
    const qsizetype equals = line.indexOf(u'=');
    const bool comment = trimmed.startsWith(u';') || trimmed.startsWith(u'#');
    if (equals > 0 && !comment) {
      const QString key = line.left(equals).trimmed();
      if (!key.isEmpty()) {
        entry.key = key;
        entry.valueAt = equals + 1;
      }
    }
    sections_.back().lines.push_back(std::move(entry));
  }
  for (auto& s : sections_) {
    s.SplitTrailer();
    s.Reindex();
  }
  ReindexSections();
}

QByteArray TIniDocument::ToBytes() const {
  QString out;
  const TLine* previous = nullptr;
  const auto append = [&](const TLine& line) {
    // A line that was the file's last one ends like the others once something follows it.
    if (previous) out += LineEndText(previous->end == TLineEnd::None ? lineEnd_ : previous->end);
    out += line.text;
    previous = &line;
  };
  for (const auto& section : sections_) {
    if (section.hasHeader) append(section.header);
    for (const auto& line : section.lines) append(line);
    for (const auto& line : section.trailer) append(line);
  }
  if (previous) out += LineEndText(previous->end);
  return (byteOrderMark_ ? kByteOrderMark : QByteArray()) + out.toLatin1();
}

bool TIniDocument::UpdateFile() const {
  if (loadFailed_) return false;
  // A file the user marked read-only stays as it is, even for root.
  const QFileInfo info(path_);
  constexpr auto kWritable =
      QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;  // mode bits, not access()
  if (info.exists() && !(info.permissions() & kWritable)) return false;
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = ToBytes();
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

void TIniDocument::ReindexSections() {
  sectionIndex_.clear();
  for (int i = 1; i < int(sections_.size()); ++i)
    sectionIndex_[Folded(sections_[i].name)].push_back(i);
}

const std::vector<int>& TIniDocument::Copies(const QString& name) const {
  static const std::vector<int> kNone;
  const auto it = sectionIndex_.constFind(Folded(name.trimmed()));
  return it == sectionIndex_.cend() ? kNone : *it;
}

TIniDocument::TKeyAt TIniDocument::FindKey(const QString& section, const QString& key) const {
  const QString folded = Folded(key.trimmed());
  for (const int copy : Copies(section)) {
    const int at = sections_[copy].keys.value(folded, -1);
    if (at >= 0) return {copy, at};
  }
  return {};
}

TIniDocument::TSection& TIniDocument::SectionForWrite(const QString& name) {
  const QString safeName = LineSafe(name).trimmed();
  if (const auto& copies = Copies(safeName); !copies.empty()) return sections_[copies.front()];
  // A blank line between the last section and the new one, as the files are laid out.
  TSection& last = sections_.back();
  if ((last.hasHeader || !last.lines.empty()) && last.trailer.empty())
    last.trailer.push_back({{}, -1, {}, lineEnd_});
  TSection section;
  section.name = safeName;
  section.hasHeader = true;
  section.header = {u'[' + section.name + u']', -1, {}, lineEnd_};
  sections_.push_back(std::move(section));
  ReindexSections();
  return sections_.back();
}

QString TIniDocument::ReadString(const QString& section, const QString& key,
                                 const QString& def) const {
  const TKeyAt at = FindKey(section, key);
  if (at.section < 0) return def;
  const TLine& line = sections_[at.section].lines[at.line];
  return line.text.mid(line.valueAt);
}

bool TIniDocument::ReadBool(const QString& section, const QString& key, bool def) const {
  bool ok = false;
  const int value = ReadString(section, key, QString()).trimmed().toInt(&ok);
  return ok ? value != 0 : def;
}

void TIniDocument::WriteString(const QString& section, const QString& key, const QString& value) {
  const QString safeKey = LineSafe(key).trimmed();
  const QString safeValue = LineSafe(value);
  const TKeyAt at = FindKey(LineSafe(section), safeKey);
  if (at.section >= 0) {
    TLine& line = sections_[at.section].lines[at.line];
    line.text = line.text.left(line.valueAt) + safeValue;
    return;
  }
  TSection& s = SectionForWrite(section);
  s.lines.push_back(TLine{safeKey + u'=' + safeValue, safeKey.size() + 1, safeKey, lineEnd_});
  s.keys.insert(Folded(safeKey), int(s.lines.size()) - 1);
}

void TIniDocument::WriteInteger(const QString& section, const QString& key, qint64 value) {
  WriteString(section, key, QString::number(value));
}

bool TIniDocument::ValueExists(const QString& section, const QString& key) const {
  return FindKey(section, key).section >= 0;
}

bool TIniDocument::SectionExists(const QString& section) const {
  return !Copies(section).empty();
}

QStringList TIniDocument::ReadSection(const QString& section) const {
  QStringList names;
  for (const int copy : Copies(section))
    for (const TLine& line : sections_[copy].lines)
      if (line.valueAt >= 0) names << line.key;
  return names;
}

QStringList TIniDocument::Sections() const {
  QStringList names;
  for (int i = 1; i < int(sections_.size()); ++i)
    if (Copies(sections_[i].name).front() == i) names << sections_[i].name;
  return names;
}

void TIniDocument::EraseSection(const QString& section) {
  const std::vector<int> copies = Copies(section);
  for (auto it = copies.rbegin(); it != copies.rend(); ++it)
    sections_.erase(sections_.begin() + *it);
  if (!copies.empty()) ReindexSections();
}

void TIniDocument::DeleteKey(const QString& section, const QString& key) {
  const QString folded = Folded(key.trimmed());
  for (const int copy : Copies(section)) {
    TSection& s = sections_[copy];
    const auto before = s.lines.size();
    std::erase_if(s.lines,
                  [&](const TLine& l) { return l.valueAt >= 0 && Folded(l.key) == folded; });
    if (s.lines.size() != before) s.Reindex();
  }
}

}  // namespace zorvane
