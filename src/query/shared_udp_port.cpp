// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/shared_udp_port.h"

#include <cerrno>

namespace zorvane {

TSharedSocket::~TSharedSocket() {
  // Out of the watcher's set before the descriptor goes, as every watched socket does.
  if (watchId_ != 0 && ports_.watcher_) ports_.watcher_->Forget(socket_.Handle(), watchId_);
}

int TSharedSocket::Open(TSocketWatcher& watcher, int receiveBuffer) {
  if (const int error = socket_.Open(receiveBuffer)) return error;
  watchId_ = watcher.Watch(socket_.Handle(), this);
  if (watchId_ != 0) return 0;
  socket_.Close();
  return ENOTSUP;
}

TSharedSocket::TSeat* TSharedSocket::SeatOf(const TSharedPortClient* client) {
  for (TSeat& seat : seats_)
    if (seat.client == client) return &seat;
  return nullptr;
}

TSharedPortClient* TSharedSocket::ClientOf(TPeer peer) const {
  for (const TSeat& seat : seats_)
    if (seat.peer == peer) return seat.client;
  return nullptr;
}

void TSharedSocket::SocketReady() {
  // What waits is read a batch at a time, in one system call: the replies of a whole group
  // often wait together, and a pass of the event loop per datagram would cost more than the
  // datagram. A handler may destroy its transport, close this socket's last seat or destroy
  // the ports: the socket itself stays until the reading is over, unless the ports go.
  QPointer<TSharedUdpPorts> alive(&ports_);
  ++reading_;
  char buffers[TSharedUdpPorts::kBatch * TSharedUdpPorts::kDatagramBuffer];
  TReceived got[TSharedUdpPorts::kBatch];
  const int n = socket_.ReceiveMany(buffers, TSharedUdpPorts::kDatagramBuffer, got,
                                    TSharedUdpPorts::kBatch);
  if (n == 0) {
    // Ready with nothing to read, or the kernel's note that an error waits: the error queue
    // says whose it is.
    ReadErrors();
    if (!alive) return;
  }
  for (int i = 0; i < n; ++i) {
    TSharedPortClient* client = ClientOf(PeerOf(got[i].fromAddress, got[i].fromPort));
    if (!client) continue;
    client->SharedArrival(got[i], buffers + std::ptrdiff_t(i) * TSharedUdpPorts::kDatagramBuffer);
    if (!alive) return;
  }
  if (--reading_ == 0 && seats_.empty()) ports_.SweepSoon();
}

void TSharedSocket::ReadErrors() {
  QPointer<TSharedUdpPorts> alive(&ports_);
  for (;;) {
    const TReceived got = socket_.ReceiveError();
    if (got.kind == TReceived::TKind::Refused) {
      if (TSharedPortClient* client = ClientOf(PeerOf(got.fromAddress, got.fromPort))) {
        client->SharedArrival(got, nullptr);
        if (!alive) return;
      }
      continue;
    }
    // Other errors about a destination (unreachable hosts) go unreported, as on a transport's
    // own socket; an empty queue or a failed read ends the round.
    if (got.kind != TReceived::TKind::Failed || got.fromPort == 0) return;
  }
}

TSharedUdpPorts::TSharedUdpPorts(TSocketWatcher* watcher, QObject* parent, int groupSize)
    : QObject(parent), watcher_(watcher), groupSize_(groupSize < 1 ? 1 : groupSize) {
  emptySweep_.setSingleShot(true);
  emptySweep_.setInterval(kIdleCloseMs);
  connect(&emptySweep_, &QTimer::timeout, this, &TSharedUdpPorts::CloseEmpty);
}

TSharedUdpPorts::~TSharedUdpPorts() {
  for (const auto& socket : sockets_)
    for (const TSharedSocket::TSeat& seat : socket->seats_) seat.client->SharedPortsGone();
  filling_ = nullptr;
  sockets_.clear();
}

TSharedSocket* TSharedUdpPorts::WithRoom(TSharedSocket::TPeer without, int& error) {
  const auto fits = [&](const TSharedSocket& socket) {
    return socket.Seated() < groupSize_ && (without == 0 || !socket.ClientOf(without));
  };
  if (filling_ && fits(*filling_)) return filling_;
  for (const auto& socket : sockets_)
    if (fits(*socket)) return filling_ = socket.get();
  if (!watcher_ || !watcher_->IsValid()) {
    error = ENOTSUP;
    return nullptr;
  }
  auto socket = std::make_unique<TSharedSocket>(*this);
  error = socket->Open(*watcher_, kReceiveBuffer);
  if (error != 0) return nullptr;
  ++opened_;
  sockets_.push_back(std::move(socket));
  return filling_ = sockets_.back().get();
}

TSharedSocket* TSharedUdpPorts::Join(TSharedPortClient* client, int& error) {
  TSharedSocket* socket = WithRoom(0, error);
  if (!socket) return nullptr;
  socket->seats_.push_back({0, client});
  socket->idle_ = false;
  return socket;
}

int TSharedUdpPorts::Aim(TSharedSocket*& seat, TSharedPortClient* client, quint32 address,
                         quint16 port) {
  const TSharedSocket::TPeer peer = TSharedSocket::PeerOf(address, port);
  TSharedSocket::TSeat* mine = seat->SeatOf(client);
  if (!mine) return EINVAL;
  if (mine->peer == peer) return 0;
  if (!seat->ClientOf(peer)) {
    mine->peer = peer;
    return 0;
  }
  // Another transport here hears that server already: this one moves.
  int error = 0;
  TSharedSocket* other = WithRoom(peer, error);
  if (!other) return error;
  Leave(seat, client);
  other->seats_.push_back({peer, client});
  other->idle_ = false;
  seat = other;
  return 0;
}

int TSharedUdpPorts::Send(TSharedSocket& seat, quint32 address, quint16 port, const char* data,
                          qsizetype size) {
  int error = seat.socket_.SendTo(address, port, data, size);
  // A send reports the error the kernel noted last on the socket, which may be another
  // server's refusal (it waits in the error queue for its transport): the second try is this
  // datagram's own.
  if (error != 0 && error != EAGAIN && error != EWOULDBLOCK)
    error = seat.socket_.SendTo(address, port, data, size);
  return error;
}

void TSharedUdpPorts::Leave(TSharedSocket* seat, TSharedPortClient* client) {
  if (!seat) return;
  TSharedSocket::TSeat* mine = seat->SeatOf(client);
  if (!mine) return;
  *mine = seat->seats_.back();
  seat->seats_.pop_back();
  if (seat->seats_.empty()) SweepSoon();
}

void TSharedUdpPorts::SweepSoon() {
  if (!emptySweep_.isActive()) emptySweep_.start();
}

void TSharedUdpPorts::CloseEmpty() {
  // A socket empty at two sweeps in a row goes; one emptied since the last is marked. A burst
  // paced a few queries at a time empties its socket between every few queries.
  bool marked = false;
  std::erase_if(sockets_, [&](const std::unique_ptr<TSharedSocket>& socket) {
    if (socket->Seated() > 0 || socket->reading_ > 0) {
      socket->idle_ = false;
      return false;
    }
    if (!socket->idle_) {
      socket->idle_ = marked = true;
      return false;
    }
    if (filling_ == socket.get()) filling_ = nullptr;
    return true;
  });
  if (marked) SweepSoon();
}

}  // namespace zorvane
