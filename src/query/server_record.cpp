// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/server_record.h"

#include <algorithm>

#include "query/network_text.h"
#include "query/ping.h"
#include "query/udp_transport.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

bool ValidSlot(int slot, int count) { return slot >= 0 && slot < count; }


}  // namespace

const char* ServerTextName(TServerText field) {
  static constexpr const char* kNames[] = {
#define ZORVANE_NAME(name) #name,
      ZORVANE_SERVER_TEXTS(ZORVANE_NAME)
#undef ZORVANE_NAME
  };
  return kNames[std::size_t(field)];
}

const char* PlayerFieldName(TPlayerField field) {
  static constexpr const char* kNames[] = {"Name", "Frags", "Ping",
                                           "Team", "Mesh", "Skin", "Face", "NGSecret"};
  return kNames[std::size_t(field)];
}

TServer::TServer() { SetPing(QLatin1String(kNoReplyPing)); }

TServer::~TServer() = default;

RPlayer TServer::Player(int slot) const {
  if (!ValidSlot(slot, kPlayerSlots)) return {};
  const auto& p = players_[slot];
  return RPlayer{p.Get(0), p.Get(1), p.Get(2), p.Get(3), p.Get(4), p.Get(5), p.Get(6), p.Get(7)};
}

QString TServer::PlayerText(int slot, TPlayerField f) const {
  return ValidSlot(slot, kPlayerSlots) ? players_[slot].Get(std::size_t(f)) : QString();
}

bool TServer::PlayerInUse(int slot) const {
  return ValidSlot(slot, kPlayerSlots) && !players_[slot].IsEmpty(0);
}

void TServer::SetPlayer(int slot, const RPlayer& player) {
  if (!ValidSlot(slot, kPlayerSlots)) return;
  const QString* values[] = {&player.Name, &player.Frags, &player.Ping, &player.Team,
                             &player.Mesh, &player.Skin,  &player.Face, &player.NGSecret};
  for (std::size_t i = 0; i < kPlayerFieldCount; ++i) players_[slot].Set(i, *values[i]);
}

void TServer::SetPlayerText(int slot, TPlayerField f, QStringView v) {
  if (ValidSlot(slot, kPlayerSlots)) players_[slot].Set(std::size_t(f), v);
}

void TServer::SetPlayerTextLatin1(int slot, TPlayerField f, QByteArrayView v) {
  if (ValidSlot(slot, kPlayerSlots)) players_[slot].SetLatin1(std::size_t(f), v);
}

bool TServer::PlayerNamed(int slot, QByteArrayView latin1) const {
  return PlayerInUse(slot) && players_[slot].SameAs(0, latin1);
}

bool TServer::SettingIs(int slot, QByteArrayView name, QByteArrayView value) const {
  return ValidSlot(slot, SettingSlotsUsed()) && settings_[slot].SameAs(0, name) &&
         settings_[slot].SameAs(1, value);
}

void TServer::SetPlayerTextsLatin1(int slot, const TPlayerBatch& values) {
  if (ValidSlot(slot, kPlayerSlots)) players_[slot].SetLatin1Many(values);
}

void TServer::ClearPlayers() {
  for (auto& p : players_) p.Clear();
}

RSetting TServer::Setting(int slot) const {
  if (!ValidSlot(slot, SettingSlotsUsed())) return {};
  return RSetting{settings_[slot].Get(0), settings_[slot].Get(1)};
}

bool TServer::SettingFree(int slot) const {
  return !ValidSlot(slot, SettingSlotsUsed()) || settings_[slot].AllEmpty();
}

int TServer::FirstFreeSetting() const {
  for (int i = 0; i < SettingSlotsUsed(); ++i)
    if (settings_[i].AllEmpty()) return i;
  return SettingSlotsUsed() < kSettingSlots ? SettingSlotsUsed() : -1;
}

void TServer::SetSetting(int slot, QStringView name, QStringView value) {
  if (!ValidSlot(slot, kSettingSlots)) return;
  if (slot >= SettingSlotsUsed()) settings_.resize(slot + 1);
  settings_[slot].Set(0, name);
  settings_[slot].Set(1, value);
}

void TServer::SetSettingLatin1(int slot, QByteArrayView name, QByteArrayView value) {
  if (!ValidSlot(slot, kSettingSlots)) return;
  if (slot >= SettingSlotsUsed()) settings_.resize(slot + 1);
  settings_[slot].SetLatin1Many({name, value});
}

void TServer::ClearSettings() {
  settings_.clear();
  settings_.shrink_to_fit();
}

bool TServer::HasPlayers() const {
  const QByteArrayView numPlayers = TextLatin1(TServerText::NumPlayers);
  if (!TextEmpty(TServerText::NumPlayers) && numPlayers != "0") return true;
  for (int i = 0; i < kPlayerSlots; ++i)
    if (PlayerInUse(i)) return true;
  return false;
}

bool TServer::FindPlayer(QString& name, int& start, bool exact) const {
  int slot = -1;
  return FindPlayer(name, start, exact, slot);
}

bool TServer::FindPlayer(QString& name, int& start, bool exact, int& foundSlot) const {
  const QString wanted = exact ? name : AsciiLower(name);
  foundSlot = -1;
  // An empty search text would match every slot (or every empty one); it finds nothing.
  for (int i = std::max(start, 0); !wanted.isEmpty() && i < kPlayerSlots; ++i) {
    if (!PlayerInUse(i)) continue;
    const QString slotName = PlainName(players_[i].Get(0));
    const bool match = exact ? slotName.compare(wanted, Qt::CaseInsensitive) == 0
                             : AsciiLower(slotName).contains(wanted);
    if (!match) continue;
    if (!exact) name = slotName;
    foundSlot = i;
    start = i == kPlayerSlots - 1 ? -1 : i + 1;
    return true;
  }
  start = -1;
  return false;
}

void TServer::ResetValues(bool clearOnline) {
  ReplyMark = -1;
  RepliesSeen = 0;
  TTextBatch values;
#define ZORVANE_EMPTY(name) values[std::size_t(TServerText::name)] = QByteArrayView();
  ZORVANE_STATUS_TEXTS(ZORVANE_EMPTY)
  ZORVANE_RULE_TEXTS(ZORVANE_EMPTY)
#undef ZORVANE_EMPTY
  // GameType survives a reset: it decides the tab a server is listed on.
  values[std::size_t(TServerText::GameType)].reset();
  values[std::size_t(TServerText::Ping)] = QByteArrayView(kNoReplyPing);
  SetTextsLatin1(values);
  ClearPlayers();
  ClearSettings();
  if (clearOnline) {
    CameOnline = false;
    Online = false;
    BecamePopulated = false;
    Populated = false;
  }
}

std::size_t TServer::TextHeapBytes() const {
  std::size_t bytes = texts_.HeapBytes() + settings_.capacity() * sizeof(settings_[0]);
  for (const auto& p : players_) bytes += p.HeapBytes();
  for (const auto& s : settings_) bytes += s.HeapBytes();
  return bytes;
}

}  // namespace zorvane
