// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Finding installed games. On Linux the games run under Wine, whose registry is a text file:
// the root of file classes is "Software\\Classes" in $WINEPREFIX/system.reg, and Windows
// drives map to folders through $WINEPREFIX/dosdevices.

#include <QHash>
#include <QString>

namespace zorvane {

class TWineRegistry {
 public:
  // The prefix of $WINEPREFIX, else ~/.wine.
  static QString DefaultPrefix();

  explicit TWineRegistry(QString prefix);

  // Reads system.reg; false when it is missing or unreadable (nothing is then found).
  bool Load();
  // Parses the text of system.reg (the file is UTF-8 in new Wine versions, Latin-1 in old).
  void Parse(const QByteArray& text);

  // The default value of a key under the root of file classes ("" when missing).
  QString ClassesDefault(const QString& key) const;

  // "C:\Games\UnrealTournament\System\" -> the folder on this machine, through the prefix's
  // drive links, resolving each part ignoring case as Windows does. Empty when the drive is
  // unknown.
  QString ToLocalPath(const QString& windowsPath) const;

 private:
  QString prefix_;
  QHash<QString, QString> defaults_;  // lower-cased key path -> default value
};

}  // namespace zorvane
