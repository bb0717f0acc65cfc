// SPDX-License-Identifier: GPL-2.0-or-later
// GoogleTest entry with a Qt application object, so tests can run the event loop.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
