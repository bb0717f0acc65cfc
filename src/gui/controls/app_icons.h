// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's icon images, drawn here: five groups of three states (offline red, online and
// empty blue, online with players green), each group with its own shape. Image i is state
// i % 3 of group i / 3 + 1, as TrayImageIndex counts them.

#include <QIcon>
#include <QPixmap>

namespace zorvane {

inline constexpr int kIconImageCount = 15;

// One image at size × size pixels; an index outside 0..14 gives image 0.
QPixmap IconImage(int index, int size);
// The image at the sizes a window, a task bar and a tray use.
QIcon IconOf(int index);

}  // namespace zorvane
