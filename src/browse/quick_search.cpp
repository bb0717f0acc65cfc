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

// A stored text, read in place when it is Latin-1 (nearly always); `wide` gives the text
// stored as UTF-8, which has no Latin-1 view.
template <typename TWide>
bool StoredContains(QByteArrayView latin1, const TWide& wide, QStringView folded) {
  if (latin1.isEmpty()) return Contains(wide(), folded);
  if (latin1.contains(char(kColourCodeMark)))
    return QLatin1StringView(StripColourCodes(latin1)).contains(folded, Qt::CaseInsensitive);
  return QLatin1StringView(latin1).contains(folded, Qt::CaseInsensitive);
}

bool TextContains(const TServer& server, TServerText field, QStringView folded) {
  if (server.TextEmpty(field)) return false;
  return StoredContains(server.TextLatin1(field), [&] { return server.Text(field); }, folded);
}

}  // namespace

QString FoldSearchText(QStringView typed) {
  return typed.trimmed().toString().toCaseFolded();
}

bool MatchesQuickSearch(const TServer& server, QStringView folded) {
  if (folded.isEmpty()) return true;
  if (TextContains(server, TServerText::Description, folded)) return true;
  if (TextContains(server, TServerText::MapName, folded)) return true;
  for (int slot = 0; slot < kPlayerSlots; ++slot) {
    if (!server.PlayerInUse(slot)) continue;
    const auto name = [&] { return server.PlayerText(slot, TPlayerField::Name); };
    if (StoredContains(server.PlayerTextLatin1(slot, TPlayerField::Name), name, folded))
      return true;
  }
  return false;
}

bool SearchNarrows(QStringView previous, QStringView next) {
  return next.contains(previous);
}

}  // namespace zorvane
