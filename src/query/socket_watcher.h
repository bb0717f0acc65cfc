// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Watches many sockets for incoming datagrams with one epoll set and one QSocketNotifier.
//
// A mass refresh keeps thousands of server sockets open at once. With a QSocketNotifier each,
// every pass of the event loop hands all of them to poll() and walks them again afterwards,
// so a pass costs as much as the number of sockets waiting. Here the kernel keeps the set: a
// socket costs one epoll_ctl when it starts being watched and nothing on close (closing a
// descriptor takes it out of the set), and a pass costs only the sockets that have something.
//
// Level-triggered, as a QSocketNotifier is: a reader that leaves data waiting is called again.

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <vector>

class QSocketNotifier;

namespace zorvane {

// What a watched socket calls when it has something to read.
class TSocketReader {
 public:
  virtual void SocketReady() = 0;

 protected:
  ~TSocketReader() = default;
};

class TSocketWatcher : public QObject {
  Q_OBJECT
 public:
  explicit TSocketWatcher(QObject* parent = nullptr);
  ~TSocketWatcher() override;

  // False when the system gave no epoll set; Watch then always fails.
  bool IsValid() const { return epoll_ >= 0; }

  // Calls reader->SocketReady() whenever fd has something to read, until Forget. Returns the
  // watch's id, or 0 when the descriptor could not be added (the caller watches it itself).
  std::uint32_t Watch(int fd, TSocketReader* reader);
  // Ends a watch. Call it right before the descriptor is closed: closing removes it from the
  // set, and an event already fetched for it is dropped because its id no longer matches.
  void Forget(int fd, std::uint32_t id);

  // Sockets being watched.
  int Count() const { return count_; }

 private:
  struct TSlot {
    std::uint32_t id = 0;
    TSocketReader* reader = nullptr;
  };

  void Dispatch();

  int epoll_ = -1;
  QSocketNotifier* notifier_ = nullptr;  // child
  std::vector<TSlot> slots_;             // by descriptor
  std::uint32_t lastId_ = 0;
  int count_ = 0;
};

}  // namespace zorvane
