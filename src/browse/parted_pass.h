// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A pass over a few items whose work is done a part at a time (a view rebuilt from tens of
// thousands of servers): on each turn of the event loop, parts run until a slice of time has
// passed, and the pass goes on from there on the next.

#include <QElapsedTimer>
#include <functional>

namespace zorvane {

// The slice the window's passes take of a turn: a few milliseconds, so that input and painting
// wait for no longer than a frame.
inline constexpr int kPartSliceMs = 4;

class TPartedPass {
 public:
  // From the first item again.
  void Restart() {
    next_ = 0;
    started_ = false;
  }
  // Runs step(item, first) from where the pass stands until sliceMs have passed; an item is
  // done once step returns true (first: its first part in this pass). True once all of the
  // count items are done.
  bool Run(int count, int sliceMs, const std::function<bool(int item, bool first)>& step) {
    QElapsedTimer turn;
    turn.start();
    while (next_ < count) {
      if (turn.elapsed() >= sliceMs) return false;
      const bool first = !started_;
      started_ = true;
      if (step(next_, first)) {
        ++next_;
        started_ = false;
      }
    }
    return true;
  }

 private:
  int next_ = 0;
  bool started_ = false;  // the item at next_ had its first part
};

}  // namespace zorvane
