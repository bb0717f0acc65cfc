// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The font rule every control of the program follows: the program-wide font when the user has
// chosen one; otherwise the platform's font, shrunk on screens above 96 dots per inch so that
// dialogs designed at 96 keep their proportions.

#include <QFont>
#include <QString>
#include <optional>

namespace zorvane {

struct TControlFont {
  QString name;
  int size = 8;  // points
};

// chosen wins. Without it and above 96 dpi the point size s = size * 96 / dpi (truncated)
// replaces the size when smaller, and the face becomes "Tahoma" when s is below 8.
QFont ControlSetFont(const QFont& base, const std::optional<TControlFont>& chosen, int dotsPerInch);

}  // namespace zorvane
