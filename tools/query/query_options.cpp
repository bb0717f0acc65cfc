// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/query_options.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "browse/game_variant_list.h"
#include "query/lan_discovery.h"
#include "query/master_query.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

bool AllDigits(QStringView text) {
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

// Plain decimal only: "+5", " 5" or "0x10" are typos worth reporting, not numbers.
bool ReadNumber(QStringView text, int min, int max, int& value) {
  if (!AllDigits(text) || text.size() > 9) return false;
  const int n = text.toInt();
  if (n < min || n > max) return false;
  value = n;
  return true;
}

bool ValidDottedAddress(QStringView host) {
  const auto parts = host.split(u'.');
  if (parts.size() != 4) return false;
  for (QStringView part : parts) {
    int octet = 0;
    if (part.size() > 3 || !ReadNumber(part, 0, 255, octet)) return false;
  }
  return true;
}

bool ValidHostName(QStringView host) {
  if (host.size() > 253) return false;
  for (QStringView label : host.split(u'.')) {
    if (label.isEmpty() || label.size() > 63) return false;
    for (QChar c : label) {
      const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                      (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
      if (!ok) return false;
    }
  }
  return true;
}

bool OnlyDigitsAndPoints(QStringView host) {
  for (QChar c : host)
    if (c != u'.' && (c < u'0' || c > u'9')) return false;
  return true;
}

// Only regular files of a sane size: a FIFO, a device or an endless file would be read until
// memory runs out.
bool ReadListFile(const QString& path, const QString& game, std::vector<TQueryTarget>& targets,
                  QString& error) {
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) {
    error = QStringLiteral("cannot read server list '%1': not a regular file").arg(path);
    return false;
  }
  if (info.size() > kMaxListFileBytes) {
    error = QStringLiteral("cannot read server list '%1': larger than %2 MiB")
                .arg(path).arg(kMaxListFileBytes >> 20);
    return false;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    error = QStringLiteral("cannot read server list '%1': %2").arg(path, file.errorString());
    return false;
  }
  // The file may have grown since it was looked at: never read past the limit, and hold a
  // buffer of the file's size rather than of the limit.
  const QByteArray bytes = file.read(std::min<qint64>(file.size(), kMaxListFileBytes + 1));
  if (bytes.size() > kMaxListFileBytes) {
    error = QStringLiteral("cannot read server list '%1': larger than %2 MiB")
                .arg(path).arg(kMaxListFileBytes >> 20);
    return false;
  }
  return ParseServerList(QString::fromUtf8(bytes), game, path, targets, error);
}

QStringList KnownVariants() {
  QStringList variants;
  FillGameVariantList(variants, 0);
  variants << QStringLiteral("Unreal 2 XMP");
  return variants;
}

}  // namespace

std::optional<QString> CanonicalVariant(const QString& name) {
  for (const QString& variant : KnownVariants())
    if (variant.compare(name, Qt::CaseInsensitive) == 0) return variant;
  return std::nullopt;
}

QString UnknownVariantText(const QString& name) {
  return QStringLiteral("unknown game variant '%1' (known: %2)")
      .arg(name, KnownVariants().join(QStringLiteral(", ")));
}

QString QueryUsage() {
  return QStringLiteral(
      "usage: zorvane-query [--game VARIANT] [--list FILE] [--query-power N] [--wait MS]\n"
      "                     [--local-port N] [--json] [--lan [--broadcast ADDR]...]\n"
      "                     [HOST:PORT ...]\n"
      "  --game VARIANT    variant of the servers that follow: UT (default), UT2003 Demo,\n"
      "                    UT2003, UT2004 Demo, UT2004, Unreal 2 XMP\n"
      "  --list FILE       read \"HOST:PORT [VARIANT]\" lines; '#' starts a comment line\n"
      "                    (a regular file of at most 64 MiB)\n"
      "  --query-power N   pacing of the query burst (default 3, 0 never pauses)\n"
      "  --wait MS         stop after MS milliseconds without a reply (default 1000)\n"
      "  --local-port N    local UDP port to query from (default: any)\n"
      "  --json            one JSON object per server, then a summary line\n"
      "  --dir DIR         folder of zorvane.ini and utGameType.ini (read only)\n"
      "  --favorites       query the favourites stored in that folder\n"
      "  --master HOST[:PORT]  fetch the server list of the --game given before it (UT,\n"
      "                    UT2004 or UT2003) from a master server (port 28900 when\n"
      "                    absent) and query every server on it; repeatable, every\n"
      "                    master is asked at once and each server listed once\n"
      "  --default-masters ask the game's masters from the settings of --dir, or without\n"
      "                    --dir the built-in community masters\n"
      "  --lan             search the local network for servers and query those found;\n"
      "                    it asks the addresses of \"lanAddresses\" in the settings file of\n"
      "                    --dir, or when that is blank every interface's broadcast address\n"
      "  --broadcast ADDR  ask this IPv4 address instead (repeatable)\n"
      "  --beacon-port N   first of the ten UT beacon ports asked (default 8777, 0: none)\n"
      "  --lan-port N      UT2004's LAN server port asked (default 10777, 0: none)\n"
      "  --lan-wait MS     how long the search listens (default \"lanSearchWait\", 2000)\n"
      "  --history DIR HOST:PORT  print that server's samples from the server history of the\n"
      "                    settings folder DIR as JSON, without changing the folder\n"
      "Exit status: 0 done (with masters: at least one gave a whole list), 1 no master\n"
      "gave a usable list, 2 bad arguments, 3 the masters' lists were all cut off or\n"
      "failed (the servers named are queried and printed).\n");
}

bool ParseServerKey(const QString& text, TQueryTarget& target, QString& error) {
  const auto fail = [&](const QString& why) {
    error = QStringLiteral("malformed server key '%1': %2").arg(text, why);
    return false;
  };
  const qsizetype colon = text.indexOf(u':');
  if (colon < 0) return fail(QStringLiteral("expected HOST:PORT"));
  if (text.indexOf(u':', colon + 1) >= 0) return fail(QStringLiteral("more than one ':'"));
  const QStringView host = QStringView(text).first(colon);
  const QStringView port = QStringView(text).sliced(colon + 1);
  if (host.isEmpty()) return fail(QStringLiteral("no host"));
  // Digits and points only is an address attempt; the stash would take "1.2.3" for a name.
  if (OnlyDigitsAndPoints(host) ? !ValidDottedAddress(host) : !ValidHostName(host))
    return fail(QStringLiteral("bad host"));
  int portNumber = 0;
  if (!ReadNumber(port, 1, 65535, portNumber))
    return fail(QStringLiteral("the port is not a number from 1 to 65535"));
  target.Host = host.toString();
  target.Port = portNumber;
  return true;
}

bool ParseServerList(const QString& text, const QString& defaultGame, const QString& source,
                     std::vector<TQueryTarget>& targets, QString& error) {
  const QStringList lines = text.split(u'\n');
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString line = lines[i].trimmed();
    if (line.isEmpty() || line.startsWith(u'#')) continue;
    qsizetype blank = 0;
    while (blank < line.size() && !line[blank].isSpace()) ++blank;
    TQueryTarget target;
    const QString game = line.sliced(blank).trimmed();
    QString lineError;
    if (!ParseServerKey(line.first(blank), target, lineError)) {
      // reported below
    } else if (game.isEmpty()) {
      target.Game = defaultGame;
    } else if (const auto variant = CanonicalVariant(game)) {
      target.Game = *variant;
    } else {
      lineError = UnknownVariantText(game);
    }
    if (!lineError.isEmpty()) {
      error = QStringLiteral("%1:%2: %3").arg(source).arg(i + 1).arg(lineError);
      return false;
    }
    targets.push_back(target);
  }
  return true;
}

bool ParseQueryOptions(const QStringList& arguments, TQueryOptions& options, QString& error) {
  QString game = QString::fromLatin1(kDefaultGame);
  bool serversGiven = false;  // an empty list file is fine, no list and no key is not
  bool masterGiven = false;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    const auto value = [&](QString& out) {
      if (i + 1 >= arguments.size()) {
        error = QStringLiteral("option %1 needs an argument").arg(arg);
        return false;
      }
      out = arguments[++i];
      return true;
    };
    const auto number = [&](int min, int max, int& out) {
      QString text;
      if (!value(text)) return false;
      if (ReadNumber(text, min, max, out)) return true;
      error = QStringLiteral("option %1 needs a number from %2 to %3, not '%4'")
                  .arg(arg).arg(min).arg(max).arg(text);
      return false;
    };

    if (arg == u"--game") {
      if (!value(game)) return false;
      const auto variant = CanonicalVariant(game.trimmed());
      if (!variant) {
        error = QStringLiteral("option --game: ") + UnknownVariantText(game.trimmed());
        return false;
      }
      game = *variant;
    } else if (arg == u"--list") {
      QString path;
      if (!value(path) || !ReadListFile(path, game, options.Targets, error)) return false;
      serversGiven = true;
    } else if (arg == u"--query-power") {
      if (!number(0, 1000000, options.QueryPower)) return false;
    } else if (arg == u"--wait") {
      if (!number(0, 86400000, options.WaitMs)) return false;
    } else if (arg == u"--local-port") {
      if (!number(0, 65535, options.LocalPort)) return false;
    } else if (arg == u"--dir") {
      if (!value(options.Dir)) return false;
    } else if (arg == u"--master" || arg == u"--default-masters") {
      if (arg == u"--master") {
        QString master;
        if (!value(master)) return false;
        if (!ParseMasterAddress(master)) {
          error = QStringLiteral("option --master needs HOST or HOST:PORT, not '%1'").arg(master);
          return false;
        }
        options.Masters << master.trimmed();
      } else {
        options.DefaultMasters = true;
      }
      if (!MasterGameOfVariant(game)) {
        error = QStringLiteral("option %1: no master lists %2 servers").arg(arg, game);
        return false;
      }
      if (masterGiven && options.MasterGame != game) {
        error = QStringLiteral("option %1: every master must follow the same --game").arg(arg);
        return false;
      }
      masterGiven = true;
      options.MasterGame = game;
      serversGiven = true;
    } else if (arg == u"--lan") {
      options.Lan = true;
      serversGiven = true;
    } else if (arg == u"--broadcast") {
      QString address;
      if (!value(address)) return false;
      QStringList rejected;
      if (ParseLanAddresses(address, &rejected).size() != 1 || !rejected.isEmpty()) {
        error = QStringLiteral("option --broadcast needs one dotted IPv4 address, not '%1'")
                    .arg(address);
        return false;
      }
      options.Broadcast << address.trimmed();
    } else if (arg == u"--beacon-port") {
      if (!number(0, 65535, options.BeaconPort)) return false;
    } else if (arg == u"--lan-port") {
      if (!number(0, 65535, options.LanPort)) return false;
    } else if (arg == u"--lan-wait") {
      if (!number(0, 600000, options.LanWaitMs)) return false;
    } else if (arg == u"--history") {
      if (!value(options.HistoryDir)) return false;
      if (!QFileInfo(options.HistoryDir).isDir()) {
        error = QStringLiteral("option --history: '%1' is not a folder").arg(options.HistoryDir);
        return false;
      }
    } else if (arg == u"--favorites") {
      options.Favorites = true;
      serversGiven = true;
    } else if (arg == u"--json") {
      options.Json = true;
    } else if (arg == u"--help" || arg == u"-h") {
      options.Help = true;
    } else if (arg.startsWith(u'-')) {
      error = QStringLiteral("unknown option %1").arg(arg);
      return false;
    } else {
      TQueryTarget target;
      target.Game = game;
      if (!ParseServerKey(arg, target, error)) return false;
      options.Targets.push_back(target);
      serversGiven = true;
    }
  }
  if (!options.Dir.isEmpty() && !options.Help && !QFileInfo(options.Dir).isDir()) {
    error = QStringLiteral("option --dir: '%1' is not a folder").arg(options.Dir);
    return false;
  }
  if (!options.Lan && !options.Broadcast.isEmpty()) {
    error = QStringLiteral("option --broadcast needs --lan");
    return false;
  }
  if (options.Lan && options.MassRefresh()) {
    error = QStringLiteral("options --lan and --master cannot be combined");
    return false;
  }
  if (!options.HistoryDir.isEmpty() &&
      (options.Targets.size() != 1 || options.Lan || options.Favorites ||
       options.MassRefresh())) {
    error = QStringLiteral("option --history needs exactly one HOST:PORT and nothing to query");
    return false;
  }
  if (!serversGiven && !options.Help) {
    error = QStringLiteral("no servers given (HOST:PORT, --list FILE or --lan; --help for usage)");
    return false;
  }
  return true;
}

}  // namespace zorvane
