// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/farm/farm_options.h"

#include <algorithm>
#include <cmath>

namespace zorvane::farm {

namespace {

bool ReadWhole(const QString& text, qint64 low, qint64 high, qint64& value) {
  bool ok = false;
  value = text.toLongLong(&ok);
  return ok && value >= low && value <= high;
}

// "PORT[:FIRST-LAST][:FAULT]".
bool ReadMasterSpec(const QString& text, TFarmMasterSpec& spec) {
  const QStringList parts = text.split(u':');
  qint64 number = 0;
  if (parts.size() > 3 || !ReadWhole(parts[0], 1, 65535, number)) return false;
  spec.port = int(number);
  for (qsizetype i = 1; i < parts.size(); ++i) {
    const QStringList range = parts[i].split(u'-');
    qint64 first = 0, last = 0;
    if (range.size() == 2 && ReadWhole(range[0], 0, 65534, first) &&
        ReadWhole(range[1], first, 65534, last)) {
      spec.first = int(first);
      spec.last = int(last);
    } else if (MasterFaults().contains(parts[i]) && spec.fault.isEmpty()) {
      spec.fault = parts[i];
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

QStringList MasterFaults() {
  return {"cut", "half", "names", "huge", "endless", "silent", "trickle"};
}

std::vector<TFarmMasterSpec> TFarmOptions::AllMasters() const {
  std::vector<TFarmMasterSpec> all;
  if (masterPort != 0) all.push_back({masterPort, 0, -1, masterFault});
  all.insert(all.end(), masters.begin(), masters.end());
  return all;
}

QString FarmUsage() {
  return QStringLiteral(
      "usage: zorvane-farm [--ut N] [--ut2004 M] [--base-port P] [--master-port Q]\n"
      "                    [--beacon-port B] [--lan-port L] [--silent FRACTION] [--seed S]\n"
      "                    [--life SECONDS] [--master-fault FAULT]\n"
      "                    [--master PORT[:FIRST-LAST][:FAULT]]... [--daily-pattern]\n"
      "Serves N UT and M UT2004 game servers on 127.0.0.1 UDP ports P, P+1, ... (UT first,\n"
      "default P 17778) and a master server listing the UT servers on TCP port Q (default\n"
      "28900, 0 for none). For a LAN search, the first ten UT servers that answer take beacon\n"
      "ports from B to B+9 (default 8777) and every UT2004 server hears UDP port L (default\n"
      "10777); 0 turns either off, and ports another program holds are left out. FRACTION\n"
      "(0 to 1) of the servers never answer. S seeds the content. Runs until interrupted, or\n"
      "for SECONDS. --master-fault makes the master misbehave (FAULT below). Each --master\n"
      "runs one more master on TCP PORT, listing the servers FIRST to LAST (counted from 0\n"
      "across the farm, UT first; all when absent), misbehaving as FAULT when given.\n"
      "FAULT: cut (the list's last third and its end left out), half (the first half, then\n"
      "the close), names (a name after every address), huge (a million entries), endless (a\n"
      "greeting without end), silent (no greeting ever), trickle (a byte every 20 ms).\n"
      "--daily-pattern makes the players follow the local time of day, busiest from 20:00 to\n"
      "23:00, changing by a player from minute to minute, and the map every 20 minutes.\n");
}

bool ParseFarmOptions(const QStringList& arguments, TFarmOptions& options, QString& error) {
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& name = arguments[i];
    if (name == u"--help" || name == u"-h") {
      options.help = true;
      continue;
    }
    if (name == u"--daily-pattern") {
      options.dailyPattern = true;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      error = name.startsWith(u"--") ? name + QStringLiteral(" needs a value")
                                     : QStringLiteral("unknown argument ") + name;
      return false;
    }
    const QString& value = arguments[++i];
    qint64 number = 0;
    bool ok = true;
    if (name == u"--ut") {
      ok = ReadWhole(value, 0, 65535, number);
      options.ut = int(number);
    } else if (name == u"--ut2004") {
      ok = ReadWhole(value, 0, 65535, number);
      options.ut2004 = int(number);
    } else if (name == u"--base-port") {
      ok = ReadWhole(value, 1, 65535, number);
      options.basePort = int(number);
    } else if (name == u"--master-port") {
      ok = ReadWhole(value, 0, 65535, number);
      options.masterPort = int(number);
    } else if (name == u"--beacon-port") {
      ok = ReadWhole(value, 0, 65535, number);
      options.beaconPort = int(number);
    } else if (name == u"--lan-port") {
      ok = ReadWhole(value, 0, 65535, number);
      options.lanPort = int(number);
    } else if (name == u"--life") {
      ok = ReadWhole(value, 0, 365 * 24 * 3600, number);
      options.lifeSeconds = int(number);
    } else if (name == u"--seed") {
      options.seed = value.toULongLong(&ok);
    } else if (name == u"--master-fault") {
      ok = MasterFaults().contains(value);
      options.masterFault = value;
    } else if (name == u"--master") {
      TFarmMasterSpec spec;
      ok = ReadMasterSpec(value, spec);
      options.masters.push_back(spec);
    } else if (name == u"--silent") {
      options.silent = value.toDouble(&ok);
      ok = ok && std::isfinite(options.silent) && options.silent >= 0 && options.silent <= 1;
    } else {
      error = QStringLiteral("unknown argument ") + name;
      return false;
    }
    if (!ok) {
      error = QStringLiteral("bad value for ") + name + QStringLiteral(": ") + value;
      return false;
    }
  }
  std::vector<int> ports;
  for (const TFarmMasterSpec& master : options.AllMasters()) {
    if (std::find(ports.begin(), ports.end(), master.port) != ports.end()) {
      error = QStringLiteral("two masters on TCP port %1").arg(master.port);
      return false;
    }
    ports.push_back(master.port);
  }
  if (options.LastPort() > 65535) {
    error = QStringLiteral("%1 servers from port %2 run past port 65535")
                .arg(options.Count())
                .arg(options.basePort);
    return false;
  }
  return true;
}

}  // namespace zorvane::farm
