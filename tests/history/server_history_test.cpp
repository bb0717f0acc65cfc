// SPDX-License-Identifier: GPL-2.0-or-later
// The history on the GUI thread: replies gathered into batches for the writer thread, written
// at close, watched players' sightings kept across a restart, charts read beside the writer,
// and nothing at all while it is off.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "history/history_reader.h"
#include "history/server_history.h"
#include "query/file_writer.h"
#include "query/server_stash.h"

namespace zorvane {
namespace {

constexpr qint64 kT0 = 1700000000;

class ServerHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath("history.sqlite");
  }
  // A server that answered, under its key.
  TServer& Answered(const QString& host, const QString& name, int players,
                    const QStringList& names = {}) {
    stash.AddServer(host, "7778", "", false, "UT", "True", "");
    TServer& server = *stash.Find(host + ":7778");
    server.Online = true;
    server.SetDescription(name);
    server.SetNumPlayers(QString::number(players));
    server.SetMaxPlayers("16");
    server.SetMapName("DM-Morpheus");
    server.ClearPlayers();
    for (int slot = 0; slot < names.size(); ++slot)
      server.SetPlayerText(slot, TPlayerField::Name, names[slot]);
    return server;
  }
  std::vector<THistorySample> InFile(const QString& key) {
    THistoryReader reader(path, THistoryReader::TMode::Shared);
    return reader.Samples(key, 0, kT0 * 2);
  }

  QTemporaryDir dir;
  QString path;
  TServerStash stash;
  TFileWriter writer;
};

TEST_F(ServerHistoryTest, RepliesGoToTheWriterInBatches) {
  TServerHistory history(stash, writer, path, true);
  QSignalSpy opened(&history, &TServerHistory::OnFileOpened);
  ASSERT_TRUE(opened.wait());
  EXPECT_TRUE(opened[0][0].toBool());
  const QString key = "10.0.0.1:7778";
  history.Record(key, Answered("10.0.0.1", "The Pit", 4), kT0);
  history.Record(key, Answered("10.0.0.1", "The Pit", 5), kT0 + 60);  // within five minutes
  history.Record(key, Answered("10.0.0.1", "The Pit", 6), kT0 + 300);
  TServer silent;
  history.Record("10.0.0.9:7778", silent, kT0);  // not online: no sample
  EXPECT_EQ(history.PendingSamples(), 2u);
  EXPECT_TRUE(history.BatchTimer().isActive());
  // Pending samples are in the chart before they reach the file.
  EXPECT_EQ(history.ChartData(key, kT0 + 301).samples.size(), 2u);
  EXPECT_TRUE(InFile(key).empty());
  history.HandPending();
  writer.Flush();
  const auto samples = InFile(key);
  ASSERT_EQ(samples.size(), 2u);
  EXPECT_EQ(samples[1], (THistorySample{kT0 + 300, 6, 16, "DM-Morpheus"}));
  EXPECT_EQ(history.ChartData(key, kT0 + 301).samples, samples);
  EXPECT_EQ(history.PendingSamples(), 0u);

  // The batch goes by itself after its delay, or at once when it is full.
  history.BatchTimer().setInterval(20);
  history.Record(key, Answered("10.0.0.1", "The Pit", 7), kT0 + 600);
  QTRY_COMPARE(InFile(key).size(), 3u);
  for (std::size_t i = 0; i < kHistoryBatchSamples; ++i)
    history.Record("server" + QString::number(i) + ":7778", *stash.Find(key), kT0);
  EXPECT_EQ(history.PendingSamples(), 0u);
}

TEST_F(ServerHistoryTest, PendingSamplesAreWrittenAtClose) {
  {
    TServerHistory history(stash, writer, path, true);
    history.Record("10.0.0.1:7778", Answered("10.0.0.1", "The Pit", 4), kT0);
  }  // no batch handed yet: closing hands and writes it
  EXPECT_FALSE(QFileInfo::exists(path + "-wal"));  // the file was closed cleanly
  EXPECT_EQ(InFile("10.0.0.1:7778").size(), 1u);
}

TEST_F(ServerHistoryTest, LastSeenIsTheLatestSightingAndSurvivesARestart) {
  {
    TServerHistory history(stash, writer, path, true);
    history.SetWatchedPlayers({"Zoë", "Rocketeer"});
    history.Record("10.0.0.1:7778", Answered("10.0.0.1", "The Pit", 2, {"zoë", "Someone"}), kT0);
    history.Record("10.0.0.2:7778",
                   Answered("10.0.0.2", "\x1B\xFF\x01\x01" "Bunker 7", 1, {"ZOË"}), kT0 + 100);
    history.Record("10.0.0.3:7778", Answered("10.0.0.3", "Café", 1, {"Someone"}), kT0 + 200);
    EXPECT_EQ(history.LastSeen("Zoë"), (TSighting{"ZOË", "10.0.0.2:7778", "Bunker 7", kT0 + 100}));
    EXPECT_FALSE(history.LastSeen("Someone"));  // not watched
    EXPECT_FALSE(history.LastSeen("Rocketeer"));
  }
  TServerHistory again(stash, writer, path, true);
  QSignalSpy loaded(&again, &TServerHistory::OnLastSeenLoaded);
  ASSERT_TRUE(loaded.wait());
  EXPECT_EQ(again.LastSeen("zoë"), (TSighting{"ZOË", "10.0.0.2:7778", "Bunker 7", kT0 + 100}));
  // A sighting of this session is newer than the file's.
  again.SetWatchedPlayers({"Zoë"});
  again.Record("10.0.0.1:7778", Answered("10.0.0.1", "The Pit", 1, {"Zoë"}), kT0 + 900);
  EXPECT_EQ(again.LastSeen("ZOË")->serverKey, "10.0.0.1:7778");
}

TEST_F(ServerHistoryTest, OffRecordsNothingAndLeavesTheFolderAlone) {
  TServerHistory history(stash, writer, path, false);
  history.Record("10.0.0.1:7778", Answered("10.0.0.1", "The Pit", 4), kT0);
  EXPECT_EQ(history.PendingSamples(), 0u);
  EXPECT_TRUE(history.ChartData("10.0.0.1:7778", kT0).samples.empty());
  writer.Flush();
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

  history.SetEnabled(true);
  history.Record("10.0.0.1:7778", Answered("10.0.0.1", "The Pit", 4), kT0);
  history.SetEnabled(false);  // what was pending goes with it
  history.SetEnabled(true);
  history.Close();
  EXPECT_TRUE(QFileInfo::exists(path));
  EXPECT_TRUE(InFile("10.0.0.1:7778").empty());
}

TEST_F(ServerHistoryTest, ChartShowsAWeekAndTheBusyHoursOfTheMonth) {
  TServerHistory history(stash, writer, path, true);
  QSignalSpy opened(&history, &TServerHistory::OnFileOpened);
  ASSERT_TRUE(opened.wait());  // charts read the file once the writer has it open
  const QString key = "10.0.0.1:7778";
  // Three weeks of evenings busy from 20:00 to 23:00 local time, a sample every 15 minutes.
  const QDateTime first(QDate(2024, 5, 1), QTime(0, 0));
  qint64 now = 0;
  for (int quarter = 0; quarter < 21 * 96; ++quarter) {
    const QDateTime at = first.addSecs(qint64(quarter) * 900);
    const int hour = at.time().hour();
    now = at.toSecsSinceEpoch();
    history.Record(key, Answered("10.0.0.1", "The Pit", hour >= 20 && hour <= 22 ? 12 : 1), now);
  }
  history.HandPending();
  writer.Flush();
  const THistoryChartData chart = history.ChartData(key, now);
  ASSERT_EQ(chart.samples.size(), std::size_t(7 * 96 + 1));  // both ends of the week
  EXPECT_GE(chart.samples.front().time, now - kChartSpanSecs);
  EXPECT_EQ(BusyHoursLine(chart.busiest), QString::fromUtf8("usually busiest 20:00–23:00"));
  EXPECT_EQ(history.BusyHours(key, now), chart.busiest);
  EXPECT_FALSE(history.BusyHours("10.0.0.2:7778", now));
}

}  // namespace
}  // namespace zorvane
