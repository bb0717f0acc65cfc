// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/control_font.h"

#include <algorithm>

namespace zorvane {

QFont ControlSetFont(const QFont& base, const std::optional<TControlFont>& chosen,
                     int dotsPerInch) {
  QFont font = base;
  if (chosen) {
    font.setFamily(chosen->name);
    font.setPointSize(std::max(1, chosen->size));
    return font;
  }
  const int size = font.pointSize();
  if (dotsPerInch <= 96 || size <= 0) return font;  // size <= 0: a pixel-sized font, left alone
  const int scaled = std::max(1, size * 96 / dotsPerInch);
  if (scaled < size) {
    font.setPointSize(scaled);
    if (scaled < 8) font.setFamily(QStringLiteral("Tahoma"));
  }
  return font;
}

}  // namespace zorvane
