// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main window on a settings folder, shown and active, so keys reach its shortcuts.

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "gui/window/main_window.h"
#include "support/files.h"

namespace zorvane::testing {

inline std::unique_ptr<TfrmZorvane> ShownWindow(const QString& directory, const QByteArray& ini,
                                                TWindowDialogs& dialogs) {
  Write(directory + "/zorvane.ini", ini);
  TStartOptions options;
  options.directory = directory;
  options.dialogs = &dialogs;
  auto window = std::make_unique<TfrmZorvane>(options);
  window->FirstShow();
  window->show();
  window->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  return window;
}

}  // namespace zorvane::testing
