// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Runs a check with the application font at the desktop's size and at 14 points, and puts the
// font back afterwards, also when a fatal assertion ends the check early (later tests of the
// same binary would otherwise run in the wrong font).

#include <QApplication>
#include <QFont>
#include <gtest/gtest.h>

namespace zorvane::testing {

template <typename Check>
void AtDesktopFontAnd14Points(Check&& check) {
  const QFont original = QApplication::font();
  struct TRestore {
    QFont font;
    ~TRestore() { QApplication::setFont(font); }
  } restore{original};
  for (const int points : {original.pointSize(), 14}) {
    SCOPED_TRACE(points);
    QFont font = original;
    font.setPointSize(points);
    QApplication::setFont(font);
    check();
  }
}

}  // namespace zorvane::testing
