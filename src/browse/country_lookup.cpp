// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/country_lookup.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstdarg>
#include <cstdio>
#include <cstring>

// libloc's headers other than libloc.h declare their functions without C linkage.
extern "C" {
#include <libloc/database.h>
#include <libloc/libloc.h>
#include <libloc/network.h>
}

namespace zorvane {

namespace {

// The file starts with "LOCDBXX", a version byte (1) and the version-1 header: a 64-bit
// stamp, three string references, then (offset, length) pairs of the sections (ASes, networks,
// network tree, countries, string pool) and the two signature lengths, all big-endian. libloc
// opens some files that hold no database (a bare magic, or no network tree), and it maps the
// sections by the header's word: the header is checked against the file here first.
constexpr char kMagic[] = "LOCDBXX";
constexpr qint64 kMagicSize = 8;
constexpr qint64 kHeaderSize = 4200;
constexpr int kSectionsAt = 20;  // within the header
constexpr int kSectionCount = 5;
constexpr int kTreeSection = 2;
constexpr int kTreeNodeSize = 12;
constexpr unsigned kMaxSignature = 2048;

QString CheckDatabaseFile(const QString& path) {
  const QFileInfo info(path);
  // Checked before opening: opening a FIFO waits for a writer, and a device never ends.
  if (info.exists() && !info.isFile()) return QStringLiteral("is not a regular file");
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("cannot be opened");
  const qint64 size = file.size();
  const QByteArray head = file.read(kMagicSize + kHeaderSize);
  if (head.size() < kMagicSize || std::memcmp(head.constData(), kMagic, 7) != 0)
    return QStringLiteral("is no location database");
  if (head[7] != 1) return QStringLiteral("has an unknown version");
  if (head.size() < kMagicSize + kHeaderSize) return QStringLiteral("is truncated");
  const auto* header = reinterpret_cast<const uchar*>(head.constData()) + kMagicSize;
  for (int i = 0; i < kSectionCount; ++i) {
    const quint64 offset = qFromBigEndian<quint32>(header + kSectionsAt + 8 * i);
    const quint64 length = qFromBigEndian<quint32>(header + kSectionsAt + 8 * i + 4);
    if (offset + length > quint64(size)) return QStringLiteral("is truncated");
    if (i == kTreeSection && length < kTreeNodeSize) return QStringLiteral("has no networks");
  }
  const int signaturesAt = kSectionsAt + 8 * kSectionCount;
  if (qFromBigEndian<quint16>(header + signaturesAt) > kMaxSignature ||
      qFromBigEndian<quint16>(header + signaturesAt + 2) > kMaxSignature)
    return QStringLiteral("is damaged");
  return {};
}

struct TNetworkRelease {
  void operator()(loc_network* network) const { loc_network_unref(network); }
};

void SilentLog(loc_ctx*, int, const char*, int, const char*, const char*, va_list) {}

std::uint16_t PackCode(const char* code) {
  if (!code) return 0;
  const auto letter = [](char c) { return c >= 'A' && c <= 'Z'; };
  if (!letter(code[0]) || !letter(code[1]) || code[2] != '\0') return 0;
  return std::uint16_t(std::uint8_t(code[0]) << 8 | std::uint8_t(code[1]));
}

QString UnpackCode(std::uint16_t packed) {
  if (packed == 0) return {};
  const char code[2] = {char(packed >> 8), char(packed & 0xff)};
  return QString::fromLatin1(code, 2);
}

}  // namespace

QString DefaultLocationDatabase() {
  const QString chosen = qEnvironmentVariable(kLocationDatabaseVariable);
  return chosen.isEmpty() ? QString::fromLatin1(kDebianLocationDatabase) : chosen;
}

std::optional<std::uint32_t> ParseIPv4(QStringView text) {
  std::uint32_t address = 0;
  int parts = 0;
  qsizetype i = 0;
  while (parts < 4) {
    const qsizetype start = i;
    unsigned part = 0;
    while (i < text.size() && i - start < 3 && text[i] >= u'0' && text[i] <= u'9')
      part = part * 10 + unsigned(text[i++].unicode() - u'0');
    const qsizetype digits = i - start;
    if (digits == 0 || part > 255 || (digits > 1 && text[start] == u'0')) return std::nullopt;
    address = address << 8 | part;
    if (++parts < 4) {
      if (i >= text.size() || text[i] != u'.') return std::nullopt;
      ++i;
    }
  }
  if (i != text.size()) return std::nullopt;
  return address;
}

void TCountryLookup::TContextRelease::operator()(loc_ctx* ctx) const {
  loc_unref(ctx);
}
void TCountryLookup::TDatabaseRelease::operator()(loc_database* db) const {
  loc_database_unref(db);
}

TCountryLookup::TCountryLookup(const QString& databasePath) {
  if (const QString why = Open(databasePath); !why.isEmpty())
    problem_ =
        QStringLiteral("No country flags: the location database ") + databasePath + u' ' + why;
}

QString TCountryLookup::Open(const QString& path) {
  if (QString why = CheckDatabaseFile(path); !why.isEmpty()) return why;
  loc_ctx* ctx = nullptr;
  if (loc_new(&ctx) != 0 || !ctx) return QStringLiteral("cannot be read");
  context_.reset(ctx);
  loc_set_log_fn(ctx, SilentLog);
  FILE* f = std::fopen(QFile::encodeName(path).constData(), "r");
  if (!f) return QStringLiteral("cannot be opened");
  loc_database* db = nullptr;
  const int r = loc_database_new(ctx, &db, f);  // keeps a copy of the descriptor
  std::fclose(f);
  if (r != 0 || !db) return QStringLiteral("cannot be read");
  database_.reset(db);
  return {};
}

TCountryLookup::~TCountryLookup() = default;

std::uint16_t TCountryLookup::LookUpPacked(std::uint32_t address) const {
  if (!database_) return 0;
  // libloc keeps IPv4 networks as IPv4-mapped IPv6 addresses (::ffff:a.b.c.d).
  in6_addr mapped{};
  mapped.s6_addr[10] = 0xff;
  mapped.s6_addr[11] = 0xff;
  for (int i = 0; i < 4; ++i) mapped.s6_addr[12 + i] = std::uint8_t(address >> (24 - 8 * i));
  loc_network* network = nullptr;
  const int failed = loc_database_lookup(database_.get(), &mapped, &network);
  // A damaged record fails the look-up half way, with its network already made.
  const std::unique_ptr<loc_network, TNetworkRelease> owned(network);
  if (failed != 0 || !network) return 0;
  return PackCode(loc_network_get_country_code(network));
}

QString TCountryLookup::LookUp(std::uint32_t address) const {
  return UnpackCode(LookUpPacked(address));
}

QString TCountryLookup::CountryOf(QStringView address) {
  if (!database_) return {};
  const std::optional<std::uint32_t> parsed = ParseIPv4(address);
  if (!parsed) return {};
  auto it = answers_.constFind(*parsed);
  if (it == answers_.cend()) it = answers_.insert(*parsed, LookUpPacked(*parsed));
  return UnpackCode(*it);
}

}  // namespace zorvane
