// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Pacing of a burst of status queries by the user's delay strength ("queryPower"):
// strength 1 to 9 pauses 1 ms after every (10 - strength)th query, strength 10 or more pauses
// strength / 10 ms after every query, strength 0 never pauses; never after the last query.

#include <QString>
#include <functional>

namespace zorvane {

// The delay strength when none is chosen: the one default of the setting, of the workers that
// follow it and of zorvane-query.
inline constexpr int kDefaultQueryPower = 3;

class TQueryPacer {
 public:
  using TDebugLog = std::function<void(const QString& text)>;

  explicit TQueryPacer(int queryPower, TDebugLog debugLog = {});

  // Call after sending the query at index of count. Returns the pause due now in
  // milliseconds (0 for none); the caller waits it out without blocking the event loop.
  int AfterQuery(int index, int count);
  int Pauses() const { return pauses_; }

 private:
  int Pause(int index, int milliseconds);

  int power_;
  int counter_ = 1;
  int pauses_ = 0;
  TDebugLog debugLog_;
};

}  // namespace zorvane
