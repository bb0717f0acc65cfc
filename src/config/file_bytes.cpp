// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/file_bytes.h"

#include <algorithm>

namespace zorvane {

QByteArray ReadAtMost(QFile& file, qint64 maxSize) {
  const qint64 size = std::clamp<qint64>(file.size() - file.pos(), 0, maxSize);
  // One byte more than the size: when it comes, the file has grown, and the rest is read up to
  // the limit.
  QByteArray bytes = file.read(size + 1);
  if (bytes.size() > size && bytes.size() <= maxSize)
    bytes += file.read(maxSize + 1 - bytes.size());
  return bytes;
}

}  // namespace zorvane
