// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/master_set_query.h"

#include <QTimer>
#include <algorithm>
#include <optional>

#include "query/master_exchange.h"

namespace zorvane {

QString EntryKey(const TMasterEntry& entry) {
  return QString::fromLatin1(entry.address) + u':' + QString::number(entry.port);
}

namespace {

// Dotted IPv4 "A.B.C.D" (no leading zeros) and a port as one number; nothing for anything
// else.
template <typename Char>
std::optional<quint64> EndpointNumber(const Char* text, qsizetype size, quint32 port) {
  quint64 address = 0;
  quint32 part = 0;
  int digits = 0, dots = 0;
  for (qsizetype i = 0; i < size; ++i) {
    const auto c = char16_t(text[i]);
    if (c >= u'0' && c <= u'9' && digits < 3 && !(digits == 1 && part == 0)) {
      part = part * 10 + (c - u'0');
      ++digits;
    } else if (c == u'.' && digits > 0 && dots < 3) {
      address = (address << 8) | part;
      part = 0;
      digits = 0;
      ++dots;
    } else {
      return std::nullopt;
    }
  }
  if (dots != 3 || digits == 0 || part > 255 || port > 65535) return std::nullopt;
  return (((address << 8) | part) << 16) | port;
}

}  // namespace

std::vector<TMasterEntry> TMasterListMerge::Add(const std::vector<TMasterEntry>& entries) {
  std::vector<TMasterEntry> fresh;
  fresh.reserve(entries.size());
  keys_.reserve(keys_.size() + qsizetype(entries.size()));  // no rehash after rehash
  for (const TMasterEntry& entry : entries) {
    // Addresses are dotted numbers without leading zeros: one number per address.
    const auto key = EndpointNumber(entry.address.constData(), entry.address.size(), entry.port);
    if (!key || keys_.contains(*key)) continue;
    keys_.insert(*key);
    fresh.push_back(entry);
  }
  return fresh;
}

bool TMasterListMerge::Contains(const QString& key) const {
  const qsizetype colon = key.lastIndexOf(u':');
  if (colon < 0) return false;
  bool ok = false;
  const uint port = QStringView(key).sliced(colon + 1).toUInt(&ok);
  if (!ok) return false;
  const auto number = EndpointNumber(key.utf16(), colon, port);
  return number && keys_.contains(*number);
}

TMasterSetQuery::TMasterSetQuery(const TMasterGame& game, const TMasterAddresses& masters,
                                 const TMasterQueryOptions& options, THostLookup lookup,
                                 QObject* parent)
    : QObject(parent), game_(game), options_(options), lookup_(std::move(lookup)) {
  for (const TMasterAddress& master : masters) {
    const bool named = std::any_of(masters_.begin(), masters_.end(), [&](const auto& m) {
      return m.port == master.port && m.host.compare(master.host, Qt::CaseInsensitive) == 0;
    });
    if (!named) masters_.push_back(master);
  }
}

TMasterSetQuery::~TMasterSetQuery() {
  Stop();
}

void TMasterSetQuery::Start() {
  if (running_ || !exchanges_.empty() || !outcomes_.empty()) return;
  running_ = true;
  if (masters_.empty()) {
    QTimer::singleShot(0, this, [this] {
      running_ = false;
      Q_EMIT OnFinished();
    });
    return;
  }
  for (const TMasterAddress& master : masters_) {
    exchanges_.push_back(std::make_unique<TMasterExchange>(game_, master, options_, lookup_));
    connect(exchanges_.back().get(), &TMasterExchange::OnFinished, this,
            &TMasterSetQuery::Finished);
  }
  // Started after all exist: an answer that comes at once finds the set whole.
  for (const auto& exchange : exchanges_) exchange->Start();
}

void TMasterSetQuery::Stop() {
  running_ = false;
  for (const auto& exchange : exchanges_) {
    exchange->disconnect(this);
    exchange->Abort();
  }
}

bool TMasterSetQuery::AllWhole() const {
  return !running_ && !masters_.empty() && outcomes_.size() == masters_.size() &&
         std::all_of(outcomes_.begin(), outcomes_.end(),
                     [](const auto& o) { return o.result == TMasterResult::Listed; });
}

void TMasterSetQuery::Finished(const TMasterOutcome& outcome,
                               const std::vector<TMasterEntry>& entries) {
  if (!running_) return;
  outcomes_.push_back(outcome);
  const bool last = outcomes_.size() == masters_.size();
  if (last) running_ = false;
  Q_EMIT OnListed(outcome, listed_.Add(entries));
  if (last) Q_EMIT OnFinished();
}

}  // namespace zorvane
