// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main window on a settings folder, shown and active, so keys reach its shortcuts.

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "gui/controls/log_window.h"
#include "gui/window/main_window.h"
#include "gui/window/server_cache_controller.h"
#include "support/files.h"

namespace zorvane::testing {

// A window on the settings folder, not shown yet; its boxes go to dialogs.
inline std::unique_ptr<TfrmZorvane> OpenWindow(const QString& directory, TWindowDialogs& dialogs) {
  TStartOptions options;
  options.directory = directory;
  options.dialogs = &dialogs;
  options.gameSearch = TGameSearchPlaces{};  // no game of this machine's turns up in a test
  return std::make_unique<TfrmZorvane>(options);
}

// Whether a line of the window's log holds part.
inline bool LogHas(const TfrmZorvane& window, const QString& part) {
  for (const QString& line : window.LogWindow()->Lines())
    if (line.contains(part)) return true;
  return false;
}

inline std::unique_ptr<TfrmZorvane> ShownWindow(const QString& directory, const QByteArray& ini,
                                                TWindowDialogs& dialogs) {
  Write(directory + "/zorvane.ini", ini);
  auto window = OpenWindow(directory, dialogs);
  window->FirstShow();
  window->show();
  window->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  // The last session's list fills the lists a part per turn after the first paint.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window->ServerCache().Listing(); }, 10000));
  return window;
}

}  // namespace zorvane::testing
