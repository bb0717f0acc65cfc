// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace zorvane {

// Where the configuration files live: the folder of "--dir DIR" when given; else the current
// folder when it already holds "zorvane.ini" (a portable install); else the desktop's per-user
// configuration folder (~/.config/zorvane), created when missing unless create is false.
// Empty when that cannot be created.
QString ResolveStartDirectory(const QString& dirArgument, bool create = true);

// The value of "--dir DIR" or "--dir=DIR" in arguments (empty when absent).
QString DirArgument(const QStringList& arguments);

}  // namespace zorvane
