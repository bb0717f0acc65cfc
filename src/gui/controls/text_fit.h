// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Sizes that follow the font. The dialogs were drawn in pixels for an 8-point dialog font;
// those pixels are minimums here, grown with the font in use and raised to what a text needs.

#include <QFontMetrics>
#include <QString>

namespace zorvane {

// The width of text as drawn: accelerator markers left out ("&&" shows one "&"), the widest
// of its lines.
int TextWidth(const QFontMetrics& metrics, const QString& text);

// A designed width in pixels, grown in proportion to the font's line height against the
// 13 pixels of the font it was drawn for; never below the design.
int ScaledWidth(int designed, const QFontMetrics& metrics);

// A designed (or stored) width raised to what its text needs; a wider one is kept.
inline int FitWidth(int width, int need) {
  return width < need ? need : width;
}

}  // namespace zorvane
