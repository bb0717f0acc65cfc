// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/server_stash.h"

#include <QMetaMethod>
#include <QPointer>
#include <QTimer>
#include <cmath>
#include <utility>

#include "query/binary_protocol.h"
#include "query/network_text.h"
#include "query/ping.h"
#include "query/query_burst.h"
#include "query/text_protocol.h"
#include "query/udp_transport.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

QString KeyOf(const QString& host, int port) { return host + u':' + QString::number(port); }

// The query protocol of a server's game, read from the stored bytes without a copy.
TQueryProtocol ProtocolOf(const TServer& server) {
  const QByteArrayView game = server.TextLatin1(TServerText::Game);
  char16_t wide[32];
  if (game.isEmpty() || game.size() > qsizetype(std::size(wide)))
    return QueryProtocolOf(server.Game());
  for (qsizetype i = 0; i < game.size(); ++i) wide[i] = uchar(game[i]);
  return QueryProtocolOf(QStringView(wide, game.size()));
}

bool PingCounts(const TServer& server, int& ping) {
  const QByteArrayView text = server.TextLatin1(TServerText::Ping);
  if (text == kNoReplyPing || text == kAwaitedPing) return false;
  return ReadInteger(server.Ping(), ping);
}

// The factor that brings the first ping p (1000 ms or more) just under 150 ms.
double PingScale(int p) {
  constexpr int kFloor = 9, kCeiling = 150, kThreshold = 1000;
  double factor = 1.0;
  if (p < kThreshold) return factor;
  for (;;) {
    factor -= 0.01;
    double v = std::nearbyint(p * factor);
    if (v < kFloor) {
      while (v <= kFloor) {
        factor += 0.001;
        v = std::nearbyint(p * factor);
      }
      return factor;
    }
    if (v < kCeiling) return factor;
  }
}


}  // namespace

TServerStash::TServerStash(QObject* parent)
    : QObject(parent),
      statusQuery_(TextStatusQuery()),
      lookup_(SystemHostLookup()),
      bursts_(std::make_unique<TQueryBurst>(*this)),
      watcher_(new TSocketWatcher(this)),
      ports_(new TSharedUdpPorts(watcher_, this)) {
  releasedSweep_.setSingleShot(true);
  releasedSweep_.setInterval(0);
  connect(&releasedSweep_, &QTimer::timeout, this, [this] {
    const auto gone = std::move(released_);
    released_.clear();
  });
}

TServerStash::~TServerStash() = default;

bool TServerStash::AddServer(const QString& host, const QString& port,
                             const QString& gameTypeName, bool favorite, const QString& game,
                             const QString& autoUpdateDescription, const QString& description) {
  bool portOk = false;
  const int portNumber = port.trimmed().toInt(&portOk);
  if (!portOk || portNumber < 1 || portNumber > 65535) {
    Q_EMIT OnLog(0, QStringLiteral("Server ") + host + u':' + port +
                        QStringLiteral(" not added: the port is not a number from 1 to 65535"));
    return false;
  }
  const QString key = KeyOf(host, portNumber);
  if (const int index = IndexOf(key); index >= 0) {
    TServer* existing = Server(index);
    if (!gameTypeName.isEmpty()) existing->SetGameTypeName(gameTypeName);
    if (favorite && !existing->Favorite) {
      TakeAsFavorite(index, description, autoUpdateDescription);
      return true;
    }
    return false;
  }

  auto server = std::make_unique<TServer>();
  const bool byName = !IsDottedAddress(host);
  // A master list adds thousands: the texts go into the record in one go.
  TServer::TTextList texts;
  texts[std::size_t(byName ? TServerText::DNSName : TServerText::IP)] = host;
  texts[std::size_t(TServerText::AutoUpdateDescription)] = autoUpdateDescription;
  texts[std::size_t(TServerText::Description)] = description;
  texts[std::size_t(TServerText::Game)] = game;
  if (!gameTypeName.isEmpty()) texts[std::size_t(TServerText::GameTypeName)] = gameTypeName;
  server->SetTexts(texts);
  server->Port = portNumber;
  server->QueryVersion = GameQueryVersion(game);
  server->Favorite = favorite;

  TServer* added = server.get();
  if (byName) CreateResolver(*server, key);
  index_.insert(key.toLower(), Count());
  servers_.push_back({key, std::move(server), ++lastHandle_});
  if (byName) added->Resolver->Ping();
  return true;
}

bool TServerStash::AdoptServer(std::unique_ptr<TServer> server) {
  if (!server || server->Port < 1 || server->Port > 65535) return false;
  const bool byName = !server->TextEmpty(TServerText::DNSName);
  const QString host = byName ? server->DNSName() : server->IP();
  if (host.isEmpty()) return false;
  const QString key = KeyOf(host, server->Port);
  if (IndexOf(key) >= 0) return false;
  server->Transport.reset();
  server->Resolver.reset();
  TServer* added = server.get();
  const bool lookUp = byName && server->TextEmpty(TServerText::IP);
  if (lookUp) CreateResolver(*server, key);
  index_.insert(key.toLower(), Count());
  servers_.push_back({key, std::move(server), ++lastHandle_});
  if (lookUp) added->Resolver->Ping();
  return true;
}

void TServerStash::CreateResolver(TServer& server, const QString& key) {
  server.Resolver = std::make_unique<TkorvPing>();
  server.Resolver->SetAddress(server.DNSName());
  server.Resolver->Tag = key;
  // Each answer comes to the stash, which outlives the resolvers, so it is counted even when
  // its server has gone meanwhile; it reaches the resolver only while that still exists.
  server.Resolver->Icmp().SetHostLookup(
      [this](const QString& name, QObject* requester, THostLookupDone done) {
        LookUpHost(name, requester, std::move(done));
      });
  connect(server.Resolver.get(), &TkorvPing::OnResolved, this,
          [this](const QString& k, const QString& ip) { HandleResolved(k, ip); });
}

void TServerStash::LookUpHost(const QString& name, QObject* context, THostLookupDone done) {
  ++lookupsRunning_;
  lookup_(name, this,
          [this, context = QPointer<QObject>(context), done = std::move(done)](
              const QHostAddress& address, const QString& error) {
            --lookupsRunning_;
            if (context) done(address, error);
          });
}

void TServerStash::ReResolve(int index) {
  TServer* server = Server(index);
  if (!server || server->TextEmpty(TServerText::DNSName)) return;
  server->SetIP({});
  if (server->Transport) server->Transport->SetRemoteHost({});
  if (!server->Resolver) CreateResolver(*server, Key(index));
  server->Resolver->SetAddress({});  // forget the old answer
  server->Resolver->SetAddress(server->DNSName());
  server->Resolver->Ping();
}

bool TServerStash::CreateTransport(TServer& server, const QString& key, int index) {
  try {
    // A local port asked for means a socket of the transport's own.
    auto transport = LocalPort != 0 ? std::make_unique<TkorvUDP>()
                                    : std::make_unique<TkorvUDP>(ports_);
    transport->Tag = key;
    transport->TagIndex = index;
    transport->SetSocketWatcher(watcher_);
    transport->SetRemoteHost(server.IP());
    transport->SetServerName(server.DNSName());
    transport->SetRemotePort(server.Port);
    if (LocalPort != 0) transport->SetLocalPort(LocalPort);
    transport->SetReplyInProgress(0);
    transport->SetReplyReceiver(this);
    server.Transport = std::move(transport);
    return true;
  } catch (const UDPSockError& e) {
    Q_EMIT OnLog(0, QStringLiteral("No socket for server ") +
                        KeyOf(server.DNSName().isEmpty() ? server.IP() : server.DNSName(),
                              server.Port) +
                        QStringLiteral(": ") + e.Message());
    return false;
  }
}

TQuerySent TServerStash::QueryServer(const QString& key) {
  const int index = IndexOf(key);
  TServer* server = Server(index);
  if (!server) return TQuerySent::NotSent;
  if (server->TextEmpty(TServerText::IP)) {
    if (server->TextEmpty(TServerText::DNSName)) return TQuerySent::NotSent;
    awaitingAddress_.insert(key.toLower());
    return TQuerySent::AwaitingAddress;
  }
  if (ProtocolOf(*server) == TQueryProtocol::None) return TQuerySent::NotSent;
  if (!server->Transport || !server->Transport->IsOpen()) {
    server->Transport.reset();
    if (!CreateTransport(*server, Key(index), index)) {
      const QString lowerKey = key.toLower();
      if (!awaitingSocketKeys_.contains(lowerKey)) {
        awaitingSocketKeys_.insert(lowerKey);
        awaitingSocket_.push_back(key);
      }
      return TQuerySent::NoSocket;
    }
  }
  server->Transport->TagIndex = index;
  server->Transport->BeginQuery();
  server->RepliesSeen = 0;
  switch (ProtocolOf(*server)) {
    case TQueryProtocol::Text:
      server->RepliesAsked = rpTextFinal;
      SendRequest(*server, statusQuery_);
      break;
    case TQueryProtocol::Binary:
      server->RepliesAsked = rpInfo;
      SendRequest(*server, BinaryRequest(server->QueryVersion, brInfo));
      break;
    case TQueryProtocol::None:
      break;
  }
  return server->Transport && server->Transport->RequestsSent() > 0 ? TQuerySent::Sent
                                                                     : TQuerySent::NotSent;
}

void TServerStash::SendRequest(TServer& server, const QByteArray& request) {
  // However a server answers, one query costs it at most its three requests.
  if (server.Transport->RequestsSent() >= kMaxRequestsPerQuery) return;
  try {
    server.Transport->SendBytes(request);
  } catch (const UDPSockError& e) {
    Q_EMIT OnLog(0, QStringLiteral("Query to ") + server.IP() + u':' +
                        QString::number(server.Port) + QStringLiteral(" failed: ") + e.Message());
  }
}

int TServerStash::IndexOfTransport(const TkorvUDP& transport) {
  // Only the server that owns a transport holds it, so the hint is checked by that alone.
  const int hint = transport.TagIndex;
  if (hint >= 0 && hint < Count() && servers_[std::size_t(hint)].server->Transport.get() == &transport)
    return hint;
  const int index = IndexOf(transport.Tag);
  const TServer* server = Server(index);
  return server && server->Transport.get() == &transport ? index : -1;
}

void TServerStash::TransportReply(TkorvUDP* transport, const QByteArray& buffer, int length) {
  int index = IndexOfTransport(*transport);
  if (index < 0) {
    transport->CloseSocket();
    return;
  }
  transport->TagIndex = index;
  TServer* server = Server(index);
  const QString key = transport->Tag;
  // Its listeners find it by the key at once; restored afterwards for a reply read meanwhile.
  const auto report = [&] {
    const int outer = std::exchange(reported_, index);
    Q_EMIT OnServerUpdated(key);
    reported_ = outer;
  };

  if (length <= 0) {
    // The server's port refused the query. The record is complete but the server is not
    // online: setting Online here would announce a refusing server as having come online.
    server->ResetValues(true);
    transport->SetReplyInProgress(1);
    transport->CloseSocket();
    server->ReplyComplete = true;
    report();
    return;
  }

  const QByteArrayView datagram(buffer.constData(), length);
  if (!TakeDatagram(*server, *transport, datagram)) return;

  server->ReplyComplete = true;
  if (server->Online) {
    server->CameOnline = false;
  } else {
    server->CameOnline = true;
    server->Online = true;
  }
  const bool hasPlayers = server->HasPlayers();
  server->BecamePopulated = server->Populated ? false : hasPlayers;
  server->Populated = hasPlayers;
  const bool textFinished = ProtocolOf(*server) == TQueryProtocol::Text &&
                            (server->RepliesSeen & rpTextFinal);
  report();
  // A whole text reply is in, so nothing more is awaited on this socket: it goes now rather
  // than at the end of the reply wait. The event loop then watches only the sockets of
  // servers still to answer, and a server waiting for a socket gets this one. The handlers
  // may have moved the servers meanwhile (or dropped this one, and the transport with it).
  if (!textFinished) return;
  if (index >= Count() || servers_[std::size_t(index)].key != key) index = IndexOf(key);
  if (Server(index) && Server(index)->Transport.get() == transport)
    ReleaseTransport(index);
}

bool TServerStash::TakeDatagram(TServer& server, TkorvUDP& transport, QByteArrayView datagram) {
  const int elapsed = transport.ElapsedPing();
  if (ProtocolOf(server) == TQueryProtocol::Text) {
    // Datagrams after the end of the reply, or without a query, are not read: a server that
    // keeps sending would otherwise complete the record again and again.
    if (!(server.RepliesAsked & rpTextFinal) || (server.RepliesSeen & rpTextFinal)) return false;
    int mark = transport.ReplyInProgress();
    // Each datagram is logged as text; without a listener that copy is skipped.
    TLogFunction log;
    if (isSignalConnected(QMetaMethod::fromSignal(&TServerStash::OnLog)))
      log = [this](int level, const QString& text) { Q_EMIT OnLog(level, text); };
    server.ReplyComplete = ParseTextDatagram(server, datagram, mark, elapsed, log);
    transport.SetReplyInProgress(mark);
    return server.ReplyComplete;
  }
  if (!ParsesBinaryReplies(server.Game())) {
    server.ReplyComplete = false;
    return false;
  }

  // Each kind of reply is read only when it was asked for in this query. Server information
  // comes once (it resets the record and asks for the rest, so a repeat would ask again); rules
  // and players may be split over several datagrams, and a further one counts when it adds.
  const int type = BinaryReplyType(datagram);
  const std::uint8_t part = type == brInfo ? rpInfo
                            : type == brRules ? rpRules
                            : type == brPlayers ? rpPlayers
                                                : 0;
  if (!(server.RepliesAsked & part)) return false;
  if (part == rpInfo && (server.RepliesSeen & rpInfo)) return false;
  const bool first = !(server.RepliesSeen & part);
  const TBinaryParseResult result = ParseBinaryReply(server, datagram, elapsed);
  if (result.requestDetails) {
    transport.SetReplyInProgress(1);
    server.RepliesAsked |= rpRules | rpPlayers;
    SendRequest(server, BinaryRequest(server.QueryVersion, brRules));
    SendRequest(server, BinaryRequest(server.QueryVersion, brPlayers));
  }
  if (!result.complete) {
    server.ReplyComplete = false;
    return false;
  }
  return first || result.added > 0;
}

void TServerStash::HandleResolved(const QString& key, const QString& hostIP) {
  TServer* server = Find(key);
  if (!server || hostIP.isEmpty()) return;
  server->SetIP(hostIP);
  if (server->Transport) server->Transport->SetRemoteHost(hostIP);
  // Queried while its name was being resolved: it is asked now, within the same reply wait.
  if (awaitingAddress_.remove(key.toLower())) QueryServer(key);
}

void TServerStash::ClearServers(bool keepFavorites) {
  std::vector<TEntry> kept;
  for (auto& entry : servers_)
    if (keepFavorites && entry.server->Favorite) kept.push_back(std::move(entry));
  servers_ = std::move(kept);
  RebuildIndex();
}

void TServerStash::ClearServersOfGame(const QString& variant) {
  std::vector<TEntry> kept;
  for (auto& entry : servers_)
    if (entry.server->Favorite || entry.server->FromLan ||
        entry.server->Game().compare(variant, Qt::CaseInsensitive) != 0)
      kept.push_back(std::move(entry));
  servers_ = std::move(kept);
  RebuildIndex();
}

int TServerStash::ClearServersOfGameExcept(const QString& variant,
                                           const QSet<QString>& keptLowerKeys) {
  return ClearServersOfGameExceptWhere(
      variant, [&](const QString& key) { return keptLowerKeys.contains(key.toLower()); });
}

int TServerStash::ClearServersOfGameExceptWhere(
    const QString& variant, const std::function<bool(const QString& key)>& keep) {
  std::vector<TEntry> kept;
  for (auto& entry : servers_)
    if (entry.server->Favorite || entry.server->FromLan ||
        entry.server->Game().compare(variant, Qt::CaseInsensitive) != 0 || keep(entry.key))
      kept.push_back(std::move(entry));
  const int gone = int(servers_.size() - kept.size());
  servers_ = std::move(kept);
  if (gone > 0) RebuildIndex();
  return gone;
}

void TServerStash::QuerySocketWaiters() {
  socketWaitersDue_ = false;
  while (!awaitingSocket_.empty()) {
    const QString key = awaitingSocket_.front();
    awaitingSocket_.pop_front();
    awaitingSocketKeys_.remove(key.toLower());
    if (QueryServer(key) == TQuerySent::NoSocket) {
      // Still none free: it keeps its place at the head of the queue.
      awaitingSocket_.pop_back();
      awaitingSocket_.push_front(key);
      return;
    }
  }
}

void TServerStash::DeleteServer(int index) {
  if (index < 0 || index >= Count()) return;
  servers_.erase(servers_.begin() + index);
  RebuildIndex();
}

void TServerStash::TakeAsFavorite(int index, const QString& description,
                                  const QString& autoUpdate) {
  TServer* server = Server(index);
  if (!server || server->Favorite) return;
  reportedNames_.insert(Key(index).toLower(), server->Description());
  server->Favorite = true;
  server->SetDescription(description);
  server->SetAutoUpdateDescription(autoUpdate);
}

void TServerStash::DropFavorite(int index) {
  TServer* server = Server(index);
  if (!server || !server->Favorite) return;
  server->Favorite = false;
  server->SetAutoUpdateDescription(QStringLiteral("True"));
  if (const auto name = reportedNames_.constFind(Key(index).toLower());
      name != reportedNames_.cend()) {
    server->SetDescription(*name);
    reportedNames_.erase(name);
  }
}

void TServerStash::ResetServer(int index, bool clearOnline) {
  TServer* server = Server(index);
  if (!server) return;
  if (server->Transport) server->Transport->SetReplyInProgress(1);
  server->ResetValues(clearOnline);
}

bool TServerStash::MoveServer(int index, const QString& host, int port) {
  TServer* server = Server(index);
  if (!server || port < 1 || port > 65535) return false;
  const QString key = KeyOf(host, port);
  const int holder = IndexOf(key);
  if (holder >= 0 && holder != index) return false;
  awaitingAddress_.remove(Key(index).toLower());
  ResetServer(index, true);
  server->Port = port;
  if (server->Transport) server->Transport->SetRemotePort(port);
  if (IsDottedAddress(host)) {
    server->SetIP(host);
    server->SetDNSName({});
    if (server->Transport) {
      server->Transport->SetRemoteHost(host);
      server->Transport->SetServerName({});
    }
  } else {
    server->SetDNSName(host);
    server->SetIP({});
    if (server->Transport) {
      server->Transport->SetRemoteHost({});
      server->Transport->SetServerName(host);
    }
  }
  servers_[index].key = key;
  servers_[index].handle = ++lastHandle_;  // another server to whoever kept the old handle
  if (server->Transport) server->Transport->Tag = key;
  RebuildIndex();
  if (!IsDottedAddress(host)) {
    if (!server->Resolver) CreateResolver(*server, key);
    server->Resolver->Tag = key;
    server->Resolver->SetAddress({});  // forget the old answer
    server->Resolver->SetAddress(host);
    server->Resolver->Ping();
  }
  return true;
}

void TServerStash::ReleaseTransport(int index) {
  TServer* server = Server(index);
  if (!server) return;
  awaitingAddress_.remove(Key(index).toLower());
  if (!server->Transport) return;
  server->Transport->CloseSocket();
  server->Transport->SetReplyReceiver(nullptr);
  released_.push_back(std::move(server->Transport));
  if (!releasedSweep_.isActive()) releasedSweep_.start();
  if (!awaitingSocket_.empty() && !socketWaitersDue_) {
    // The socket closes now; the waiting queries go out once the releasing caller is done.
    socketWaitersDue_ = true;
    QTimer::singleShot(0, this, &TServerStash::QuerySocketWaiters);
  }
}

void TServerStash::NormalizePings(const QString& gameType) {
  const auto inScope = [&](const TServer& s) {
    return gameType.isEmpty() || s.GameType().compare(gameType, Qt::CaseInsensitive) == 0;
  };
  int first = 0;
  bool found = false;
  for (const auto& entry : servers_) {
    int ping = 0;
    if (inScope(*entry.server) && PingCounts(*entry.server, ping) && ping >= 1) {
      first = ping;
      found = true;
      break;
    }
  }
  if (!found) return;
  const double factor = PingScale(first);
  if (factor == 1.0) return;
  for (auto& entry : servers_) {
    int ping = 0;
    if (inScope(*entry.server) && PingCounts(*entry.server, ping) && ping > 0)
      entry.server->SetPing(QString::number(qint64(std::nearbyint(ping * factor))));
  }
}

int TServerStash::FindPlayerInStash(QString& name, bool exact, int& serverIndex,
                                    int& slotStart) const {
  int start = serverIndex < 0 ? -1 : slotStart;
  for (int i = std::max(serverIndex, 0); i < Count(); ++i, start = -1) {
    QString found = name;
    int next = start;
    if (!servers_[i].server->FindPlayer(found, next, exact)) continue;
    name = found;
    serverIndex = next < 0 ? i + 1 : i;
    slotStart = next;
    return i;
  }
  serverIndex = -1;
  slotStart = -1;
  return -1;
}

int TServerStash::FindServerByDescription(QString& name, int start, bool exact) const {
  if (name.isEmpty()) return -1;
  const QString wanted = name.toLower();
  for (int i = std::max(start, 0); i < Count(); ++i) {
    const QString description = PlainName(servers_[i].server->Description());
    if (exact ? description.compare(name, Qt::CaseInsensitive) == 0
              : description.toLower().contains(wanted)) {
      if (!exact) name = description;
      return i + 1;
    }
  }
  return -1;
}

int TServerStash::FindServerByMap(QString& mapName, int start, bool exact) const {
  if (mapName.isEmpty()) return -1;
  const QString wanted = AsciiLower(mapName);
  for (int i = std::max(start, 0); i < Count(); ++i) {
    const QString map = servers_[i].server->MapName();
    if (exact ? AsciiLower(map) == wanted : AsciiLower(map).contains(wanted)) {
      if (!exact) mapName = map;
      return i + 1;
    }
  }
  return -1;
}

QString TServerStash::Key(int index) const {
  return index >= 0 && index < Count() ? servers_[index].key : QString();
}

quint32 TServerStash::Handle(int index) const {
  return index >= 0 && index < Count() ? servers_[index].handle : 0;
}

TServer* TServerStash::Server(int index) const {
  return index >= 0 && index < Count() ? servers_[index].server.get() : nullptr;
}

TServer* TServerStash::Find(const QString& key) const { return Server(IndexOf(key)); }

int TServerStash::IndexOf(const QString& key) const {
  // The key of the server being reported shares its text with the stored one: same text, so
  // the same server, without hashing it.
  if (reported_ >= 0 && reported_ < Count()) {
    const QString& stored = servers_[std::size_t(reported_)].key;
    if (stored.constData() == key.constData() && stored.size() == key.size()) return reported_;
  }
  // Keys of dotted addresses (nearly all) are lower case already: no copy.
  return index_.value(key.isLower() ? key : key.toLower(), -1);
}

void TServerStash::RebuildIndex() {
  index_.clear();
  index_.reserve(Count());
  for (int i = 0; i < Count(); ++i) index_.insert(servers_[i].key.toLower(), i);
  // Waiting queries and kept names of servers that are gone (or moved) go with them.
  awaitingAddress_.removeIf([this](const QString& key) { return !index_.contains(key); });
  reportedNames_.removeIf([this](const auto& name) { return !index_.contains(name.key()); });
  std::erase_if(awaitingSocket_, [this](const QString& key) { return !index_.contains(key.toLower()); });
  awaitingSocketKeys_.removeIf([this](const QString& key) { return !index_.contains(key); });
}

}  // namespace zorvane
