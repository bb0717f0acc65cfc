// SPDX-License-Identifier: GPL-2.0-or-later
// GoogleTest entry for widget tests: a QApplication on the offscreen platform. Built with
// ZORVANE_TEST_SCREEN_WIDTH and ..._HEIGHT, its one screen has that size (else Qt's 800 x 600).
#include <gtest/gtest.h>
#include <QApplication>
#include <QByteArray>
#include <QTemporaryFile>

int main(int argc, char** argv) {
#ifdef ZORVANE_TEST_SCREEN_WIDTH
  QTemporaryFile screens;
  if (!screens.open()) return 1;
  screens.write(QByteArray("{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0, \"width\": ") +
                QByteArray::number(ZORVANE_TEST_SCREEN_WIDTH) +
                ", \"height\": " + QByteArray::number(ZORVANE_TEST_SCREEN_HEIGHT) +
                ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}");
  screens.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
#else
  qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
