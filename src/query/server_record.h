// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The record of one known server, with its 32 player slots and 200 setting slots. Every value
// is text, as it came off the wire or after the vocabulary conversions.
//
// The texts live in three packed blocks (the record's own fields, all its players, all its
// settings): a stash holds tens of thousands of these, and most of the 32 x 8 player texts and
// 200 x 2 setting texts are empty.

#include <QString>
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "query/packed_slot_texts.h"
#include "query/packed_texts.h"

namespace zorvane {

class TkorvUDP;
class TkorvPing;

// Text fields of TServer, in record order, grouped by what a reset does to them.
#define ZORVANE_IDENTITY_TEXTS(X) \
  X(Game)                         \
  X(IP)                           \
  X(DNSName)                      \
  X(AutoUpdateDescription)        \
  X(Ping)                         \
  X(GameTypeName)                 \
  X(Description)

// Status values; a reset empties all but GameType.
#define ZORVANE_STATUS_TEXTS(X) \
  X(HostPort)                   \
  X(MapName)                    \
  X(GameType)                   \
  X(NumPlayers)                 \
  X(MaxPlayers)                 \
  X(GameMode)                   \
  X(GameVer)                    \
  X(MinNetVer)                  \
  X(WorldLog)                   \
  X(Location)                   \
  X(WantWorldLog)

#define ZORVANE_RULE_TEXTS(X) \
  X(AdminName)                \
  X(AdminEMail)               \
  X(BotSkill)                 \
  X(MinPlayers)               \
  X(ChangeLevels)             \
  X(FragLimit)                \
  X(Mutators)                 \
  X(Password)                 \
  X(ListenServer)             \
  X(TimeLimit)                \
  X(Tournament)               \
  X(GoalTeamScore)            \
  X(MaxTeams)                 \
  X(BalanceTeams)             \
  X(PlayerBalanceTeams)       \
  X(FriendlyFire)             \
  X(UseTranslocator)          \
  X(NoMonsters)               \
  X(NoCheating)               \
  X(GameSpeed)                \
  X(TimeSeconds)              \
  X(ForceRespawn)             \
  X(AirControl)               \
  X(NoTeamChanges)            \
  X(RemainingTime)            \
  X(MultiWeaponStay)

#define ZORVANE_SERVER_TEXTS(X) \
  ZORVANE_IDENTITY_TEXTS(X)     \
  ZORVANE_STATUS_TEXTS(X)       \
  ZORVANE_RULE_TEXTS(X)

enum class TServerText : std::uint8_t {
#define ZORVANE_ENUM(name) name,
  ZORVANE_SERVER_TEXTS(ZORVANE_ENUM)
#undef ZORVANE_ENUM
      Count
};

inline constexpr std::size_t kServerTextCount = std::size_t(TServerText::Count);
inline constexpr int kPlayerSlots = 32;
inline constexpr int kSettingSlots = 200;
inline constexpr const char* kNoReplyPing = "9999";
inline constexpr const char* kAwaitedPing = "...";

// Field names as the record writes them ("Game", "IP", ... "MultiWeaponStay").
const char* ServerTextName(TServerText field);

struct RPlayer {
  QString Name, Frags, Ping, Team, Mesh, Skin, Face, NGSecret;
  bool operator==(const RPlayer&) const = default;
};

enum class TPlayerField : std::uint8_t { Name, Frags, Ping, Team, Mesh, Skin, Face, NGSecret };
inline constexpr std::size_t kPlayerFieldCount = 8;
const char* PlayerFieldName(TPlayerField field);

struct RSetting {
  QString Name, Value;
  bool operator==(const RSetting&) const = default;
};

// Replies of one query: those asked for (RepliesAsked) and those that have arrived
// (RepliesSeen). Sending a query starts both afresh; a reset clears RepliesSeen.
enum TReplyPart : std::uint8_t {
  rpTextFinal = 1,  // text protocol: the datagram with "\final\"
  rpInfo = 2,       // binary protocol: server information
  rpRules = 4,
  rpPlayers = 8,
};

class TServer {
 public:
  TServer();
  ~TServer();
  TServer(const TServer&) = delete;
  TServer& operator=(const TServer&) = delete;

  // Texts by field.
  QString Text(TServerText f) const { return texts_.Get(std::size_t(f)); }
  QByteArrayView TextLatin1(TServerText f) const { return texts_.Latin1(std::size_t(f)); }
  bool TextEmpty(TServerText f) const { return texts_.IsEmpty(std::size_t(f)); }
  void SetText(TServerText f, const QString& v) { texts_.Set(std::size_t(f), v); }
  void SetTextLatin1(TServerText f, QByteArrayView v) { texts_.SetLatin1(std::size_t(f), v); }
  // Sets the given fields at once (a reply sets dozens; one rebuild instead of one each).
  using TTextBatch = std::array<std::optional<QByteArrayView>, kServerTextCount>;
  void SetTextsLatin1(const TTextBatch& values) { texts_.SetLatin1Many(values); }
  using TTextList = std::array<std::optional<QStringView>, kServerTextCount>;
  void SetTexts(const TTextList& values) { texts_.SetMany(values); }

#define ZORVANE_ACCESSORS(name)                                         \
  QString name() const { return Text(TServerText::name); }              \
  void Set##name(const QString& v) { SetText(TServerText::name, v); }
  ZORVANE_SERVER_TEXTS(ZORVANE_ACCESSORS)
#undef ZORVANE_ACCESSORS

  // Player slots 0..31; a slot is in use when its Name is non-empty.
  RPlayer Player(int slot) const;
  QString PlayerText(int slot, TPlayerField f) const;
  // The stored bytes of a Latin-1 player text; empty for an empty or a UTF-8 one.
  QByteArrayView PlayerTextLatin1(int slot, TPlayerField f) const;
  bool PlayerInUse(int slot) const;
  void SetPlayer(int slot, const RPlayer& player);
  void SetPlayerText(int slot, TPlayerField f, QStringView v);
  void SetPlayerTextLatin1(int slot, TPlayerField f, QByteArrayView v);
  using TPlayerBatch = std::array<std::optional<QByteArrayView>, kPlayerFieldCount>;
  void SetPlayerTextsLatin1(int slot, const TPlayerBatch& values);
  // The given fields of the touched slots at once (one rebuild for a whole reply's players).
  void SetPlayersLatin1(const std::array<TPlayerBatch, kPlayerSlots>& values,
                        const std::bitset<kPlayerSlots>& touched) {
    players_.SetLatin1Slots(values, touched);
  }
  void ClearPlayers();
  // Whether slot's Name equals the Latin-1 name, ignoring case.
  bool PlayerNamed(int slot, QByteArrayView latin1) const;

  // Setting slots 0..199, filled from 0; a slot is free when name and value are both empty.
  RSetting Setting(int slot) const;
  // The stored bytes of a setting's Latin-1 name (value: false) or value (true); empty for an
  // empty or a UTF-8 text.
  QByteArrayView SettingLatin1(int slot, bool value) const;
  bool SettingFree(int slot) const;
  int FirstFreeSetting() const;  // -1 when all 200 are taken
  void SetSetting(int slot, QStringView name, QStringView value);
  void SetSettingLatin1(int slot, QByteArrayView name, QByteArrayView value);
  // Slots that may be in use (the rest are free); iterate 0..SettingSlotsUsed()-1.
  int SettingSlotsUsed() const { return settings_.Slots(); }
  // Whether slot holds this Latin-1 name and value, ignoring case.
  bool SettingIs(int slot, QByteArrayView name, QByteArrayView value) const;
  void ClearSettings();

  // NumPlayers non-empty and not "0", or any named player slot.
  bool HasPlayers() const;

  // Searches the player slots from start (-1 counts as 0). Exact: whole name, ignoring case.
  // Otherwise a lower-cased part of the name, and name becomes the slot's full name. On a match
  // at slot i, start becomes i + 1 (or -1 after slot 31); without one it becomes -1.
  bool FindPlayer(QString& name, int& start, bool exact) const;
  bool FindPlayer(QString& name, int& start, bool exact, int& foundSlot) const;

  // Empties the values a fresh reply fills (Ping to "9999", ReplyMark -1); the identity
  // fields, Description, GameType and GameTypeName stay. With clearOnline the online and
  // population flags are cleared too. The record is no longer one from the cache.
  void ResetValues(bool clearOnline);
  // The same with the given texts (a reply's first values) written in the same rebuild.
  void ResetValues(bool clearOnline, const TTextBatch& replies);

  // The texts as the record keeps them (raw bytes, UTF-8 or Latin-1), for the server cache:
  // written out and read back without a conversion. Slots count as in SettingSlotsUsed().
  TPackedValue RawText(TServerText f) const { return texts_.Raw(std::size_t(f)); }
  int PlayerSlotsUsed() const { return players_.Slots(); }
  TPackedValue RawPlayerText(int slot, TPlayerField f) const {
    return players_.Raw(slot, std::size_t(f));
  }
  TPackedValue RawSettingText(int slot, bool value) const { return settings_.Raw(slot, value); }
  void AssignRawTexts(const std::array<TPackedValue, kServerTextCount>& values) {
    texts_.Assign(values);
  }
  // slots x 8 player values (at most 32 slots), slots x 2 setting values (name, value; at most
  // 200 slots); other counts change nothing.
  void AssignRawPlayers(int slots, std::span<const TPackedValue> values);
  void AssignRawSettings(int slots, std::span<const TPackedValue> values);

  // Heap bytes held by the texts of this record (for the memory figures).
  std::size_t TextHeapBytes() const;

  // Non-text fields, in record order.
  quint8 QueryVersion = 0;
  std::unique_ptr<TkorvUDP> Transport;
  std::unique_ptr<TkorvPing> Resolver;
  qint32 ReResolvePending = 0;
  bool RetriedOnce = false;
  qint32 Port = 0;
  qint32 ReplyMark = 0;
  bool CameOnline = false;
  bool Online = false;
  bool BecamePopulated = false;
  bool Populated = false;
  bool Favorite = false;
  bool ReplyComplete = false;
  std::uint8_t RepliesSeen = 0;   // TReplyPart bits
  std::uint8_t RepliesAsked = 0;  // TReplyPart bits; replies of other kinds are ignored
  // Listed from the cache of the last session and not asked since: shown marked as not yet
  // refreshed. The next reply (or the reset of a silent server) clears it.
  bool FromCache = false;
  // Found by this session's last LAN search: listed on the LAN tab, never written to the
  // server cache, and left alone when a master list replaces its game's servers.
  bool FromLan = false;

 private:
  TPackedTexts<kServerTextCount> texts_;
  TPackedSlotTexts<kPlayerFieldCount> players_;
  TPackedSlotTexts<2> settings_;
};

}  // namespace zorvane
