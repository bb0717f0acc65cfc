// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Windows that open fitting what they hold: no smaller than their layout asks (wrapped texts
// as tall as their width needs), their designed width grown with the font and their designed
// height kept as a floor, and wide enough for
// their title beside the window manager's icon and buttons; never larger than the screen.

#include <QSize>

class QWidget;

namespace zorvane {

// The width a window's title needs in the window manager's frame.
int TitleWidth(const QWidget* window);

// The most a window's inside may take on its screen: the screen's free area less the window
// manager's frame (borders and a title bar about two lines high); none without a screen.
QSize WindowRoom(const QWidget* window);

// window's size raised to fit it as above; a larger size stays. designed: pixels of the
// 8-point dialog font, or none.
QSize FittedWindowSize(const QWidget* window, QSize designed = {});

// A main window's first size: the stored one, no smaller than designed (grown with the font)
// nor than its minimum, as wide as wantedWidth asks (what it shows whole); within the screen,
// the window manager's frame included.
QSize FirstWindowSize(const QWidget* window, QSize stored, QSize designed, int wantedWidth);

// window takes FittedWindowSize now and each time it is shown (the watcher is its child); one
// placed by its owner keeps its middle where it was.
void FitWhenShown(QWidget* window, QSize designed = {});

}  // namespace zorvane
