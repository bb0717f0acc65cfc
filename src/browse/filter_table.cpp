// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/filter_table.h"

#include <string_view>

#include "browse/filter_match.h"
#include "browse/game_variant_list.h"
#include "query/vocabulary.h"

namespace zorvane {
namespace {

constexpr bool NamesAgree() {
  for (int i = 0; i < kFilterCount; ++i)
    if (std::string_view(kFilterTable[i].name) != std::string_view(kFilterNames[i])) return false;
  return true;
}
// The stored keys and the table must never drift apart.
static_assert(NamesAgree());

QStringList Strings(std::initializer_list<const char*> texts) {
  QStringList out{QString::fromLatin1(kAllItem)};
  for (const char* t : texts) out << QString::fromLatin1(t);
  return out;
}

constexpr int kRegionCount = 13;

}  // namespace

QStringList FilterItems(int index) {
  switch (index) {
    case 0: {
      QStringList out;
      FillGameVariantList(out, kVariantAll);
      return out;
    }
    case 1:
      return Strings({"novice", "average", "experienced", "skilled", "adept", "masterful",
                      "inhuman", "godlike"});
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
      return Strings({"True", "False"});
    case 7:
      return Strings({"0", "> 0", "1", "2", "3", "4", "1 - 5", "5 - 10", "10 - 20", "1 - 20",
                      "5 - 20", ">= 20"});
    case 8:
      return Strings({"2", "2 - 8", "8 - 16", "2 - 16", "> 2", ">= 8", ">= 16"});
    case 9:
      return Strings({"1", "<= 1", ">= 1"});
    case 10:
      return Strings({"0.35", "<= 0.35", ">= 0.35"});
    case 11:
      return Strings({"1", "2", "3", "4", "5", "> 1", "> 2", "> 3", "> 4", "> 5"});
    case 12:
      return Strings({"2", "3", "4", "> 2", "< 4"});
    case 13:
      return Strings({"0%", "100%", "> 0%", "<= 50%", ">= 50%"});
    case 14: {
      QStringList out = Strings({});
      for (int code = 0; code < kRegionCount; ++code) out << RegionName(QString::number(code));
      return out;
    }
    default:
      return {};
  }
}

QString FilterItemFor(int index, const QString& value) {
  for (const QString& item : FilterItems(index))
    if (AsciiEqualsIgnoreCase(item, value)) return item;
  return QString::fromLatin1(kAllItem);
}

int FilterIndexOf(QStringView name) {
  for (int i = 0; i < kFilterCount; ++i)
    if (AsciiEqualsIgnoreCase(QString::fromLatin1(kFilterNames[i]), name)) return i;
  return -1;
}

}  // namespace zorvane
