// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Names from servers shown inside menu captions: "&" would otherwise mark the next letter as
// the item's accelerator and vanish, so it is doubled to stand for itself.

#include <QString>

namespace zorvane {

inline QString MenuLiteral(QString text) {
  return text.replace(u'&', QStringLiteral("&&"));
}

}  // namespace zorvane
