// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/server_json.h"

#include "query/network_text.h"
#include "query/server_record.h"

namespace zorvane {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendUnicodeEscape(std::string& out, unsigned u) {
  const char escape[] = {'\\', 'u', '0', '0', kHex[(u >> 4) & 0xF], kHex[u & 0xF]};
  out.append(escape, sizeof escape);
}

// Printable ASCII other than the quote and the backslash: written as it is.
bool Plain(unsigned u) { return u >= 0x20 && u < 0x7F && u != '"' && u != '\\'; }

class TJsonObject {
 public:
  explicit TJsonObject(std::string& out) : out_(out) { out_ += '{'; }
  ~TJsonObject() { out_ += '}'; }

  void Text(const char* name, QStringView value) { AppendJsonString(Name(name), value); }
  // A record text, read in place when it is stored as Latin-1 (nearly always).
  void Text(const char* name, const TServer& server, TServerText field) {
    Text(name, server.TextLatin1(field), [&] { return server.Text(field); });
  }
  // Latin-1 bytes when there are some; otherwise the text that `wide` gives (an empty text
  // costs no allocation, a UTF-8 one is rare).
  template <typename TWide>
  void Text(const char* name, QByteArrayView latin1, TWide wide) {
    if (!latin1.isEmpty())
      AppendJsonLatin1(Name(name), latin1);
    else
      Text(name, wide());
  }
  // The same without colour codes.
  template <typename TWide>
  void PlainText(const char* name, QByteArrayView latin1, TWide wide) {
    if (latin1.contains(char(kColourCodeMark)))
      AppendJsonLatin1(Name(name), StripColourCodes(latin1));
    else if (!latin1.isEmpty())
      AppendJsonLatin1(Name(name), latin1);
    else
      Text(name, PlainName(wide()));
  }
  void Number(const char* name, qint64 value) { Name(name) += std::to_string(value); }
  void Flag(const char* name, bool value) { Name(name) += value ? "true" : "false"; }
  std::string& Name(const char* name) {
    if (!first_) out_ += ", ";
    first_ = false;
    // Names are our own identifiers: no escaping needed.
    out_ += '"';
    out_ += name;
    out_ += "\": ";
    return out_;
  }

 private:
  std::string& out_;
  bool first_ = true;
};

void AppendPlayers(std::string& out, const TServer& server) {
  out += '[';
  bool first = true;
  for (int slot = 0; slot < kPlayerSlots; ++slot) {
    if (!server.PlayerInUse(slot)) continue;
    if (!first) out += ", ";
    first = false;
    TJsonObject player(out);
    player.Number("Slot", slot);
    for (std::size_t f = 0; f < kPlayerFieldCount; ++f) {
      const auto field = TPlayerField(f);
      player.Text(PlayerFieldName(field), server.PlayerTextLatin1(slot, field),
                  [&] { return server.PlayerText(slot, field); });
    }
    player.PlainText("PlainName", server.PlayerTextLatin1(slot, TPlayerField::Name),
                     [&] { return server.PlayerText(slot, TPlayerField::Name); });
  }
  out += ']';
}

void AppendSettings(std::string& out, const TServer& server) {
  out += '[';
  bool first = true;
  for (int slot = 0; slot < server.SettingSlotsUsed(); ++slot) {
    if (server.SettingFree(slot)) continue;
    if (!first) out += ", ";
    first = false;
    TJsonObject object(out);
    object.Text("Name", server.SettingLatin1(slot, false),
                [&] { return server.Setting(slot).Name; });
    object.Text("Value", server.SettingLatin1(slot, true),
                [&] { return server.Setting(slot).Value; });
  }
  out += ']';
}

QByteArray ToByteArray(const std::string& text) {
  return QByteArray(text.data(), qsizetype(text.size()));
}

}  // namespace

// Every control character (C0, DEL and C1, a colour code's escape included) is written as
// \u00XX, so no output can move a terminal's cursor or break a line.
void AppendJsonString(std::string& out, QStringView text) {
  out += '"';
  const QChar* const end = text.end();
  for (const QChar* p = text.begin(); p != end; ++p) {
    const char16_t u = p->unicode();
    if (u == u'"' || u == u'\\') {
      out += '\\';
      out += char(u);
    } else if (u < 0x20 || (u >= 0x7F && u <= 0x9F)) {
      AppendUnicodeEscape(out, u);
    } else if (u < 0x80) {
      out += char(u);
    } else {
      // The rest of the text as UTF-8, escaping on the way.
      const QChar* run = p;
      while (p != end && p->unicode() >= 0xA0) ++p;
      const QByteArray utf8 = QStringView(run, p).toUtf8();
      out.append(utf8.constData(), std::size_t(utf8.size()));
      --p;
    }
  }
  out += '"';
}

void AppendJsonLatin1(std::string& out, QByteArrayView latin1) {
  out += '"';
  const char* p = latin1.data();
  const char* const end = p + latin1.size();
  while (p != end) {
    // Printable ASCII (nearly every byte) goes in runs.
    const char* run = p;
    while (p != end && Plain(uchar(*p))) ++p;
    out.append(run, std::size_t(p - run));
    if (p == end) break;
    const uchar u = uchar(*p++);
    if (u == '"' || u == '\\') {
      out += '\\';
      out += char(u);
    } else if (u <= 0x9F) {  // C0 controls, DEL and C1
      AppendUnicodeEscape(out, u);
    } else {
      out += char(0xC0 | (u >> 6));
      out += char(0x80 | (u & 0x3F));
    }
  }
  out += '"';
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
  TJsonObject o(out);
  o.Text("Key", key);
  o.Text("Game", server, F::Game);
  o.Number("QueryVersion", server.QueryVersion);
  o.Number("ReResolvePending", server.ReResolvePending);
  o.Flag("RetriedOnce", server.RetriedOnce);
  o.Text("IP", server, F::IP);
  o.Text("DNSName", server, F::DNSName);
  o.Number("Port", server.Port);
  o.Text("AutoUpdateDescription", server, F::AutoUpdateDescription);
  o.Text("Ping", server, F::Ping);
  o.Number("ReplyMark", server.ReplyMark);
  o.Flag("CameOnline", server.CameOnline);
  o.Flag("Online", server.Online);
  o.Flag("BecamePopulated", server.BecamePopulated);
  o.Flag("Populated", server.Populated);
  o.Flag("Favorite", server.Favorite);
  o.Flag("ReplyComplete", server.ReplyComplete);
  o.Number("RepliesSeen", server.RepliesSeen);
  o.Text("GameTypeName", server, F::GameTypeName);
  o.Text("Description", server, F::Description);
  o.PlainText("PlainDescription", server.TextLatin1(F::Description),
              [&] { return server.Description(); });
#define ZORVANE_JSON_TEXT(name) o.Text(ServerTextName(F::name), server, F::name);
  ZORVANE_STATUS_TEXTS(ZORVANE_JSON_TEXT)
  ZORVANE_RULE_TEXTS(ZORVANE_JSON_TEXT)
#undef ZORVANE_JSON_TEXT
  AppendPlayers(o.Name("Players"), server);
  AppendSettings(o.Name("Settings"), server);
}

QByteArray SummaryJson(int servers, int replied, qint64 elapsedMs) {
  std::string out("{\"summary\": ");
  {
    TJsonObject o(out);
    o.Number("servers", servers);
    o.Number("replied", replied);
    o.Number("elapsedMs", elapsedMs);
  }
  out += '}';
  return ToByteArray(out);
}

}  // namespace zorvane
