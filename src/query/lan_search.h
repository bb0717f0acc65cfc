// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One search for the game servers of the local network, run through the event loop: Start()
// sends the discovery datagrams (lan_discovery.h) from one socket and returns at once; answers
// are read as they arrive, each server found is reported once through OnServerFound, and
// WaitMs after the start OnSearchFinished ends the search. Answers are trusted no more than
// replies from the internet: one that names a port outside 1 to 65535 is dropped, each
// answering source (address and port) gives one server, its first valid answer, and nothing
// after it, and a search reports at most MaxServers servers.
//
// A window drives it in a few lines:
//   search.Addresses = settings.lanAddresses;
//   search.WaitMs = settings.lanSearchWait;
//   connect(&search, &TLanSearch::OnServerFound, this, [&](address, queryPort, variant) {
//     stash.AddServer(address, QString::number(queryPort), {}, false, variant, "True", {});
//     stash.QueryServer(address + ':' + QString::number(queryPort));
//   });
//   connect(&search, &TLanSearch::OnSearchFinished, this, ...);
//   search.Start();

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

#include "query/lan_discovery.h"

class QUdpSocket;

namespace zorvane {

class TLanSearch : public QObject {
  Q_OBJECT
 public:
  explicit TLanSearch(QObject* parent = nullptr);
  ~TLanSearch() override;

  // The "lanAddresses" text. Blank: the broadcast address of every IPv4 interface that is up.
  // Otherwise the addresses it names and no others: none at all when it names no valid one.
  QString Addresses;
  int WaitMs = kDefaultLanWaitMs;
  int BeaconPort = kUtBeaconPort;      // the first of the ten UT beacon ports; 0 asks no UT server
  int LanServerPort = kLanServerPort;  // 0 asks no UT2004 server
  int MaxServers = kMaxLanServers;

  // Sends the discovery datagrams and listens. A search still running ends first (with its
  // OnSearchFinished). False, with a log line, when no socket could be had.
  bool Start();
  // Ends a running search now, with its OnSearchFinished.
  void Stop();
  bool Running() const { return socket_ != nullptr; }
  // Servers reported by the running or last search, and answers it dropped.
  int Found() const { return found_; }
  int Dropped() const { return dropped_; }
  // Where the running or last search sent its datagrams.
  const std::vector<TLanDestination>& Destinations() const { return destinations_; }

  // How a datagram leaves; the default writes it to the search's socket. Tests record here.
  using TSend = std::function<bool(QUdpSocket& socket, const QByteArray& datagram,
                                   const QHostAddress& to, quint16 port)>;
  void SetSend(TSend send) { send_ = std::move(send); }
  // Where the interfaces' broadcast addresses come from (tests give their own).
  void SetInterfaceList(std::function<QList<QHostAddress>()> list) { interfaces_ = std::move(list); }

 Q_SIGNALS:
  // A server to query: its address (dotted IPv4), its query port and its game variant.
  void OnServerFound(const QString& address, int queryPort, const QString& variant);
  void OnSearchFinished(int found);
  void OnLog(int level, const QString& text);

 private:
  void ReadAnswers();
  void Take(const QHostAddress& from, quint16 fromPort, QByteArrayView datagram);
  void Finish();

  QUdpSocket* socket_ = nullptr;  // child; only while a search runs
  QTimer wait_;
  std::vector<TLanDestination> destinations_;
  QSet<quint64> answered_;  // sources that gave their server: address and port
  QSet<quint64> reported_;  // servers reported: address and query port
  int found_ = 0;
  int dropped_ = 0;
  TSend send_;
  std::function<QList<QHostAddress>()> interfaces_;
};

}  // namespace zorvane
