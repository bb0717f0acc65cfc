// SPDX-License-Identifier: GPL-2.0-or-later
// The built program as a process: it ends when told to, whatever name look-up still runs, and
// what it still holds for its files is written first.

#include <gtest/gtest.h>

#include <csignal>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "history/history_reader.h"
#include "support/farm_process.h"
#include "support/files.h"
#include "support/slow_lookup.h"

namespace zorvane {
namespace {

// Whether the process has its own SIGTERM handler in place, so the signal closes the window
// instead of killing the process.
bool CatchesSigterm(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("SigCgt:"))
      return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
  return false;
}

// A favourite known by a name the name server never answers for: SIGTERM closes the window,
// which saves the settings, and the process ends at once instead of waiting for the look-up.
// Starts the program on these settings, ends it while its look-up hangs, and finds kept in the
// settings it wrote at close.
void RunAndEnd(const QByteArray& settings, const QByteArray& kept);

// A server's name or a master's name (the start-up query asks it) still looked up.
TEST(AppExitTest, SigtermEndsTheProgramWhileANameIsStillLookedUp) {
  for (const bool master : {false, true}) {
    SCOPED_TRACE(master ? "a master's name" : "a server's name");
    RunAndEnd(master ? "startupQuery=UT Master Server\nmasterServer=master.slow.test\n"
                 "[server]\nserverCount=1\nserver[0]=127.0.0.1\\7778\\True\\Fav\\UT\n"
               : "startupQuery=Favorites Only\n"
                 "[server]\nserverCount=1\nserver[0]=fav.slow.test\\7778\\True\\Slow\\UT\n",
        master ? "master.slow.test" : "fav.slow.test");
  }
}

void RunAndEnd(const QByteArray& settings, const QByteArray& kept) {
  QTemporaryDir dir;
  testing::Write(dir.filePath("zorvane.ini"),
                 "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\n" + settings);
  constexpr int kLookupSeconds = 60;
  QProcess program;
  program.setProcessEnvironment(testing::SlowLookupEnvironment(kLookupSeconds));
  program.start(ZORVANE_APP, {"--dir", dir.path()});
  ASSERT_TRUE(program.waitForStarted(10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return CatchesSigterm(program.processId()); }, 20000))
      << program.readAllStandardError().constData();
  QTest::qWait(500);  // the favourites' look-up is under way

  QElapsedTimer elapsed;
  elapsed.start();
  ::kill(pid_t(program.processId()), SIGTERM);
  const bool ended = program.waitForFinished(20000);
  if (!ended) program.kill();
  ASSERT_TRUE(ended) << "still running 20 s after SIGTERM";
  EXPECT_LT(elapsed.elapsed(), 10000);
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  // The window closed as usual: its settings were written, the favourite with them.
  const QByteArray saved = testing::Read(dir.filePath("zorvane.ini"));
  EXPECT_TRUE(saved.contains("queryPower=")) << saved.constData();
  EXPECT_TRUE(saved.contains(kept));
}

// A favourite's reply is sampled and waits for its batch (5 s); SIGTERM in the meantime still
// writes it into the history beside the settings.
TEST(AppExitTest, SigtermWritesTheHistorysPendingSamples) {
  testing::FarmProcess farm(1, 0, 5, {"--beacon-port", "0", "--lan-port", "0"});
  ASSERT_TRUE(farm.Start());
  const QString key = "127.0.0.1:" + QString::number(farm.Base());
  QTemporaryDir dir;
  testing::Write(dir.filePath("zorvane.ini"),
                 "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=Favorites Only\n"
                 "[server]\nserverCount=1\nserver[0]=127.0.0.1\\" +
                     QByteArray::number(farm.Base()) + "\\True\\Fav\\UT\n");
  QProcess program;
  program.start(ZORVANE_APP, {"--dir", dir.path()});
  ASSERT_TRUE(program.waitForStarted(10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return CatchesSigterm(program.processId()); }, 20000));
  QTest::qWait(1500);  // the reply is in, its sample waits for the batch
  ::kill(pid_t(program.processId()), SIGTERM);
  ASSERT_TRUE(program.waitForFinished(20000));
  THistoryReader reader(dir.filePath("history.sqlite"), THistoryReader::TMode::Look);
  const auto samples = reader.Samples(key, 0, QDateTime::currentSecsSinceEpoch() + 60);
  ASSERT_EQ(samples.size(), 1u) << program.readAllStandardError().constData();
  EXPECT_GT(samples[0].maxPlayers, 0);
}

}  // namespace
}  // namespace zorvane
