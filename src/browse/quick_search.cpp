// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/quick_search.h"

#include <QLatin1StringView>

#include "query/network_text.h"

namespace zorvane {
namespace {

bool Contains(QStringView haystack, QStringView folded) {
  if (haystack.contains(QChar(kColourCodeMark)))
    return PlainName(haystack.toString()).contains(folded, Qt::CaseInsensitive);
  return haystack.contains(folded, Qt::CaseInsensitive);
}

bool TextContains(const TServer& server, TServerText field, QStringView folded) {
  if (server.TextEmpty(field)) return false;
  const QByteArrayView latin1 = server.TextLatin1(field);
  // A value stored as UTF-8 has no Latin-1 view: read it as a string.
  if (latin1.isEmpty()) return Contains(server.Text(field), folded);
  if (latin1.contains(char(kColourCodeMark)))
    return PlainName(server.Text(field)).contains(folded, Qt::CaseInsensitive);
  return QLatin1StringView(latin1).contains(folded, Qt::CaseInsensitive);
}

}  // namespace

QString FoldSearchText(QStringView typed) {
  return typed.trimmed().toString().toCaseFolded();
}

bool MatchesQuickSearch(const TServer& server, QStringView folded) {
  if (folded.isEmpty()) return true;
  if (TextContains(server, TServerText::Description, folded)) return true;
  if (TextContains(server, TServerText::MapName, folded)) return true;
  for (int slot = 0; slot < kPlayerSlots; ++slot)
    if (server.PlayerInUse(slot) && Contains(server.PlayerText(slot, TPlayerField::Name), folded))
      return true;
  return false;
}

bool SearchNarrows(QStringView previous, QStringView next) {
  return next.contains(previous);
}

}  // namespace zorvane
