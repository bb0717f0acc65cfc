// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A program under test whose look-ups of names ending in ".slow.test" never get an answer in
// time (tests/support/slow_lookup_preload.cpp).

#include <QProcessEnvironment>

namespace zorvane::testing {

inline QProcessEnvironment SlowLookupEnvironment(int seconds) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("LD_PRELOAD", ZORVANE_SLOW_LOOKUP_LIBRARY);
  environment.insert("ZORVANE_SLOW_LOOKUP_SECONDS", QString::number(seconds));
  // A sanitized program wants its runtime first among the libraries; the preload comes before.
  const QString asan = environment.value("ASAN_OPTIONS");
  environment.insert("ASAN_OPTIONS",
                     (asan.isEmpty() ? QString() : asan + ':') + "verify_asan_link_order=0");
  return environment;
}

}  // namespace zorvane::testing
