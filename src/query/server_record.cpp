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
  const auto& p = players_;
  return RPlayer{p.Get(slot, 0), p.Get(slot, 1), p.Get(slot, 2), p.Get(slot, 3),
                 p.Get(slot, 4), p.Get(slot, 5), p.Get(slot, 6), p.Get(slot, 7)};
}

QString TServer::PlayerText(int slot, TPlayerField f) const {
  return ValidSlot(slot, kPlayerSlots) ? players_.Get(slot, std::size_t(f)) : QString();
}

QByteArrayView TServer::PlayerTextLatin1(int slot, TPlayerField f) const {
  return ValidSlot(slot, kPlayerSlots) ? players_.Latin1(slot, std::size_t(f)) : QByteArrayView();
}

bool TServer::PlayerInUse(int slot) const {
  return ValidSlot(slot, kPlayerSlots) && !players_.IsEmpty(slot, 0);
}

void TServer::SetPlayer(int slot, const RPlayer& player) {
  if (!ValidSlot(slot, kPlayerSlots)) return;
  players_.SetMany(slot, {player.Name, player.Frags, player.Ping, player.Team, player.Mesh,
                          player.Skin, player.Face, player.NGSecret});
}

void TServer::SetPlayerText(int slot, TPlayerField f, QStringView v) {
  if (ValidSlot(slot, kPlayerSlots)) players_.Set(slot, std::size_t(f), v);
}

void TServer::SetPlayerTextLatin1(int slot, TPlayerField f, QByteArrayView v) {
  if (!ValidSlot(slot, kPlayerSlots) || std::size_t(f) >= kPlayerFieldCount) return;
  TPlayerBatch values;
  values[std::size_t(f)] = v;
  players_.SetLatin1Many(slot, values);
}

bool TServer::PlayerNamed(int slot, QByteArrayView latin1) const {
  return PlayerInUse(slot) && players_.SameAs(slot, 0, latin1);
}

bool TServer::SettingIs(int slot, QByteArrayView name, QByteArrayView value) const {
  return ValidSlot(slot, SettingSlotsUsed()) && settings_.SameAs(slot, 0, name) &&
         settings_.SameAs(slot, 1, value);
}

void TServer::SetPlayerTextsLatin1(int slot, const TPlayerBatch& values) {
  if (ValidSlot(slot, kPlayerSlots)) players_.SetLatin1Many(slot, values);
}

void TServer::ClearPlayers() { players_.Clear(); }

QByteArrayView TServer::SettingLatin1(int slot, bool value) const {
  return ValidSlot(slot, SettingSlotsUsed()) ? settings_.Latin1(slot, value ? 1 : 0)
                                             : QByteArrayView();
}

RSetting TServer::Setting(int slot) const {
  if (!ValidSlot(slot, SettingSlotsUsed())) return {};
  return RSetting{settings_.Get(slot, 0), settings_.Get(slot, 1)};
}

bool TServer::SettingFree(int slot) const { return settings_.SlotEmpty(slot); }

int TServer::FirstFreeSetting() const {
  for (int i = 0; i < SettingSlotsUsed(); ++i)
    if (settings_.SlotEmpty(i)) return i;
  return SettingSlotsUsed() < kSettingSlots ? SettingSlotsUsed() : -1;
}

// Writing a setting slot claims it (and those before it) even with empty texts: the used count
// only grows until the settings are cleared.
void TServer::SetSetting(int slot, QStringView name, QStringView value) {
  if (ValidSlot(slot, kSettingSlots)) settings_.SetMany(slot, {name, value}, true);
}

void TServer::SetSettingLatin1(int slot, QByteArrayView name, QByteArrayView value) {
  if (ValidSlot(slot, kSettingSlots)) settings_.SetLatin1Many(slot, {name, value}, true);
}

void TServer::ClearSettings() { settings_.Clear(); }

void TServer::AssignRawPlayers(int slots, std::span<const TPackedValue> values) {
  if (slots >= 0 && slots <= kPlayerSlots) players_.Assign(slots, values);
}

void TServer::AssignRawSettings(int slots, std::span<const TPackedValue> values) {
  if (slots >= 0 && slots <= kSettingSlots) settings_.Assign(slots, values);
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
    const QString slotName = PlainName(players_.Get(i, 0));
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

void TServer::ResetValues(bool clearOnline) { ResetValues(clearOnline, TTextBatch{}); }

void TServer::ResetValues(bool clearOnline, const TTextBatch& replies) {
  ReplyMark = -1;
  FromCache = false;
  RepliesSeen = 0;
  TTextBatch values;
#define ZORVANE_EMPTY(name) values[std::size_t(TServerText::name)] = QByteArrayView();
  ZORVANE_STATUS_TEXTS(ZORVANE_EMPTY)
  ZORVANE_RULE_TEXTS(ZORVANE_EMPTY)
#undef ZORVANE_EMPTY
  // GameType survives a reset: it decides the tab a server is listed on.
  values[std::size_t(TServerText::GameType)].reset();
  values[std::size_t(TServerText::Ping)] = QByteArrayView(kNoReplyPing);
  for (std::size_t f = 0; f < kServerTextCount; ++f)
    if (replies[f]) values[f] = replies[f];
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
  return texts_.HeapBytes() + players_.HeapBytes() + settings_.HeapBytes();
}

}  // namespace zorvane
