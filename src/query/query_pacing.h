#pragma once
// Pacing of a burst of status queries by the user's delay strength ("queryPower"):
// strength 1 to 9 pauses 1 ms after every (10 - strength)th query, strength 10 or more pauses
// strength / 10 ms after every query, strength 0 never pauses; never after the last query.

#include <QString>
#include <functional>

namespace zorvane {

class TQueryPacer {
 public:
  using TSleep = std::function<void(int milliseconds)>;
  using TDebugLog = std::function<void(const QString& text)>;

  // sleep defaults to blocking the calling thread.
  explicit TQueryPacer(int queryPower, TSleep sleep = {}, TDebugLog debugLog = {});

  // Call after sending the query at index of count.
  void AfterQuery(int index, int count);
  int Pauses() const { return pauses_; }

 private:
  void Pause(int index, int milliseconds);

  int power_;
  int counter_ = 1;
  int pauses_ = 0;
  TSleep sleep_;
  TDebugLog debugLog_;
};

}  // namespace zorvane
