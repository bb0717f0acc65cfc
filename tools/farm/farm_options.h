// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Command line of zorvane-farm.

#include <QString>
#include <QStringList>

namespace zorvane::farm {

struct TFarmOptions {
  int ut = 100;
  int ut2004 = 0;
  int basePort = 17778;    // UDP query port of the first UT server; UT2004 servers follow them
  int masterPort = 28900;  // TCP; 0 runs no master
  int beaconPort = 8777;   // UDP: the first of the UT servers' ten beacon ports; 0 for none
  int lanPort = 10777;     // UDP: the port where UT2004 servers hear a LAN search; 0 for none
  double silent = 0.0;     // share of servers that never answer
  quint64 seed = 1;
  int lifeSeconds = 0;  // 0 runs until stopped
  // How the master misbehaves, for tests of the client: "" none, "cut" (the list without its
  // end), "names" (a name after every address), "huge" (a million entries), "endless" (a
  // greeting without end).
  QString masterFault;
  bool help = false;

  int Count() const { return ut + ut2004; }
  int LastPort() const { return basePort + Count() - 1; }
};

// Reads the arguments after the program name. False with a message on the first bad one.
bool ParseFarmOptions(const QStringList& arguments, TFarmOptions& options, QString& error);

QString FarmUsage();

}  // namespace zorvane::farm
