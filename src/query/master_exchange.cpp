// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/master_exchange.h"

#include <QPointer>
#include <QTcpSocket>

namespace zorvane {

namespace {

const QString kNoConnection = QStringLiteral("Could not open connection to GameSpy");
const QString kNoGreeting = QStringLiteral("Did not receive a proper response from GameSpy");
const QString kListTimedOut = QStringLiteral("Connection timed out when reading result stream");
const QString kListClosed = QStringLiteral("The server list from GameSpy was cut off");
const QString kNoList = QStringLiteral("No servers were returned from GameSpy");

// Without the blanks and control characters around it.
QByteArray Trimmed(QByteArrayView text) {
  while (!text.isEmpty() && uchar(text.front()) <= ' ') text = text.sliced(1);
  while (!text.isEmpty() && uchar(text.back()) <= ' ') text.chop(1);
  return text.toByteArray();
}

}  // namespace

TMasterExchange::TMasterExchange(const TMasterGame& game, const TMasterAddress& master,
                                 const TMasterQueryOptions& options, THostLookup lookup,
                                 QObject* parent)
    : QObject(parent), game_(game), master_(master), options_(options),
      lookup_(lookup ? std::move(lookup) : SystemHostLookup()) {
  silence_.setSingleShot(true);
  silence_.setInterval(options_.silenceTimeoutMs);
  connect(&silence_, &QTimer::timeout, this, &TMasterExchange::Silent);
  deadline_.setSingleShot(true);
  deadline_.setInterval(options_.exchangeTimeoutMs);
  connect(&deadline_, &QTimer::timeout, this, &TMasterExchange::Expired);
}

TMasterExchange::~TMasterExchange() {
  // The socket goes with its parent, after this object's timers: nothing of it may call back.
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
  }
}

void TMasterExchange::Start() {
  if (state_ != TState::Idle) return;
  deadline_.start();
  silence_.start();
  QHostAddress address;
  if (address.setAddress(master_.host) && address.protocol() == QAbstractSocket::IPv4Protocol)
    return Connect(address);
  state_ = TState::LookingUp;
  lookup_(master_.host, this,
          [self = QPointer<TMasterExchange>(this)](const QHostAddress& found, const QString&) {
            if (!self || self->state_ != TState::LookingUp) return;
            if (found.isNull())
              self->Fail(TMasterResult::Refused, kNoConnection);
            else
              self->Connect(found);
          });
}

void TMasterExchange::Abort() {
  state_ = TState::Done;
  silence_.stop();
  deadline_.stop();
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
  }
}

void TMasterExchange::Connect(const QHostAddress& address) {
  state_ = TState::Connecting;
  socket_ = new QTcpSocket(this);
  connect(socket_, &QTcpSocket::connected, this, [this] {
    state_ = TState::Greeting;
    silence_.start();  // the master has the whole silence for its greeting
  });
  connect(socket_, &QTcpSocket::readyRead, this, &TMasterExchange::Read);
  connect(socket_, &QTcpSocket::disconnected, this, &TMasterExchange::Closed);
  // Refused, unreachable, reset: before the connection no answer, after it the end.
  connect(socket_, &QTcpSocket::errorOccurred, this, &TMasterExchange::Closed);
  socket_->connectToHost(address, master_.port);
}

void TMasterExchange::Read() {
  if (state_ == TState::Done || socket_->bytesAvailable() <= 0) return;
  silence_.start();
  if (state_ == TState::Greeting) return ReadGreeting();
  if (state_ != TState::Listing) {
    socket_->readAll();
    return;
  }
  list_.append(socket_->read(kMaxListBytes + 1 - list_.size()));
  // A list longer than any real one is not used at all; the rest is not read.
  if (list_.size() > kMaxListBytes) Fail(TMasterResult::Rejected, TooManyServersText());
}

void TMasterExchange::ReadGreeting() {
  // The greeting is one line, perhaps without its end, perhaps in several pieces; at most one
  // byte past the bound is read, which tells a greeting too long.
  const qint64 room = kMaxGreetingBytes + 1 - greeting_.size();
  greeting_ += socket_->canReadLine() ? socket_->readLine(room + 1) : socket_->read(room);
  if (GreetingComplete(greeting_)) return SendRequest();
  if (greeting_.size() > kMaxGreetingBytes) Fail(TMasterResult::Rejected, kNoGreeting);
}

void TMasterExchange::SendRequest() {
  const QByteArray line = Trimmed(greeting_);
  if (line.isEmpty()) return Fail(TMasterResult::Rejected, kNoGreeting);
  const QByteArray name(game_.gameName);
  const QByteArray response =
      ValidateChallenge(ChallengeFromGreeting(line), QByteArrayView(game_.gameKey)).toLatin1();
  state_ = TState::Listing;
  socket_->write(QByteArray("\\gamename\\") + name + "\\location\\0\\validate\\" + response +
                 "\\final\\");
  socket_->write(QByteArray("\\list\\\\gamename\\") + name + "\\gametype\\\\final\\");
  Read();  // what came after the greeting's line end belongs to the list
}

void TMasterExchange::Closed() {
  switch (state_) {
    case TState::Connecting:
      return Fail(TMasterResult::Refused, kNoConnection);
    case TState::Greeting:
      return Fail(TMasterResult::Rejected, kNoGreeting);
    case TState::Listing:
      // What came with the close.
      list_.append(socket_->read(kMaxListBytes + 1 - list_.size()));
      if (list_.size() > kMaxListBytes) return Fail(TMasterResult::Rejected, TooManyServersText());
      return EndList(false);
    default:
      return;
  }
}

void TMasterExchange::Silent() {
  switch (state_) {
    case TState::LookingUp:
    case TState::Connecting:
      return Fail(TMasterResult::TimedOut, kNoConnection);
    case TState::Greeting:
      // A greeting without its challenge: what came is all there is.
      if (!Trimmed(greeting_).isEmpty()) {
        silence_.start();
        return SendRequest();
      }
      return Fail(TMasterResult::TimedOut, kNoGreeting);
    case TState::Listing:
      return EndList(true);
    default:
      return;
  }
}

void TMasterExchange::Expired() {
  switch (state_) {
    case TState::LookingUp:
    case TState::Connecting:
      return Fail(TMasterResult::TimedOut, kNoConnection);
    case TState::Greeting:
      return Fail(TMasterResult::TimedOut, kNoGreeting);
    case TState::Listing:
      return EndList(true);
    default:
      return;
  }
}

void TMasterExchange::EndList(bool timedOut) {
  TMasterList read = ReadMasterList(list_);
  list_.clear();
  if (read.tooLong) return Fail(TMasterResult::Rejected, TooManyServersText());
  TMasterOutcome outcome{master_, TMasterResult::Listed, int(read.entries.size()), read.skipped,
                         {}};
  if (!read.whole) {
    // Whatever cut it, a list without its end never tells which servers are gone.
    if (read.entries.empty())
      return Fail(timedOut ? TMasterResult::TimedOut : TMasterResult::Rejected,
                  timedOut ? kListTimedOut : kNoList);
    outcome.result = TMasterResult::Cut;
    outcome.text = timedOut ? kListTimedOut : kListClosed;
  }
  Finish(std::move(outcome), std::move(read.entries));
}

void TMasterExchange::Fail(TMasterResult result, const QString& text) {
  Finish({master_, result, 0, 0, text});
}

void TMasterExchange::Finish(TMasterOutcome outcome, std::vector<TMasterEntry> entries) {
  if (state_ == TState::Done) return;
  Abort();
  greeting_.clear();
  Q_EMIT OnFinished(outcome, entries);
}

}  // namespace zorvane
