// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/network_text.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace zorvane {
namespace {

const QByteArray kRed("\x1b\xff\x01\x01", 4);  // a colour code

TEST(NetworkTextTest, ControlCharactersBecomeBlanksAndWholeColourCodesStay) {
  const struct {
    const char* name;
    QByteArray text, sanitized, stripped;
  } cases[] = {
      {"plain", "DM-Deck16", "DM-Deck16", "DM-Deck16"},
      {"empty", "", "", ""},
      {"line break", "Evil\r\nserverCount=0", "Evil  serverCount=0", "Evil  serverCount=0"},
      {"tab, zero and delete", QByteArray("a\tb\0c\x7f", 6), "a b c ", "a b c "},
      {"high Latin-1 stays", "caf\xe9 \xa0\xff", "caf\xe9 \xa0\xff", "caf\xe9 \xa0\xff"},
      {"colour code", kRed + "Bob", kRed + "Bob", "Bob"},
      {"colour bytes with line-break values", "\x1b\r\n\x1b" "Ann", "\x1b\r\n\x1b" "Ann", "Ann"},
      {"two codes in a row", kRed + kRed + "x", kRed + kRed + "x", "x"},
      {"code at the very end", "x" + kRed, "x" + kRed, "x"},
      {"cut-off code", "x\x1b\xff\x01", "x \xff ", "x \xff "},
      {"mark alone", "\x1b", " ", " "},
      {"zero inside a code", QByteArray("\x1b\x01\0\x01y", 5), "    y", "    y"},
      // Shaped like colour codes, so kept in the record; writers strip them.
      {"escape sequence", "\x1b[2J\x1b]0;pwned\x07", "\x1b[2J\x1b]0;pwned ", "pwned "},
  };
  for (const auto& c : cases) {
    const QByteArray& expectedSanitized = c.sanitized;
    EXPECT_EQ(SanitizeNetworkText(QByteArrayView(c.text)), expectedSanitized) << c.name;
    EXPECT_EQ(NeedsSanitizing(c.text), expectedSanitized != c.text) << c.name;
    EXPECT_EQ(StripColourCodes(QByteArrayView(c.text)), c.stripped) << c.name;
    // The same on texts held as Latin-1 characters.
    const QString text = QString::fromLatin1(c.text);
    EXPECT_EQ(SanitizeNetworkText(QStringView(text)), QString::fromLatin1(expectedSanitized))
        << c.name;
    EXPECT_EQ(StripColourCodes(QStringView(text)), QString::fromLatin1(c.stripped)) << c.name;
  }
}

TEST(NetworkTextTest, ResultsHoldNoStrayControlCharacters) {
  // Whatever comes in: sanitizing keeps the length and is final, stripping leaves no control.
  QRandomGenerator random(5);
  for (int round = 0; round < 3000; ++round) {
    QByteArray text(random.bounded(24), '\0');
    for (char& c : text) c = "\x1b\x1b\r\n\0\x7f\x01 aZ\xff"[random.bounded(12)];
    const QByteArray sanitized = SanitizeNetworkText(QByteArrayView(text));
    ASSERT_EQ(sanitized.size(), text.size());
    ASSERT_FALSE(NeedsSanitizing(sanitized)) << text.toHex().constData();
    ASSERT_EQ(SanitizeNetworkText(QByteArrayView(sanitized)), sanitized);
    for (char c : StripColourCodes(QByteArrayView(text)))
      ASSERT_TRUE(uchar(c) >= 0x20 && uchar(c) != 0x7F) << text.toHex().constData();
  }
}

TEST(NetworkTextTest, CleanValuesAreNotCopied) {
  const QByteArray datagram = "clean" + kRed + "|dirty\r\n";
  TNetworkTexts texts;
  const QByteArrayView clean = QByteArrayView(datagram).first(9);
  EXPECT_EQ(texts.Clean(clean).data(), clean.data());
  const QByteArrayView dirty = QByteArrayView(datagram).sliced(10);
  const QByteArrayView cleaned = texts.Clean(dirty);
  EXPECT_NE(cleaned.data(), dirty.data());
  EXPECT_EQ(cleaned, "dirty  ");
  // Earlier copies stay valid while more are made.
  for (int i = 0; i < 100; ++i) texts.Clean(dirty);
  EXPECT_EQ(cleaned, "dirty  ");
}

}  // namespace
}  // namespace zorvane
