// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Texts that came from the network, made safe to keep and to write.
//
// A server may put any byte into a name, a map, a setting or a player name. Control characters
// would reach the views, the INI files and the command-line output, where a line break can add
// a line of its own (a fake "serverCount=0" in zorvane.ini) and an escape sequence can drive a
// terminal. Every such text is cleaned once, before it is stored in a record:
// SanitizeNetworkText turns each control character (below 0x20, and 0x7F) into a blank.
//
// The one exception is the UT2004 colour code: the byte 0x1B and the three colour bytes that
// follow it (any value but zero, so line-break values too). Real names carry them, so they are
// kept whole in the record. A 0x1B without three non-zero bytes after it is no colour code and
// becomes a blank like any other control character.
//
// Writers that must not pass colour codes on (INI files, plain-text output, views showing names
// without colours) use StripColourCodes, which drops every whole colour code and leaves no
// control character at all.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <forward_list>

namespace zorvane {

inline constexpr char16_t kColourCodeMark = 0x1B;
inline constexpr int kColourCodeLength = 4;  // the mark and three colour bytes

// Control characters become blanks; whole colour codes stay. Same length as the input.
QString SanitizeNetworkText(QStringView text);
QByteArray SanitizeNetworkText(QByteArrayView latin1);

// True when SanitizeNetworkText would change the text (checks without allocating).
bool NeedsSanitizing(QByteArrayView latin1);

// Whole colour codes removed, every other control character a blank.
QString StripColourCodes(QStringView text);
QByteArray StripColourCodes(QByteArrayView latin1);

// A name as users read it, sort it and search it: without its colour codes. A record's text
// holds no other control character, and a name without a code (nearly all) is not copied.
inline QString PlainName(const QString& text) {
  return text.contains(QChar(kColourCodeMark)) ? StripColourCodes(text) : text;
}

// Cleans the values of one reply on their way into a record: a clean value (nearly all of
// them) comes back as the same view, without a copy; only a value that needs cleaning is copied,
// into storage that lives as long as this object.
class TNetworkTexts {
 public:
  QByteArrayView Clean(QByteArrayView latin1) {
    if (!NeedsSanitizing(latin1)) return latin1;
    return copies_.emplace_front(SanitizeNetworkText(latin1));
  }

 private:
  // Never moves what it holds, and costs nothing until a copy is made.
  std::forward_list<QByteArray> copies_;
};

}  // namespace zorvane
