// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one cache of every known server: adds servers, sends their status queries over each
// server's own transport, reads the replies of both protocols into the records, and reports
// every completed server through OnServerUpdated.
//
// What a query sends: one request (text protocol), or the information request and, once its
// reply is in, one rules and one players request (binary protocol); never more, whatever the
// server sends back.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "query/host_lookup.h"
#include "query/kernel_stamps.h"
#include "query/server_record.h"
#include "query/shared_udp_port.h"
#include "query/socket_watcher.h"
#include "query/udp_transport.h"

namespace zorvane {

class TQueryBurst;

// What became of one status query.
enum class TQuerySent {
  Sent,
  AwaitingAddress,  // the server's name is still being resolved: it is sent once resolved
  NoSocket,         // no socket could be had: it is sent once a released transport frees one
  NotSent,          // unknown key, no protocol for the variant, or the send failed
};

class TServerStash : public QObject, private TReplyReceiver {
  Q_OBJECT
 public:
  explicit TServerStash(QObject* parent = nullptr);
  ~TServerStash() override;

  // Local UDP port every new transport binds to; 0 lets the system choose per socket.
  int LocalPort = 0;
  const QByteArray& StatusQuery() const { return statusQuery_; }

  // Adds a server under the key host ":" port. True when a new server was added, or an
  // existing one became a favourite (taking the description and auto-update flag given, as
  // TakeAsFavorite). A port that is not a number from 1 to 65535 is not added (and logged).
  // The server's socket is created by its first query.
  bool AddServer(const QString& host, const QString& port, const QString& gameTypeName,
                 bool favorite, const QString& game, const QString& autoUpdateDescription,
                 const QString& description);
  // Takes a whole record (one read back from the server cache) under host ":" port, host being
  // its DNS name or else its IP; a name without an IP is looked up. False, and the record
  // dropped, for a port out of range, no host, or a key the stash holds already (a favourite
  // stays the one server it is).
  bool AdoptServer(std::unique_ptr<TServer> server);
  // Sends the status query of one server. A server whose name is not resolved yet is queried
  // when its address arrives; one that cannot get a socket when a transport is released.
  TQuerySent QueryServer(const QString& key);
  // Every paced burst of queries runs here, one at a time.
  TQueryBurst& Bursts() { return *bursts_; }
  void ClearServers(bool keepFavorites);
  // Every server of the game variant that is neither a favourite nor found by a LAN search
  // goes (a new master list).
  void ClearServersOfGame(const QString& variant);
  // ... but those whose lower-cased keys are kept; returns how many went.
  int ClearServersOfGameExcept(const QString& variant, const QSet<QString>& keptLowerKeys);
  // ... but those whose keys keep says to keep.
  int ClearServersOfGameExceptWhere(const QString& variant,
                                    const std::function<bool(const QString& key)>& keep);
  void DeleteServer(int index);
  // A listed server becomes a favourite with the user's description and auto-update flag;
  // the name it reported is kept for DropFavorite.
  void TakeAsFavorite(int index, const QString& description, const QString& autoUpdate);
  // A favourite is one no more (it stays listed): its description follows its replies again
  // ("True"), starting from the name it reported before TakeAsFavorite, when it was listed.
  void DropFavorite(int index);
  void ResetServer(int index, bool clearOnline);
  // Moves a server to a new address in place (an edited favourite): its key becomes
  // host ":" port, its reply data is reset with the online flags cleared, and a DNS name is
  // looked up afresh. False for an unknown index, a port out of range or a key another server
  // holds.
  bool MoveServer(int index, const QString& host, int port);
  // Closes and frees the server's transport once its replies are no longer awaited (the end
  // of a reply wait): an idle transport would hold a socket and a kilobyte or more for
  // nothing. The next query creates a fresh one. Safe inside the transport's own signal.
  // A query still waiting for the server's address is dropped; the socket freed goes to a
  // server waiting for one.
  void ReleaseTransport(int index);
  // Looks a server's DNS name up afresh (a silent server may have moved): its address is
  // forgotten until the resolver reports the new one.
  void ReResolve(int index);
  // Scales all pings (of one game type, or all when empty) by one factor when a burst has
  // pushed the first ping of the list to 1000 ms or more.
  void NormalizePings(const QString& gameType);

  // Steps through every player match in turn. serverIndex -1 starts from the beginning; returns
  // the index of the server matched, or -1 (and serverIndex -1) when nothing more matches.
  int FindPlayerInStash(QString& name, bool exact, int& serverIndex, int& slotStart) const;
  // Next start index (found + 1) or -1; without exact the found text replaces the argument.
  int FindServerByDescription(QString& name, int start, bool exact) const;
  int FindServerByMap(QString& mapName, int start, bool exact) const;

  int Count() const { return int(servers_.size()); }
  QString Key(int index) const;
  // A number that names the server while the stash lives: never given to another, and a new
  // one once the server moves to another key; 0 for an unknown index.
  quint32 Handle(int index) const;
  TServer* Server(int index) const;
  TServer* Find(const QString& key) const;
  int IndexOf(const QString& key) const;

  // Resolver used for servers added by name (tests replace it).
  void SetHostLookup(THostLookup lookup) { lookup_ = std::move(lookup); }
  // Look-ups of server names started and not answered yet, those of servers gone included. A
  // running look-up cannot be cancelled, and Qt waits for it when the application object goes:
  // a process that ends with one running ends without that wait (EndProcessNow).
  int HostLookupsRunning() const { return lookupsRunning_; }
  // A look-up through the stash's resolver, counted among those above (the masters' names).
  void LookUpHost(const QString& name, QObject* context, THostLookupDone done);

 Q_SIGNALS:
  // Raised for a datagram that completed something in the server's record: the end of a text
  // reply, the first information, rules or players reply of a binary query, a further rules or
  // players datagram that added entries, or a refused query. Datagrams that complete nothing
  // (part of a text reply, a reply not asked for in this query, a repeat that adds nothing,
  // junk) raise nothing, so a wait for replies may restart on this event alone: per query a
  // server raises it once per kind of reply and once per datagram that stores a new one of
  // the 200 settings or 32 players, and no more.
  void OnServerUpdated(const QString& key);
  void OnLog(int level, const QString& text);

 private:
  struct TEntry {
    QString key;
    std::unique_ptr<TServer> server;
    quint32 handle = 0;
  };

  // The transport carries the server's key (Tag) and index (TagIndex), so a reply finds its
  // record without building the key again, and nearly always without a look-up.
  bool CreateTransport(TServer& server, const QString& key, int index);
  // The index of the server whose transport is transport, or -1.
  int IndexOfTransport(const TkorvUDP& transport);
  void CreateResolver(TServer& server, const QString& key);
  void TransportReply(TkorvUDP* transport, const QByteArray& buffer, int length) override;
  // Reads one datagram into the record; true when it completed something (see OnServerUpdated).
  bool TakeDatagram(TServer& server, TkorvUDP& transport, QByteArrayView datagram);
  void HandleResolved(const QString& key, const QString& hostIP);
  void SendRequest(TServer& server, const QByteArray& request);
  void RebuildIndex();
  void QuerySocketWaiters();

  // Requests one query may send: the status or info request, then rules and players.
  static constexpr int kMaxRequestsPerQuery = 3;

  QByteArray statusQuery_;
  std::vector<TEntry> servers_;
  QHash<QString, int> index_;  // lower-cased key -> position in servers_
  // The server whose OnServerUpdated is going out, or -1: the listeners look it up by the key
  // they were given, which IndexOf recognises by its shared text without a hash look-up.
  int reported_ = -1;
  quint32 lastHandle_ = 0;
  // Lower-cased key -> the name a listed server reported before it became a favourite.
  QHash<QString, QString> reportedNames_;
  THostLookup lookup_;
  int lookupsRunning_ = 0;
  QSet<QString> awaitingAddress_;        // lower-cased keys queried before their name resolved
  std::deque<QString> awaitingSocket_;   // keys queried when no socket could be had, in order
  QSet<QString> awaitingSocketKeys_;     // the same, lower-cased, to queue each once
  bool socketWaitersDue_ = false;
  // Released transports, destroyed together once the callers that released them are done (a
  // transport may be released from inside its own reply): one timer for all of them rather
  // than a posted deletion each.
  std::vector<std::unique_ptr<TkorvUDP>> released_;
  QTimer releasedSweep_;
  std::unique_ptr<TQueryBurst> bursts_;
  TKernelStampKeeper kernelStamps_;
  // Watches every transport's socket; a child, so it outlives the records and their transports.
  TSocketWatcher* watcher_;
  // The few sockets the transports share (each is watched by watcher_); a child made after it.
  TSharedUdpPorts* ports_;
};

}  // namespace zorvane
