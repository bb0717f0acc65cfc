// SPDX-License-Identifier: GPL-2.0-or-later
#include "history/server_history.h"

#include <QDateTime>
#include <algorithm>

#include "history/history_store.h"
#include "history/sample_rule.h"
#include "query/file_writer.h"
#include "query/network_text.h"
#include "query/server_stash.h"

namespace zorvane {

TServerHistory::TServerHistory(const TServerStash& stash, TFileWriter& writer, QString path,
                               bool enabled, QObject* parent)
    : QObject(parent),
      stash_(stash),
      writer_(writer),
      path_(std::move(path)),
      store_(std::make_unique<THistoryStore>(path_)),
      reader_(path_, THistoryReader::TMode::Shared) {
  batchTimer_.setSingleShot(true);
  batchTimer_.setInterval(kHistoryBatchMs);
  connect(&batchTimer_, &QTimer::timeout, this, &TServerHistory::HandPending);
  connect(&stash_, &TServerStash::OnServerUpdated, this, [this](const QString& key) {
    if (!enabled_) return;
    if (const TServer* server = stash_.Find(key))
      Record(key, *server, QDateTime::currentSecsSinceEpoch());
  });
  SetEnabled(enabled);
}

TServerHistory::~TServerHistory() {
  Close();
}

void TServerHistory::LogLines(const QStringList& lines) {
  for (const QString& line : lines) Q_EMIT OnLog(line);
}

void TServerHistory::SetEnabled(bool on) {
  if (closed_ || on == enabled_) return;
  enabled_ = on;
  if (on) {
    OpenFile();
    return;
  }
  pending_ = {};
  pendingSightings_.clear();
  batchTimer_.stop();
  CloseFile();
}

void TServerHistory::OpenFile() {
  THistoryStore* store = store_.get();
  const qint64 now = lastNow_ > 0 ? lastNow_ : QDateTime::currentSecsSinceEpoch();
  writer_.Hand(
      [store, now] {
        TOpened opened;
        opened.ok = store->Open(now);
        opened.log = store->TakeLog();
        opened.openings = store->Openings();
        if (opened.ok) opened.sightings = store->OpeningSightings();
        return opened;
      },
      this, [this](TOpened opened) { Opened(std::move(opened)); });
}

void TServerHistory::Opened(TOpened opened) {
  LogLines(opened.log);
  // Turned off meanwhile: the file is being closed again.
  if (!enabled_) return;
  fileOpen_ = opened.ok;
  openings_ = opened.openings;
  reader_.Close();  // a file set aside and started anew is another file
  for (const TSighting& seen : opened.sightings) TakeSighting(seen);
  Q_EMIT OnFileOpened(opened.ok);
  if (!opened.sightings.empty()) Q_EMIT OnLastSeenLoaded();
}

void TServerHistory::CloseFile() {
  reader_.Close();
  fileOpen_ = false;
  THistoryStore* store = store_.get();
  writer_.Hand([store] { store->Close(); });
}

void TServerHistory::SetWatchedPlayers(const QStringList& names) {
  watched_.clear();
  watchedAscii_.clear();
  for (const QString& name : names) {
    if (name.isEmpty()) continue;
    const QString folded = SightingKey(name);
    watched_.insert(folded);
    bool ascii = true;
    for (QChar c : folded) ascii = ascii && c.unicode() < 0x80;
    if (ascii) watchedAscii_.push_back(folded.toLatin1());
  }
}

void TServerHistory::Record(const QString& key, const TServer& server, qint64 now) {
  if (!enabled_) return;
  lastNow_ = now;
  if (!watched_.isEmpty()) RecordSightings(key, server, now);
  const auto last = lastSample_.constFind(key);
  if (!SampleDue(last == lastSample_.cend() ? std::nullopt : std::optional<qint64>(*last), now))
    return;
  std::optional<THistorySample> sample = SampleOf(server, now);
  if (!sample) return;
  lastSample_.insert(key, now);
  pending_.samples.push_back({key, std::move(*sample)});
  if (pending_.samples.size() >= kHistoryBatchSamples)
    HandPending();
  else if (!batchTimer_.isActive())
    batchTimer_.start();
}

void TServerHistory::RecordSightings(const QString& key, const TServer& server, qint64 now) {
  if (!server.Online) return;
  QString serverName;
  for (int slot = 0; slot < kPlayerSlots; ++slot) {
    if (!server.PlayerInUse(slot)) continue;
    // Nearly every name is plain ASCII: folded on the stack and compared without a copy or a
    // hash (a watched list is short). An ASCII name folds to ASCII, so it can only match a
    // watched name folded to ASCII.
    const QByteArrayView raw = server.PlayerTextLatin1(slot, TPlayerField::Name);
    char folded[64];
    bool ascii = !raw.isEmpty() && raw.size() <= qsizetype(sizeof folded);
    for (qsizetype i = 0; ascii && i < raw.size(); ++i) {
      const char c = raw[i];
      ascii = c >= 0x20 && c < 0x7F;
      folded[i] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
    QString name;
    if (ascii) {
      const QByteArrayView view(folded, raw.size());
      if (std::none_of(watchedAscii_.begin(), watchedAscii_.end(),
                       [&](const QByteArray& w) { return w.size() == view.size() && w == view; }))
        continue;
      name = QString::fromLatin1(raw);
    } else {
      name = PlainName(server.PlayerText(slot, TPlayerField::Name));
      if (!watched_.contains(SightingKey(name))) continue;
    }
    if (serverName.isEmpty()) serverName = PlainName(server.Description());
    const TSighting seen{name, key, serverName, now};
    TakeSighting(seen);
    pendingSightings_.insert(SightingKey(name), seen);
    if (!batchTimer_.isActive()) batchTimer_.start();
  }
}

void TServerHistory::TakeSighting(const TSighting& seen) {
  TSighting& kept = lastSeen_[SightingKey(seen.player)];
  // A player on several servers shows the latest sighting; on a tie, the reply that came last.
  if (kept.player.isEmpty() || seen.time >= kept.time) kept = seen;
}

std::optional<TSighting> TServerHistory::LastSeen(const QString& player) const {
  const auto it = lastSeen_.constFind(SightingKey(player));
  if (it == lastSeen_.cend()) return std::nullopt;
  return *it;
}

void TServerHistory::HandPending() {
  batchTimer_.stop();
  if (!enabled_) return;
  THistoryBatch batch = std::exchange(pending_, {});
  batch.sightings.reserve(std::size_t(pendingSightings_.size()));
  for (const TSighting& seen : std::as_const(pendingSightings_)) batch.sightings.push_back(seen);
  pendingSightings_.clear();
  if (batch.Empty()) return;
  THistoryStore* store = store_.get();
  const qint64 now = lastNow_;
  writer_.Hand(
      [store, batch = std::move(batch), now]() mutable {
        store->Write(std::move(batch), now);
        return std::pair(store->TakeLog(), store->Openings());
      },
      this, [this](const std::pair<QStringList, int>& written) {
        LogLines(written.first);
        // A file found damaged was set aside and a new one started: read the new one.
        if (written.second != openings_) reader_.Close();
        openings_ = written.second;
      });
}

void TServerHistory::HandClose() {
  if (closed_) return;
  HandPending();
  if (enabled_) CloseFile();
  enabled_ = false;
  closed_ = true;
}

void TServerHistory::Close() {
  HandClose();
  // The file is closed on the writer thread before this object (and its store) can go.
  writer_.Flush();
}

std::vector<THistorySample> TServerHistory::Read(const QString& key, qint64 from, qint64 now,
                                                 bool maps) {
  std::vector<THistorySample> samples;
  if (!enabled_) return samples;
  if (fileOpen_)
    samples = maps ? reader_.Samples(key, from, now) : reader_.PlayerCounts(key, from, now);
  // Samples not handed yet; those on their way to the file are already in it or soon.
  const std::size_t fromFile = samples.size();
  for (const TKeyedSample& keyed : pending_.samples)
    if (keyed.sample.time >= from && keyed.sample.time <= now &&
        keyed.key.compare(key, Qt::CaseInsensitive) == 0)
      samples.push_back(keyed.sample);
  if (samples.size() > fromFile)
    std::stable_sort(samples.begin(), samples.end(),
                     [](const THistorySample& a, const THistorySample& b) { return a.time < b.time; });
  return samples;
}

THistoryChartData TServerHistory::ChartData(const QString& key, qint64 now) {
  THistoryChartData data;
  data.now = now;
  data.busiest = BusyHours(key, now);
  data.samples = Read(key, now - kChartSpanSecs, now, true);
  return data;
}

std::optional<TBusyHours> TServerHistory::BusyHours(const QString& key, qint64 now) {
  return BusiestHours(Read(key, now - kHistoryKeepSecs, now, false));
}

}  // namespace zorvane
