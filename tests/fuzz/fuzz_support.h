// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Shared pieces of the fuzz harnesses: they run under libFuzzer (clang) and as ordinary tests
// that replay the stored inputs (any compiler).

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace zorvane::fuzz {

// Sockets and timers need an application object; it lives until the process ends.
inline void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "zorvane-fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  (void)app;
}

// A broken property ends the run like a crash, so libFuzzer keeps the input.
inline void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// Datagrams of an input separated by a line "||", as in the captured replies.
inline QList<QByteArrayView> SplitDatagrams(const std::uint8_t* data, std::size_t size) {
  const QByteArrayView all(reinterpret_cast<const char*>(data), qsizetype(size));
  QList<QByteArrayView> parts;
  qsizetype from = 0;
  for (;;) {
    const qsizetype at = all.indexOf(QByteArrayView("\n||\n"), from);
    parts.append(all.sliced(from, (at < 0 ? all.size() : at) - from));
    if (at < 0) return parts;
    from = at + 4;
  }
}

}  // namespace zorvane::fuzz
