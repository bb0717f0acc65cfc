#include "app/ini_document.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zorvane {

namespace {

QString Folded(const QString& text) { return text.toLower(); }

bool IsBlank(const QString& line) { return line.trimmed().isEmpty(); }

}  // namespace

void TIniDocument::TSection::Reindex() {
  keys.clear();
  // Backwards, so the first occurrence of a repeated key is the one found.
  for (int i = int(lines.size()) - 1; i >= 0; --i)
    if (lines[i].valueAt >= 0) keys.insert(Folded(lines[i].key), i);
}

void TIniDocument::TSection::SplitTrailer() {
  while (!lines.empty() && lines.back().valueAt < 0 && IsBlank(lines.back().text)) {
    trailer.insert(trailer.begin(), std::move(lines.back()));
    lines.pop_back();
  }
}

TIniDocument::TIniDocument(QString path) : path_(std::move(path)) { ParseText({}); }

bool TIniDocument::Load() {
  QFile file(path_);
  if (!file.exists()) {
    ParseText({});
    return true;
  }
  if (QFileInfo(path_).isDir() || !file.open(QIODevice::ReadOnly)) return false;
  ParseText(file.readAll());
  return file.error() == QFileDevice::NoError;
}

void TIniDocument::ParseText(const QByteArray& bytes) {
  sections_.clear();
  sections_.push_back({});
  crlf_ = false;
  finalLineEnd_ = true;
  if (bytes.isEmpty()) {
    ReindexSections();
    return;
  }
  const qsizetype firstBreak = bytes.indexOf('\n');
  crlf_ = firstBreak > 0 && bytes[firstBreak - 1] == '\r';
  finalLineEnd_ = bytes.endsWith('\n');

  const QString text = QString::fromLatin1(bytes);
  qsizetype from = 0;
  while (from < text.size()) {
    qsizetype end = text.indexOf(u'\n', from);
    if (end < 0) end = text.size();
    QString line = text.mid(from, end - from);
    const bool crlf = end < text.size() && line.endsWith(u'\r');
    if (crlf) line.chop(1);
    from = end + 1;

    const QString trimmed = line.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
      TSection section;
      section.name = trimmed.mid(1, trimmed.size() - 2).trimmed();
      section.hasHeader = true;
      section.header = {line, -1, {}, crlf};
      sections_.push_back(std::move(section));
      continue;
    }
    TLine entry{line, -1, {}, crlf};
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
    if (previous) out += previous->crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    out += line.text;
    previous = &line;
  };
  for (const auto& section : sections_) {
    if (section.hasHeader) append(section.header);
    for (const auto& line : section.lines) append(line);
    for (const auto& line : section.trailer) append(line);
  }
  if (previous && finalLineEnd_) out += previous->crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
  return out.toLatin1();
}

bool TIniDocument::UpdateFile() const {
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
  for (int i = int(sections_.size()) - 1; i >= 1; --i)
    sectionIndex_.insert(Folded(sections_[i].name), i);
}

const TIniDocument::TSection* TIniDocument::FindSection(const QString& name) const {
  const int at = sectionIndex_.value(Folded(name.trimmed()), -1);
  return at < 0 ? nullptr : &sections_[at];
}

TIniDocument::TSection* TIniDocument::FindSection(const QString& name) {
  const int at = sectionIndex_.value(Folded(name.trimmed()), -1);
  return at < 0 ? nullptr : &sections_[at];
}

TIniDocument::TSection& TIniDocument::SectionForWrite(const QString& name) {
  if (TSection* found = FindSection(name)) return *found;
  // A blank line between the last section and the new one, as the files are laid out.
  TSection& last = sections_.back();
  if ((last.hasHeader || !last.lines.empty()) && last.trailer.empty())
    last.trailer.push_back({{}, -1, {}, crlf_});
  TSection section;
  section.name = name.trimmed();
  section.hasHeader = true;
  section.header = {u'[' + section.name + u']', -1, {}, crlf_};
  sections_.push_back(std::move(section));
  ReindexSections();
  return sections_.back();
}

QString TIniDocument::ReadString(const QString& section, const QString& key,
                                 const QString& def) const {
  const TSection* s = FindSection(section);
  if (!s) return def;
  const int at = s->keys.value(Folded(key.trimmed()), -1);
  if (at < 0) return def;
  const TLine& line = s->lines[at];
  return line.text.mid(line.valueAt);
}

bool TIniDocument::ReadBool(const QString& section, const QString& key, bool def) const {
  bool ok = false;
  const int value = ReadString(section, key, QString()).trimmed().toInt(&ok);
  return ok ? value != 0 : def;
}

void TIniDocument::WriteString(const QString& section, const QString& key, const QString& value) {
  TSection& s = SectionForWrite(section);
  const int at = s.keys.value(Folded(key.trimmed()), -1);
  if (at >= 0) {
    TLine& line = s.lines[at];
    line.text = line.text.left(line.valueAt) + value;
    return;
  }
  const QString name = key.trimmed();
  s.lines.push_back(TLine{name + u'=' + value, name.size() + 1, name, crlf_});
  s.keys.insert(Folded(name), int(s.lines.size()) - 1);
}

void TIniDocument::WriteInteger(const QString& section, const QString& key, qint64 value) {
  WriteString(section, key, QString::number(value));
}

bool TIniDocument::ValueExists(const QString& section, const QString& key) const {
  const TSection* s = FindSection(section);
  return s && s->keys.contains(Folded(key.trimmed()));
}

bool TIniDocument::SectionExists(const QString& section) const {
  return FindSection(section) != nullptr;
}

QStringList TIniDocument::ReadSection(const QString& section) const {
  QStringList names;
  const TSection* s = FindSection(section);
  if (!s) return names;
  for (const TLine& line : s->lines)
    if (line.valueAt >= 0) names << line.key;
  return names;
}

QStringList TIniDocument::Sections() const {
  QStringList names;
  for (int i = 1; i < int(sections_.size()); ++i)
    if (sectionIndex_.value(Folded(sections_[i].name)) == i) names << sections_[i].name;
  return names;
}

void TIniDocument::EraseSection(const QString& section) {
  const QString folded = Folded(section.trimmed());
  bool erased = false;
  for (int i = int(sections_.size()) - 1; i >= 1; --i) {
    if (Folded(sections_[i].name) != folded) continue;
    sections_.erase(sections_.begin() + i);
    erased = true;
  }
  if (erased) ReindexSections();
}

void TIniDocument::DeleteKey(const QString& section, const QString& key) {
  TSection* s = FindSection(section);
  if (!s) return;
  const QString folded = Folded(key.trimmed());
  const auto before = s->lines.size();
  std::erase_if(s->lines, [&](const TLine& l) { return l.valueAt >= 0 && Folded(l.key) == folded; });
  if (s->lines.size() != before) s->Reindex();
}

}  // namespace zorvane
