// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reading and writing whole files in tests.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace zorvane::testing {

inline QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

}  // namespace zorvane::testing
