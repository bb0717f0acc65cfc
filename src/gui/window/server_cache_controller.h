// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The last session's server list: listed at start, marked as not yet refreshed, and written
// again once a master list's replies are in and at close. The list is turned into the file's
// bytes here, on the GUI thread, a part per turn of the event loop after a refresh (at once at
// close); the writer thread writes them, and a failure comes back to the log.

#include <QObject>
#include <QTimer>
#include <memory>

#include "browse/parted_pass.h"
#include "gui/window/window_context.h"

namespace zorvane {

class TFileWriter;
class TServerCacheBuilder;

class TServerCacheController : public QObject {
  Q_OBJECT
 public:
  // writer outlives the controller, or is joined before it goes.
  TServerCacheController(TWindowContext& context, TFileWriter& writer);
  ~TServerCacheController() override;

  // Reads the file into the stash (once, at start).
  void Load();
  // Fills the shown server lists (not the favourites) with the servers read at start, a part
  // per turn of the event loop: the window is drawn and answers meanwhile.
  void ShowListed();
  // A new list's reply wait is over: the file is written a moment later, its bytes made a
  // part per turn of the event loop (a refresh started meanwhile drops them: it writes the
  // file when it ends).
  void ScheduleWrite();
  // At close: written unless a refresh is still running or the file holds a list this session
  // could not read (and no list of its own came in since). The window waits for the writer.
  void SaveAtClose();

 private:
  void SaveNow();
  void BuildPart();
  void ListPart();
  void Hand(QByteArray bytes);

  TWindowContext& context_;
  TFileWriter& writer_;
  QTimer delay_;  // the write waits for the rebuilt lists to be on the screen
  QTimer part_;   // the next turn of BuildPart
  QTimer list_;   // the next turn of ListPart
  TPartedPass listing_;  // the lists ShowListed fills
  std::unique_ptr<TServerCacheBuilder> builder_;
  int next_ = 0;        // the next server of the stash
  int stashCount_ = 0;  // the stash's size at the last part: a smaller one starts again
  int listed_ = 0;
  bool writable_ = true;
};

}  // namespace zorvane
