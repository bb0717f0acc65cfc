// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reading a whole file that has a size limit.

#include <QByteArray>
#include <QFile>

namespace zorvane {

// The bytes of an open file up to its end, but never more than maxSize + 1 (so a file that grew
// past the limit since its size was checked shows as too large). Memory is taken for the size
// the file has, not for the largest one allowed: a small INI file costs a small buffer.
QByteArray ReadAtMost(QFile& file, qint64 maxSize);

}  // namespace zorvane
