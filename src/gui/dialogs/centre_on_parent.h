// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Places a dialog in the middle of the window it belongs to. Qt's own placement guesses a
// window frame of 10 by 40 pixels where it sees none (no window manager, or a window not yet
// decorated), which leaves a box 40 pixels above the middle; here the frame of the parent,
// which the box will get too, is used instead.

#include <QRect>
#include <QSize>

class QWidget;

namespace zorvane {

// The frame rectangle of a box of frameSize centred on area, moved inside screen where it
// would stick out.
QRect CentredFrame(const QRect& area, const QSize& frameSize, const QRect& screen);

// Moves dialog (shown, or about to be: its size is final) to the middle of its parent's
// window; to the middle of the screen when that window is hidden (in the tray) or there is
// none.
void CentreOnParent(QWidget* dialog);

}  // namespace zorvane
