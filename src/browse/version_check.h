// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Asks a web host over plain HTTP for "/quorra.txt" and reports the version it names after
// "zorvaneversion=" when that is newer than the program's own. One request, the first read of
// the answer only, and the whole exchange bounded by a one-shot timer (60 s); a time-out, a
// malformed answer or a failed connection end it without a word.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <optional>

namespace zorvane {

inline constexpr const char* kVersionPath = "/quorra.txt";
inline constexpr const char* kVersionKey = "zorvaneversion=";

struct TVersionHost {
  QString name;    // to connect to
  quint16 port;    // 80 unless "HOST:PORT" names another
  QString header;  // the Host header: the setting as written
};

// "HOST" or "HOST:PORT" (blanks around it ignored); nothing for an empty setting or a port
// that is no number in 1..65535.
std::optional<TVersionHost> ParseVersionHost(const QString& setting);

// "GET /quorra.txt HTTP/1.1", CR LF, "Host: " + host header, CR LF CR LF; nothing else.
QByteArray VersionRequest(const QString& hostHeader);

// The up to 4 characters after the first "zorvaneversion=" (letter case matters) when they are
// digits and dots, save for a line end or blanks after them ("3.0\r" gives "3.0"); empty when
// the key is missing or anything else follows it ("zzzz", "2.9x", bytes above 127).
QString VersionInReply(const QByteArray& reply);

// Plain character-by-character comparison: "2.95" is newer than "2.91", "10.0" and "2.9" are
// not.
bool IsNewerVersion(const QString& version, const QString& own);

class TVersionCheck : public QObject {
  Q_OBJECT
 public:
  static constexpr int kBoundMs = 60000;

  // own: the version to compare against (the program's).
  explicit TVersionCheck(QString own, QObject* parent = nullptr);

  // Starts a check against the host setting (see ParseVersionHost); false, and nothing
  // started, without a usable host. A check still running is closed first.
  bool StartVersionCheck(const QString& hostSetting);
  // Ends a running check at once (the debug menu's close item).
  void CloseVersionCheck();
  bool Running() const { return timVersionCheck_.isActive(); }

  // Tests shorten the bound.
  void SetBoundMs(int ms) { timVersionCheck_.setInterval(ms); }
  QTimer& BoundTimer() { return timVersionCheck_; }

 Q_SIGNALS:
  // A newer version was named.
  void OnNewVersion(const QString& version);
  // A line for the debug log.
  void OnDebug(const QString& text);
  // The check is over, whatever its outcome.
  void OnEnded();

 private:
  void Connected();
  void FirstRead();
  void End();

  QString own_;
  QString hostHeader_;
  QTcpSocket sokVersion_;
  QTimer timVersionCheck_;
};

}  // namespace zorvane
