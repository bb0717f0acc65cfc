// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/text_fit.h"

#include <algorithm>

namespace zorvane {
namespace {
constexpr int kDesignLineHeight = 13;
}  // namespace

int TextWidth(const QFontMetrics& metrics, const QString& text) {
  return text.isEmpty() ? 0 : metrics.size(Qt::TextShowMnemonic, text).width();
}

int ScaledWidth(int designed, const QFontMetrics& metrics) {
  const int line = std::max(metrics.height(), kDesignLineHeight);
  return (designed * line + kDesignLineHeight / 2) / kDesignLineHeight;
}

}  // namespace zorvane
