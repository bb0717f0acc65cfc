// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/buddy_list.h"

#include "config/text_lines.h"

namespace zorvane {

namespace {

const QLatin1StringView kHeader(kBuddySectionHeader);
const QLatin1StringView kKey(kBuddyKey);

bool IsBuddyLine(const QString& line) {
  return QStringView(line).left(kKey.size()).compare(kKey, Qt::CaseInsensitive) == 0;
}

bool IsSectionHeader(const QString& line) {
  const QString trimmed = line.trimmed();
  return trimmed.startsWith(u'[') && trimmed.endsWith(u']');
}

}  // namespace

int FindBuddySection(const TTextLines& lines) {
  for (int i = 0; i < lines.Count(); ++i)
    if (QStringView(lines.Line(i)).left(kHeader.size()).compare(kHeader, Qt::CaseInsensitive) == 0)
      return i;
  return -1;
}

QStringList ReadBuddies(const TTextLines& lines) {
  QStringList names;
  const int section = FindBuddySection(lines);
  if (section < 0) return names;
  for (int i = section + 1; i < lines.Count() && !lines.Line(i).isEmpty(); ++i) {
    if (!IsBuddyLine(lines.Line(i))) continue;
    const QString name = lines.Line(i).mid(kKey.size());
    if (!name.isEmpty()) names.append(name);
  }
  return names;
}

TBuddyInsert InsertBuddy(TTextLines& lines, const QString& player) {
  // Compared as it will be written: a name with a colour code or a control character loses
  // them on the way into the file.
  const QString line = TTextLines::AsStored(kKey + player);
  const int section = FindBuddySection(lines);
  if (section < 0) {
    if (lines.Count() > 0 && !lines.Line(lines.Count() - 1).trimmed().isEmpty())
      lines.Append(QString());
    lines.Append(kHeader);
    lines.Append(line);
    return TBuddyInsert::Inserted;
  }
  int at = -1;
  bool inSection = true;
  for (int i = section; i < lines.Count(); ++i) {
    if (lines.Line(i).compare(line, Qt::CaseInsensitive) == 0) return TBuddyInsert::AlreadyListed;
    inSection = inSection && (i == section || !IsSectionHeader(lines.Line(i)));
    if (at < 0 && inSection && IsBuddyLine(lines.Line(i))) at = i;
  }
  lines.Insert(at < 0 ? section + 1 : at, line);
  return TBuddyInsert::Inserted;
}

}  // namespace zorvane
