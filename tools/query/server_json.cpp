// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/server_json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string_view>
#include <vector>

#include "query/network_text.h"
#include "query/server_record.h"

namespace zorvane {

namespace {

constexpr char kHex[] = "0123456789abcdef";

// How a Latin-1 byte is written: as it is, after a backslash, as \u00XX (C0 controls, DEL and
// C1, a colour code's escape included), or as two bytes of UTF-8.
enum TByteKind : std::uint8_t { kPlain, kBackslashed, kEscaped, kTwoBytes };

constexpr std::array<std::uint8_t, 256> kByteKinds = [] {
  std::array<std::uint8_t, 256> kinds{};
  for (unsigned u = 0; u < 256; ++u) {
    if (u == '"' || u == '\\')
      kinds[u] = kBackslashed;
    else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
      kinds[u] = kEscaped;
    else if (u >= 0xA0)
      kinds[u] = kTwoBytes;
    else
      kinds[u] = kPlain;
  }
  return kinds;
}();

// Writes straight into the caller's buffer: room is made once per value for its longest
// possible form (six bytes a character), so no byte needs a check of its own. The buffer is cut
// back to what was written when the writer goes.
class TJsonOut {
 public:
  explicit TJsonOut(std::string& out) : out_(out), used_(out.size()) {}
  ~TJsonOut() { out_.resize(used_); }
  TJsonOut(const TJsonOut&) = delete;
  TJsonOut& operator=(const TJsonOut&) = delete;

  void Char(char c) { *Room(1) = c, ++used_; }
  void Bytes(const char* bytes, std::size_t size) {
    if (size) std::memcpy(Room(size), bytes, size);
    used_ += size;
  }
  void Bytes(std::string_view text) { Bytes(text.data(), text.size()); }
  void Number(qint64 value) {
    char* at = Room(24);
    used_ = std::size_t(std::to_chars(at, at + 24, value).ptr - out_.data());
  }
  void Latin1String(QByteArrayView latin1);
  void String(QStringView text);

 private:
  // Room for size more bytes. The buffer grows by a few pages at a time (a record's JSON is a
  // few kilobytes): what it grows by is filled with zeros first, so it must not be much.
  char* Room(std::size_t size) {
    if (out_.size() - used_ < size) out_.resize(used_ + std::max<std::size_t>(size, 8192));
    return out_.data() + used_;
  }
  static char* Escape(char* at, unsigned u) {
    const char escape[] = {'\\', 'u', '0', '0', kHex[(u >> 4) & 0xF], kHex[u & 0xF]};
    std::memcpy(at, escape, sizeof escape);
    return at + sizeof escape;
  }
  friend class TJsonObject;

  std::string& out_;
  std::size_t used_;  // bytes written; out_ may be longer while writing
};

void TJsonOut::Latin1String(QByteArrayView latin1) {
  const auto* p = reinterpret_cast<const uchar*>(latin1.data());
  const uchar* const end = p + latin1.size();
  char* const start = Room(6 * std::size_t(latin1.size()) + 2);
  char* at = start;
  *at++ = '"';
  while (p != end) {
    // Printable ASCII (nearly every byte) is copied as it is.
    const uchar* run = p;
    while (p != end && kByteKinds[*p] == kPlain) ++p;
    std::memcpy(at, run, std::size_t(p - run));
    at += p - run;
    if (p == end) break;
    const uchar u = *p++;
    switch (kByteKinds[u]) {
      case kBackslashed:
        *at++ = '\\';
        *at++ = char(u);
        break;
      case kEscaped:
        at = Escape(at, u);
        break;
      default:
        *at++ = char(0xC0 | (u >> 6));
        *at++ = char(0x80 | (u & 0x3F));
        break;
    }
  }
  *at++ = '"';
  used_ += std::size_t(at - start);
}

void TJsonOut::String(QStringView text) {
  // A UTF-16 unit gives at most six bytes (\u00XX; three of UTF-8, or four for a pair).
  char* const start = Room(6 * std::size_t(text.size()) + 2);
  char* at = start;
  *at++ = '"';
  const char16_t* p = text.utf16();
  const char16_t* const end = p + text.size();
  while (p != end) {
    const char16_t u = *p++;
    if (u < 0x100 && kByteKinds[u] != kTwoBytes) {
      if (kByteKinds[u] == kPlain) {
        *at++ = char(u);
      } else if (kByteKinds[u] == kBackslashed) {
        *at++ = '\\';
        *at++ = char(u);
      } else {
        at = Escape(at, u);
      }
      continue;
    }
    // The rest of the text above 0x9F as UTF-8.
    const char16_t* run = p - 1;
    while (p != end && *p >= 0xA0) ++p;
    const QByteArray utf8 = QStringView(run, p).toUtf8();
    std::memcpy(at, utf8.constData(), std::size_t(utf8.size()));
    at += utf8.size();
  }
  *at++ = '"';
  used_ += std::size_t(at - start);
}

// `, "Name": ` for the names of the record and its players, made once: a name after the first
// goes out with its separator in one copy.
class TJsonNames {
 public:
  template <typename TName>
  TJsonNames(std::size_t count, TName name) {
    for (std::size_t i = 0; i < count; ++i) Add(name(i));
  }
  std::string_view operator[](std::size_t i) const { return names_[i]; }

 private:
  void Add(const char* name) { names_.push_back(std::string(", \"") + name + "\": "); }
  std::vector<std::string> names_;
};

const TJsonNames& TextNames() {
  static const TJsonNames names(kServerTextCount,
                                [](std::size_t i) { return ServerTextName(TServerText(i)); });
  return names;
}

const TJsonNames& PlayerNames() {
  static const TJsonNames names(kPlayerFieldCount,
                                [](std::size_t i) { return PlayerFieldName(TPlayerField(i)); });
  return names;
}

class TJsonObject {
 public:
  explicit TJsonObject(TJsonOut& out) : out_(out) { out_.Char('{'); }
  ~TJsonObject() { out_.Char('}'); }

  void Text(std::string_view name, QStringView value) { Name(name).String(value); }
  // A record text, read in place when it is stored as Latin-1 (nearly always).
  void Text(const TServer& server, TServerText field) {
    Text(TextNames()[std::size_t(field)], server.TextLatin1(field),
         [&] { return server.Text(field); });
  }
  // Latin-1 bytes when there are some; otherwise the text that `wide` gives (an empty text
  // costs no allocation, a UTF-8 one is rare).
  template <typename TWide>
  void Text(std::string_view name, QByteArrayView latin1, TWide wide) {
    if (!latin1.isEmpty())
      Name(name).Latin1String(latin1);
    else
      Text(name, wide());
  }
  // The same without colour codes.
  template <typename TWide>
  void PlainText(std::string_view name, QByteArrayView latin1, TWide wide) {
    if (latin1.contains(char(kColourCodeMark)))
      Name(name).Latin1String(StripColourCodes(latin1));
    else if (!latin1.isEmpty())
      Name(name).Latin1String(latin1);
    else
      Text(name, PlainName(wide()));
  }
  void Number(std::string_view name, qint64 value) { Name(name).Number(value); }
  void Flag(std::string_view name, bool value) {
    Name(name).Bytes(value ? std::string_view("true") : std::string_view("false"));
  }
  // Names are our own identifiers: no escaping needed. Given as TJsonNames makes them, or as
  // a plain identifier.
  TJsonOut& Name(std::string_view name) {
    if (name.front() == ',') {
      out_.Bytes(first_ ? name.substr(2) : name);
      first_ = false;
    } else {
      if (!first_) out_.Bytes(", ", 2);
      first_ = false;
      out_.Char('"');
      out_.Bytes(name);
      out_.Bytes("\": ", 3);
    }
    return out_;
  }

 private:
  TJsonOut& out_;
  bool first_ = true;
};

void AppendPlayers(TJsonOut& out, const TServer& server) {
  out.Char('[');
  bool first = true;
  const TJsonNames& names = PlayerNames();
  for (int slot = 0; slot < kPlayerSlots; ++slot) {
    if (!server.PlayerInUse(slot)) continue;
    if (!first) out.Bytes(", ", 2);
    first = false;
    TJsonObject player(out);
    player.Number("Slot", slot);
    for (std::size_t f = 0; f < kPlayerFieldCount; ++f) {
      const auto field = TPlayerField(f);
      player.Text(names[f], server.PlayerTextLatin1(slot, field),
                  [&] { return server.PlayerText(slot, field); });
    }
    player.PlainText("PlainName", server.PlayerTextLatin1(slot, TPlayerField::Name),
                     [&] { return server.PlayerText(slot, TPlayerField::Name); });
  }
  out.Char(']');
}

void AppendSettings(TJsonOut& out, const TServer& server) {
  out.Char('[');
  bool first = true;
  for (int slot = 0; slot < server.SettingSlotsUsed(); ++slot) {
    if (server.SettingFree(slot)) continue;
    if (!first) out.Bytes(", ", 2);
    first = false;
    TJsonObject object(out);
    object.Text("Name", server.SettingLatin1(slot, false),
                [&] { return server.Setting(slot).Name; });
    object.Text("Value", server.SettingLatin1(slot, true),
                [&] { return server.Setting(slot).Value; });
  }
  out.Char(']');
}

QByteArray ToByteArray(const std::string& text) {
  return QByteArray(text.data(), qsizetype(text.size()));
}

}  // namespace

// Every control character (C0, DEL and C1, a colour code's escape included) is written as
// \u00XX, so no output can move a terminal's cursor or break a line.
void AppendJsonString(std::string& out, QStringView text) { TJsonOut(out).String(text); }

void AppendJsonLatin1(std::string& out, QByteArrayView latin1) {
  TJsonOut(out).Latin1String(latin1);
}

QByteArray JsonString(QStringView text) {
  std::string out;
  AppendJsonString(out, text);
  return ToByteArray(out);
}

QByteArray ServerJson(const QString& key, const TServer& server) {
  std::string out;
  AppendServerJson(out, key, server);
  return ToByteArray(out);
}

void AppendServerJson(std::string& out, const QString& key, const TServer& server) {
  using F = TServerText;
  TJsonOut writer(out);
  TJsonObject o(writer);
  o.Text("Key", key);
  o.Text(server, F::Game);
  o.Number("QueryVersion", server.QueryVersion);
  o.Number("ReResolvePending", server.ReResolvePending);
  o.Flag("RetriedOnce", server.RetriedOnce);
  o.Text(server, F::IP);
  o.Text(server, F::DNSName);
  o.Number("Port", server.Port);
  o.Text(server, F::AutoUpdateDescription);
  o.Text(server, F::Ping);
  o.Number("ReplyMark", server.ReplyMark);
  o.Flag("CameOnline", server.CameOnline);
  o.Flag("Online", server.Online);
  o.Flag("BecamePopulated", server.BecamePopulated);
  o.Flag("Populated", server.Populated);
  o.Flag("Favorite", server.Favorite);
  o.Flag("ReplyComplete", server.ReplyComplete);
  o.Number("RepliesSeen", server.RepliesSeen);
  o.Text(server, F::GameTypeName);
  o.Text(server, F::Description);
  o.PlainText("PlainDescription", server.TextLatin1(F::Description),
              [&] { return server.Description(); });
#define ZORVANE_JSON_TEXT(name) o.Text(server, F::name);
  ZORVANE_STATUS_TEXTS(ZORVANE_JSON_TEXT)
  ZORVANE_RULE_TEXTS(ZORVANE_JSON_TEXT)
#undef ZORVANE_JSON_TEXT
  AppendPlayers(o.Name("Players"), server);
  AppendSettings(o.Name("Settings"), server);
}

QByteArray SummaryJson(int servers, int replied, qint64 elapsedMs) {
  std::string out("{\"summary\": ");
  {
    TJsonOut writer(out);
    TJsonObject o(writer);
    o.Number("servers", servers);
    o.Number("replied", replied);
    o.Number("elapsedMs", elapsedMs);
  }
  out += '}';
  return ToByteArray(out);
}

}  // namespace zorvane
