// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The last session's server list: listed at start, marked as not yet refreshed, and written
// again once a master list's replies are in and at close. The list is turned into the file's
// bytes here, on the GUI thread; the writer thread writes them, and a failure comes back to
// the log.

#include <QObject>

#include "gui/window/window_context.h"

namespace zorvane {

class TFileWriter;

class TServerCacheController : public QObject {
  Q_OBJECT
 public:
  // writer outlives the controller, or is joined before it goes.
  TServerCacheController(TWindowContext& context, TFileWriter& writer);

  // Reads the file into the stash (once, at start).
  void Load();
  // Fills the shown server lists (not the favourites) with the servers read at start.
  void ShowListed();
  // A new list's reply wait is over: the file is written a moment later.
  void ScheduleWrite();
  // At close: written unless a refresh is still running or the file holds a list this session
  // could not read (and no list of its own came in since). The window waits for the writer.
  void SaveAtClose();

 private:
  void SaveNow();

  TWindowContext& context_;
  TFileWriter& writer_;
  int listed_ = 0;
  bool writable_ = true;
};

}  // namespace zorvane
