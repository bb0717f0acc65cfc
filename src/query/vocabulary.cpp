// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/vocabulary.h"

#include <array>

namespace zorvane {

namespace {

bool Same(QStringView a, QLatin1StringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

struct TVariant {
  const char* name;
  quint8 version;
  TQueryProtocol protocol;
};

constexpr std::array<TVariant, 6> kVariants{{
    {"UT", 0, TQueryProtocol::Text},
    {"UT2003 Demo", 120, TQueryProtocol::Binary},
    {"UT2003", 121, TQueryProtocol::Binary},
    {"Unreal 2 XMP", 126, TQueryProtocol::Binary},
    {"UT2004 Demo", 127, TQueryProtocol::Binary},
    {"UT2004", 128, TQueryProtocol::Binary},
}};

const TVariant* FindVariant(QStringView variant) {
  for (const auto& v : kVariants)
    if (Same(variant, QLatin1String(v.name))) return &v;
  return nullptr;
}

// Team values "0".."3" (exact digits) or the colour names, ignoring case; -1 otherwise.
int TeamNumber(QStringView team) {
  static constexpr const char* kColours[] = {"red", "blue", "green", "gold"};
  for (int i = 0; i < 4; ++i) {
    const char digit[] = {char('0' + i), 0};
    if (team == QLatin1String(digit) || Same(team, QLatin1String(kColours[i]))) return i;
  }
  return -1;
}

}  // namespace

quint8 GameQueryVersion(QStringView variant) {
  const TVariant* v = FindVariant(variant);
  return v ? v->version : 0;
}

TQueryProtocol QueryProtocolOf(QStringView variant) {
  const TVariant* v = FindVariant(variant);
  return v ? v->protocol : TQueryProtocol::None;
}

bool ParsesBinaryReplies(QStringView variant) {
  return QueryProtocolOf(variant) == TQueryProtocol::Binary &&
         !Same(variant, QLatin1String("Unreal 2 XMP"));
}

QString TeamColourName(QStringView team) {
  static constexpr const char* kColours[] = {"red", "blue", "green", "gold"};
  const int n = TeamNumber(team);
  return n < 0 ? QString() : QString::fromLatin1(kColours[n]);
}

QString TeamColourIndex(QStringView team) {
  const int n = TeamNumber(team);
  return n < 0 ? QStringLiteral("255") : QString::number(n);
}

QString DedicatedText(QStringView listenServer) {
  return Same(listenServer, QLatin1StringView("false")) ? QStringLiteral("dedicated")
                                      : QStringLiteral("non-dedicated");
}

QString StripRelicPrefixes(const QString& mutators) {
  QString out = mutators;
  out.remove(QLatin1String("Relic: "), Qt::CaseSensitive);
  out.remove(QLatin1String("Relic2b: "), Qt::CaseSensitive);
  return out;
}

QString RegionName(QStringView location) {
  static constexpr const char* kRegions[] = {
      "No Region Specified",       "Southeast US",
      "Western US",                "Midwest US",
      "Northwest US, West Canada", "Northeast US, East Canada",
      "United Kingdom",            "Continental Europe",
      "Central Asia, Middle East", "Southeast Asia, Pacific",
      "Africa",                    "Australia / NZ / Pacific",
      "Central, South America"};
  if (location.isEmpty() || Same(location, QLatin1StringView(kRegions[0])))
    return QString::fromLatin1(kRegions[0]);
  const bool digits = std::all_of(location.begin(), location.end(),
                                  [](QChar c) { return c >= u'0' && c <= u'9'; });
  if (!digits) return location.toString();
  // Long digit runs overflow any table index; they are simply no region.
  bool ok = false;
  const qulonglong code = location.toULongLong(&ok);
  if (!ok || code >= std::size(kRegions)) return QString::fromLatin1(kRegions[0]);
  return QString::fromLatin1(kRegions[code]);
}

QString StripAfterBackslash(const QString& text) {
  const qsizetype at = text.indexOf(u'\\');
  return at < 0 ? text : text.left(at);
}

QString AsciiLower(const QString& text) {
  QString out = text;
  for (QChar& c : out)
    if (c.unicode() >= 'A' && c.unicode() <= 'Z') c = QChar(c.unicode() + 32);
  return out;
}

bool ReadInteger(QStringView text, int& value) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (ok) value = v;
  return ok;
}

}  // namespace zorvane
