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
  const int section = FindBuddySection(lines);
  if (section < 0) return TBuddyInsert::NoBuddyLine;
  const QString line = kKey + player;
  int firstBuddy = -1;
  for (int i = section; i < lines.Count(); ++i) {
    if (lines.Line(i).compare(line, Qt::CaseInsensitive) == 0) return TBuddyInsert::AlreadyListed;
    if (firstBuddy < 0 && IsBuddyLine(lines.Line(i))) firstBuddy = i;
  }
  if (firstBuddy < 0) return TBuddyInsert::NoBuddyLine;
  lines.Insert(firstBuddy, line);
  return TBuddyInsert::Inserted;
}

}  // namespace zorvane
