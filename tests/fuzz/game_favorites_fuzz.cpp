// SPDX-License-Identifier: GPL-2.0-or-later
// The games' favourites files: a file read as lines and written back is unchanged; deleting a
// UT2004 favourite removes its line and no other; rewriting the UT list without one entry
// keeps the others in order and leaves every other section's keys as they were.
//
// Input: the file.

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "config/game_favorites.h"
#include "config/ini_document.h"
#include "config/text_lines.h"
#include "fuzz_support.h"
#include "query/network_text.h"

using namespace zorvane;

namespace {

void CheckLines(const QByteArray& bytes) {
  TTextLines lines({});
  lines.ParseBytes(bytes);
  fuzz::Check(lines.ToBytes() == bytes, "lines read and written back changed");

  for (const TLineRange& range : UT2004ConsoleSections(lines))
    for (int i = range.first; i < range.end; ++i) {
      const auto favorite = ParseUT2004Favorite(lines.Line(i));
      if (!favorite) continue;
      TTextLines after({});
      after.ParseBytes(bytes);
      after.Remove(i);
      fuzz::Check(after.Count() == lines.Count() - 1, "a removal took more than its line");
      for (int j = 0; j < after.Count(); ++j)
        fuzz::Check(after.Line(j) == lines.Line(j < i ? j : j + 1), "another line changed");
      bool ok = false;
      const int port = favorite->port.toInt(&ok);
      if (ok && port > 0 && port < 65536) {
        const auto again = ParseUT2004Favorite(FormatUT2004Favorite(*favorite));
        fuzz::Check(again.has_value(), "a written favourite line did not read back");
      }
      return;
    }
}

void CheckUTList(const QByteArray& bytes) {
  TIniDocument before;
  before.ParseText(bytes);
  TIniDocument ini;
  ini.ParseText(bytes);
  const TUTFavoriteList list = ReadUTFavoriteList(ini);
  QStringList kept = list.values;
  if (!kept.isEmpty()) kept.removeFirst();
  WriteUTFavoriteList(ini, list, kept);

  TIniDocument reread;
  reread.ParseText(ini.ToBytes());
  const TUTFavoriteList after = ReadUTFavoriteList(reread);
  fuzz::Check(after.countReadable && after.count == kept.size(), "the count is not the list's");
  fuzz::Check(after.values.size() == kept.size(), "the list lost or gained entries");
  for (qsizetype i = 0; i < kept.size(); ++i)
    fuzz::Check(StripColourCodes(after.values[i]) == StripColourCodes(kept[i]),
                "an entry changed");
  const QString favorites = QLatin1StringView(kUTFavoritesSection);
  for (const QString& section : before.Sections()) {
    if (section.compare(favorites, Qt::CaseInsensitive) == 0) continue;
    for (const QString& key : before.ReadSection(section))
      fuzz::Check(reread.ReadString(section, key, QStringLiteral("\x01")) ==
                      before.ReadString(section, key, QString()),
                  "a key of another section changed");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  CheckLines(bytes);
  CheckUTList(bytes);
  return 0;
}
