// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace zorvane {

// Where the configuration files live: the folder of "--dir DIR" when given; else the current
// folder when it already holds "zorvane.ini" (a portable install); else the desktop's per-user
// configuration folder (~/.config/zorvane). The folder is created when missing unless create
// is false. Empty when the per-user folder cannot be created; DIR is returned even when it
// cannot be (a file of that name), and the settings file then cannot be opened in it.
QString ResolveStartDirectory(const QString& dirArgument, bool create = true);

// The value of "--dir DIR" or "--dir=DIR" in arguments (empty when absent).
QString DirArgument(const QStringList& arguments);

}  // namespace zorvane
