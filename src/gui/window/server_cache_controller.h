// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The last session's server list: listed at start, marked as not yet refreshed, and written
// again once a master list's replies are in and at close. The list is turned into the file's
// bytes here, on the GUI thread: after a refresh a part per turn of the event loop, each part
// handed to the writer thread as it is made and appended there to the file it holds open
// (TServerCacheStream), so the whole file's bytes are never held at once; at close the whole
// file at once. A failure comes back to the log.

#include <QObject>
#include <QTimer>
#include <memory>

#include "browse/parted_pass.h"
#include "gui/window/window_context.h"

namespace zorvane {

class TFileWriter;
class TServerCachePartBuilder;
class TServerCacheStream;

class TServerCacheController : public QObject {
  Q_OBJECT
 public:
  // writer outlives the controller, or is joined before it goes.
  TServerCacheController(TWindowContext& context, TFileWriter& writer);
  // Drops a file still being written and waits for the writer to be done with it.
  ~TServerCacheController() override;

  // Reads the file into the stash (once, at start).
  void Load();
  // Fills the shown server lists (not the favourites) with the servers read at start, a part
  // per turn of the event loop: the window is drawn and answers meanwhile.
  void ShowListed();
  // Whether ShowListed still has lists to fill.
  bool Listing() const { return list_.isActive(); }
  // A new list's reply wait is over: the file is written a moment later, its bytes made a
  // part per turn of the event loop (a refresh started meanwhile drops the file being
  // written, the old one staying whole: it writes the file when it ends).
  void ScheduleWrite();
  // At close: written whole unless a refresh is still running or the file holds a list this
  // session could not read (and no list of its own came in since); a file still being
  // written in parts is dropped. The window waits for the writer.
  void SaveAtClose();

 private:
  void SaveNow();
  void StartStream();
  void BuildPart();
  void HandPart();
  void DropStream();
  void ListPart();
  QString Path() const;
  void LogFailure(const QString& error);

  TWindowContext& context_;
  TFileWriter& writer_;
  QTimer delay_;  // the write waits for the rebuilt lists to be on the screen
  QTimer part_;   // the next turn of BuildPart, once the writer has the last one's parts
  QTimer list_;   // the next turn of ListPart
  TPartedPass listing_;  // the lists ShowListed fills
  // Made and deleted here; used only on the writer thread, through jobs.
  std::unique_ptr<TServerCacheStream> stream_;
  // While a file is being written in parts: the servers of the parts still to come.
  std::unique_ptr<TServerCachePartBuilder> builder_;
  int next_ = 0;        // the next server of the stash
  int turn_ = 0;        // the turn of BuildPart the writer is to start next
  int stashCount_ = 0;  // the stash's size at the last part: a smaller one starts again
  int listed_ = 0;
  bool writable_ = true;
};

}  // namespace zorvane
