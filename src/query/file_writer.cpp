// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/file_writer.h"

namespace zorvane {

TFileWriter::TFileWriter(QObject* parent) : QObject(parent), thread_(std::make_unique<QThread>()) {
  thread_->setObjectName(QStringLiteral("zorvane writer"));
  worker_ = std::make_unique<QObject>();
  worker_->moveToThread(thread_.get());
  thread_->start();
  running_ = true;
}

TFileWriter::~TFileWriter() {
  FlushAndJoin();
}

bool TFileWriter::Hand(std::function<void()> job) {
  if (!running_) return false;
  // Calls queued on one receiver run in the order they were posted.
  return QMetaObject::invokeMethod(worker_.get(), std::move(job), Qt::QueuedConnection);
}

void TFileWriter::Flush() {
  if (!running_ || OnWriterThread()) return;
  QMetaObject::invokeMethod(worker_.get(), [] {}, Qt::BlockingQueuedConnection);
}

void TFileWriter::FlushAndJoin() {
  FlushAndJoin(QDeadlineTimer(QDeadlineTimer::Forever));
}

bool TFileWriter::FlushAndJoin(QDeadlineTimer deadline) {
  if (running_) {
    running_ = false;
    // Quitting from a job of its own lets every job before it run first.
    QMetaObject::invokeMethod(worker_.get(), [] { QThread::currentThread()->quit(); },
                              Qt::QueuedConnection);
  }
  if (!thread_->wait(deadline)) return false;
  worker_.reset();
  return true;
}

}  // namespace zorvane
