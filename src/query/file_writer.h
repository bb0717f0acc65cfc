// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's one writer thread. File writes that may block (the history database, the
// server cache) run there instead of on the GUI thread, one job at a time, in the order they
// were handed. A job carries finished data (moved in, never shared with the GUI thread) and
// touches only what lives on the writer thread; what it gives back reaches the GUI thread as
// a queued call. Nothing else runs there, and nothing is locked.
//
// A job may hold resources of the writer thread (a database connection is bound to the
// thread that opened it): its owner opens and closes them through jobs, and closes them
// before the writer is joined.

#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <functional>
#include <memory>

namespace zorvane {

class TFileWriter : public QObject {
  Q_OBJECT
 public:
  explicit TFileWriter(QObject* parent = nullptr);
  // Runs what is still handed, then ends the thread (FlushAndJoin).
  ~TFileWriter() override;

  // Queues job to run on the writer thread after every job handed before it. False, and the
  // job dropped, once the writer has been joined.
  bool Hand(std::function<void()> job);

  // The same; then done(result) runs on context's thread (the GUI thread) as a queued call,
  // unless context is gone by then (looked at on the GUI thread, never on the writer).
  template <typename Job, typename Done>
  bool Hand(Job job, QObject* context, Done done) {
    // The result goes to the writer object (alive until the thread is joined) and context is
    // looked at only there, on the GUI thread: context may go away while the job runs.
    return Hand(std::function<void()>([this, job = std::move(job),
                                       context = QPointer<QObject>(context),
                                       done = std::move(done)]() mutable {
      auto result = job();
      QMetaObject::invokeMethod(
          this,
          [context = std::move(context), done = std::move(done),
           result = std::move(result)]() mutable {
            if (context) done(std::move(result));
          },
          Qt::QueuedConnection);
    }));
  }

  // Waits until every job handed so far has run (close, or a test). Never on the writer thread.
  void Flush();
  // Runs every job handed so far and ends the thread; later jobs are refused. Results still
  // on their way to the GUI thread arrive when its event loop next turns, if it does.
  void FlushAndJoin();
  // The same, waiting no longer than deadline (the window's close): false when a job still
  // runs then. No job is taken after it either way; the destructor waits for one still running,
  // so a process that must not wait ends without destroying the writer.
  bool FlushAndJoin(QDeadlineTimer deadline);
  bool Running() const { return running_; }
  // Joined and every job run.
  bool Finished() const { return !running_ && thread_->isFinished(); }

  // True on the writer thread (for checks that a job runs where it must).
  bool OnWriterThread() const { return QThread::currentThread() == thread_.get(); }

 private:
  std::unique_ptr<QThread> thread_;
  // Lives on the writer thread; jobs are queued calls on it. Deleted once the thread ended.
  std::unique_ptr<QObject> worker_;
  bool running_ = false;
};

}  // namespace zorvane
