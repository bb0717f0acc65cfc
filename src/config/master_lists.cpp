// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/master_lists.h"

#include "config/ini_document.h"
#include "config/ini_utils.h"
#include "config/settings.h"

namespace zorvane {

namespace {

const QString kSection = QStringLiteral("masterServers");

bool AllDigits(QStringView text) {
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

// Digits without a leading zero, up to max.
bool Number(QStringView text, int maxDigits, int max) {
  if (!AllDigits(text) || text.size() > maxDigits || (text.size() > 1 && text[0] == u'0'))
    return false;
  return text.toInt() <= max;
}

bool DottedAddress(QStringView host) {
  const auto parts = host.split(u'.');
  if (parts.size() != 4) return false;
  for (QStringView part : parts)
    if (!Number(part, 3, 255)) return false;
  return true;
}

bool HostName(QStringView host) {
  if (host.isEmpty() || host.size() > 253) return false;
  for (QStringView label : host.split(u'.')) {
    if (label.isEmpty() || label.size() > 63 || label.front() == u'-' || label.back() == u'-')
      return false;
    for (QChar c : label)
      if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
            c == u'-'))
        return false;
  }
  return true;
}

// "utMaster", "ut2004Master", "ut2003Master".
QString KeyPrefix(const QString& variant) {
  return variant.toLower() + QStringLiteral("Master");
}

bool SameMaster(const QString& a, const QString& b) {
  const auto first = ParseMasterAddress(a), second = ParseMasterAddress(b);
  return first && second && first->port == second->port &&
         first->host.compare(second->host, Qt::CaseInsensitive) == 0;
}

QStringList ValidEntries(const QStringList& entries) {
  QStringList valid;
  for (const QString& entry : entries)
    if (ValidMasterEntry(entry)) valid << entry.trimmed();
  return valid;
}

}  // namespace

QStringList DefaultMasterList(const QString& variant) {
  QStringList masters;
  const TMasterGame* game = MasterGameOfVariant(variant);
  if (!game) return masters;
  for (const TCommunityMaster& master : kCommunityMasters)
    if (QString::fromLatin1(master.gameNames)
            .split(u' ')
            .contains(QLatin1StringView(game->gameName)))
      masters << QString::fromLatin1(master.host);
  return masters;
}

bool ValidMasterEntry(const QString& entry) {
  const QStringView text = QStringView(entry).trimmed();
  const qsizetype colon = text.indexOf(u':');
  const QStringView host = colon < 0 ? text : text.first(colon);
  if (colon >= 0) {
    const QStringView port = text.sliced(colon + 1);
    if (!Number(port, 5, 65535) || port.toInt() == 0) return false;
  }
  // Digits and points only is an address; a name never ends in a number alone.
  const bool numeric = std::all_of(host.begin(), host.end(),
                                   [](QChar c) { return c == u'.' || (c >= u'0' && c <= u'9'); });
  return numeric ? DottedAddress(host) : HostName(host) && !AllDigits(host.split(u'.').back());
}

QString MasterListProblem(const QStringList& entries) {
  int given = 0;
  for (const QString& entry : entries) {
    if (entry.trimmed().isEmpty()) continue;
    ++given;
    if (!ValidMasterEntry(entry))
      return QStringLiteral("\"%1\" is not a master server's address: give a host name or an "
                            "IPv4 address, and a port after a colon if it is not 28900.")
          .arg(entry.trimmed());
  }
  return given == 0 ? QStringLiteral("Give at least one master server.") : QString();
}

QString MasterEntryProblem(const QStringList& list, const QString& entry) {
  if (entry.trimmed().isEmpty()) return QStringLiteral("Type a master server's address first.");
  QString problem = MasterListProblem({entry});
  if (!problem.isEmpty()) return problem;
  for (const QString& held : list)
    if (SameMaster(held, entry))
      return QStringLiteral("\"%1\" is in the list already.").arg(entry.trimmed());
  return QString();
}

TMasterAddresses MasterAddressesOf(const QStringList& entries) {
  TMasterAddresses addresses;
  for (const QString& entry : entries)
    if (ValidMasterEntry(entry))
      if (const auto address = ParseMasterAddress(entry)) addresses.push_back(*address);
  return addresses;
}

TMasterLists MasterListsOf(const std::map<QString, QStringList>& lists) {
  TMasterLists masters;
  for (const auto& [variant, entries] : lists) masters[variant] = MasterAddressesOf(entries);
  return masters;
}

void LoadMasterLists(const TIniDocument& ini, TSettings& s) {
  const QString single = s.masterServer.trimmed();
  const bool oldDefault =
      !ValidMasterEntry(single) || SameMaster(single, QString::fromLatin1(kDefaultMasterHost));
  for (const TMasterGame& game : kMasterGames) {
    const QString variant = QString::fromLatin1(game.variant);
    const QString prefix = KeyPrefix(variant);
    const QStringList stored = ValidEntries(ReadIndexedEntries(
        ini, kSection, prefix, SafeReadInteger(ini, kSection, prefix + QStringLiteral("Count"), 0)));
    QStringList& list = s.masterLists[variant];
    if (variant == u"UT" && !oldDefault && !(!stored.isEmpty() && SameMaster(single, stored[0])))
      list = {single};
    else if (!stored.isEmpty())
      list = stored;
    else if (!oldDefault && !ini.SectionExists(kSection))
      list = {single};  // a file from before the lists: its master was every game's
    else
      list = DefaultMasterList(variant);
  }
  s.masterServer = s.masterLists[QStringLiteral("UT")].value(0, single);
}

void SaveMasterLists(TIniDocument& ini, const TSettings& s) {
  ini.EraseSection(kSection);
  for (const TMasterGame& game : kMasterGames) {
    const QString variant = QString::fromLatin1(game.variant);
    const QString prefix = KeyPrefix(variant);
    const auto found = s.masterLists.find(variant);
    const QStringList list = found == s.masterLists.end() ? QStringList() : found->second;
    ini.WriteInteger(kSection, prefix + QStringLiteral("Count"), list.size());
    for (int i = 0; i < list.size(); ++i)
      ini.WriteString(kSection, prefix + u'[' + QString::number(i) + u']', list[i]);
  }
}

void SetMasterList(TSettings& s, const QString& variant, const QStringList& entries) {
  const TMasterGame* game = MasterGameOfVariant(variant);
  if (!game) return;
  const QString name = QString::fromLatin1(game->variant);
  s.masterLists[name] = ValidEntries(entries);
  if (name == u"UT" && !s.masterLists[name].isEmpty()) s.masterServer = s.masterLists[name][0];
}

}  // namespace zorvane
