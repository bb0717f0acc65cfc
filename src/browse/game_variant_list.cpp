// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/game_variant_list.h"

namespace zorvane {

void FillGameVariantList(QStringList& list, int flags) {
  if (flags & kVariantEmpty) list << QString();
  if (flags & kVariantAll) list << QStringLiteral("[all]");
  list << QStringLiteral("UT");
  if (!(flags & kVariantNoUT2003Demo)) list << QStringLiteral("UT2003 Demo");
  if (!(flags & kVariantNoUT2003)) list << QStringLiteral("UT2003");
  if (!(flags & kVariantNoUT2004Demo)) list << QStringLiteral("UT2004 Demo");
  list << QStringLiteral("UT2004");
}

}  // namespace zorvane
