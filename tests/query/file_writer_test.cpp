// SPDX-License-Identifier: GPL-2.0-or-later
// The writer thread: jobs run off the GUI thread, in order; results come back as queued
// calls; a flush waits for what was handed; after the join nothing more runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <vector>

#include "query/file_writer.h"

namespace zorvane {
namespace {

TEST(FileWriterTest, JobsRunInOrderOnTheWriterThreadAndResultsComeBackQueued) {
  TFileWriter writer;
  std::vector<int> order;  // touched only on the writer thread until the flush
  std::vector<bool> offGuiThread;
  QThread* gui = QThread::currentThread();
  for (int i = 0; i < 100; ++i)
    ASSERT_TRUE(writer.Hand([&, i] {
      order.push_back(i);
      offGuiThread.push_back(QThread::currentThread() != gui && writer.OnWriterThread());
    }));
  QObject context;
  std::vector<int> results;
  writer.Hand([] { return 42; }, &context, [&](int r) {
    EXPECT_EQ(QThread::currentThread(), gui);
    results.push_back(r);
  });
  writer.Flush();
  ASSERT_EQ(order.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(order[std::size_t(i)], i);
  EXPECT_EQ(std::count(offGuiThread.begin(), offGuiThread.end(), true), 100);
  EXPECT_TRUE(results.empty());  // queued: not before the GUI thread's loop turns
  QTRY_COMPARE(results.size(), 1u);
  EXPECT_EQ(results[0], 42);
}

TEST(FileWriterTest, JoinRunsWhatWasHandedAndRefusesTheRest) {
  TFileWriter writer;
  int ran = 0;
  // A slow first job: the join must wait for it and for the one queued after it.
  writer.Hand([&] {
    QThread::msleep(50);
    ++ran;
  });
  writer.Hand([&] { ++ran; });
  writer.FlushAndJoin();
  EXPECT_EQ(ran, 2);
  EXPECT_FALSE(writer.Running());
  EXPECT_FALSE(writer.Hand([&] { ++ran; }));
  writer.Flush();         // no thread left to wait for
  writer.FlushAndJoin();  // and a second join does nothing
  EXPECT_EQ(ran, 2);
}

// The window's close waits a bounded time; a job still running then keeps the writer waiting
// for it, and a later join without a bound sees it through.
TEST(FileWriterTest, ABoundedJoinGivesUpOnALongJobAndTheNextJoinWaitsForIt) {
  TFileWriter writer;
  bool ran = false;
  writer.Hand([&] {
    QThread::msleep(300);
    ran = true;
  });
  EXPECT_FALSE(writer.FlushAndJoin(QDeadlineTimer(20)));
  EXPECT_FALSE(writer.Running());
  EXPECT_FALSE(writer.Finished());
  EXPECT_TRUE(writer.FlushAndJoin(QDeadlineTimer(QDeadlineTimer::Forever)));
  EXPECT_TRUE(writer.Finished());
  EXPECT_TRUE(ran);
}

TEST(FileWriterTest, AResultForAContextThatWentIsDropped) {
  TFileWriter writer;
  bool delivered = false;
  {
    QObject context;
    writer.Hand([] { return 1; }, &context, [&](int) { delivered = true; });
    writer.Flush();
  }
  QCoreApplication::processEvents();
  EXPECT_FALSE(delivered);
}

}  // namespace
}  // namespace zorvane
