// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/plain_text.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

QString Colour(char16_t r, char16_t g, char16_t b) {
  return QString(QChar(0x1B)) + QChar(r) + QChar(g) + QChar(b);
}

TEST(toolsPlainText, DropsColourCodesAndBlanksEveryOtherControl) {
  const struct {
    const char* name;
    QString in;
    QString out;
  } cases[] = {
      {"plain", "CTF-Face [EU]", "CTF-Face [EU]"},
      {"line breaks and tab", "Evil\r\nfake\trow", "Evil  fake row"},
      {"terminal escape", "\x1b[31mred", "mred"},
      {"colour code", Colour(0xFF, 0x80, 0x01) + "Clan", "Clan"},
      {"colour bytes that look like a line break", Colour(0x0A, 0x0D, 0x09) + "X", "X"},
      {"colour code right after one", Colour(1, 2, 3) + Colour(4, 5, 6) + "Y", "Y"},
      // A code cut short is no code: its bytes become blanks.
      {"colour code cut short at the end", "Z" + Colour(1, 2, 3).first(2), "Z  "},
      {"DEL and C1 controls", QString("a") + QChar(0x7F) + QChar(0x9B) + "2J", "a  2J"},
      {"letters above 0x9F stay", QString("Zo") + QChar(0xEB) + QChar(0xA0), QString("Zo") + QChar(0xEB) + QChar(0xA0)},
      {"NUL", QString("a") + QChar(0) + "b", "a b"},
  };
  for (const auto& c : cases) EXPECT_EQ(PlainText(c.in), c.out) << c.name;
}

}  // namespace
}  // namespace zorvane
