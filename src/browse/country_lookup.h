// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The country of a server's address, from an IP location database (libloc's format) read
// offline. One per window: the database is opened once, and every address is looked up at
// most once (the answers are kept), so building rows again costs a hash look-up.
//
// A missing, truncated or foreign database file leaves the object without one: every address
// then has no country, and OpenProblem() says why.

#include <QHash>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <optional>

struct loc_ctx;
struct loc_database;

namespace zorvane {

inline constexpr const char* kDebianLocationDatabase = "/usr/share/libloc-location/location.db";
// Names another database file (a small one for tests and trials).
inline constexpr const char* kLocationDatabaseVariable = "ZORVANE_LOCATION_DB";

// The database the program reads: $ZORVANE_LOCATION_DB when set, else Debian's.
QString DefaultLocationDatabase();

// The address of dotted IPv4 text ("1.2.3.4": four decimal parts of 0..255, no blanks, no
// leading zeros, no port), as a host-order number; nothing for anything else.
std::optional<std::uint32_t> ParseIPv4(QStringView text);

class TCountryLookup {
 public:
  explicit TCountryLookup(const QString& databasePath);
  ~TCountryLookup();
  TCountryLookup(const TCountryLookup&) = delete;
  TCountryLookup& operator=(const TCountryLookup&) = delete;

  bool IsOpen() const { return database_ != nullptr; }
  // Empty when the database opened; else a line for the log.
  const QString& OpenProblem() const { return problem_; }

  // The upper-case two-letter code of the country of a dotted IPv4 address; empty when the
  // text is no such address, the database does not place it or there is no database.
  QString CountryOf(QStringView address);
  // The same without the kept answers: one database look-up (for the benchmark).
  QString LookUp(std::uint32_t address) const;

 private:
  struct TContextRelease {
    void operator()(loc_ctx* ctx) const;
  };
  struct TDatabaseRelease {
    void operator()(loc_database* db) const;
  };

  // Empty on success, else why the database is not used.
  QString Open(const QString& path);
  // Two code letters packed in 16 bits; 0 for no country.
  std::uint16_t LookUpPacked(std::uint32_t address) const;

  std::unique_ptr<loc_ctx, TContextRelease> context_;
  std::unique_ptr<loc_database, TDatabaseRelease> database_;
  QString problem_;
  QHash<std::uint32_t, std::uint16_t> answers_;
};

}  // namespace zorvane
