// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/view/history_chart.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "history/chart_series.h"

namespace zorvane {

namespace {

constexpr qint64 kDaySecs = 24 * 3600;
// How near (in pixels) the pointer must be to a sample for its tool tip.
constexpr int kTipReach = 8;
const QColor kMapMark(200, 110, 0);
// Map changes closer than this (pixels) get a tick only; a name is cut to this width.
constexpr qreal kLineRoom = 24;
constexpr qreal kLabelWidth = 120;

// The samples inside [from, to].
std::span<const THistorySample> Shown(const std::vector<THistorySample>& samples, qint64 from,
                                      qint64 to) {
  const auto before = [](const THistorySample& s, qint64 t) { return s.time < t; };
  const auto first = std::lower_bound(samples.begin(), samples.end(), from, before);
  const auto last = std::upper_bound(samples.begin(), samples.end(), to,
                                     [](qint64 t, const THistorySample& s) { return t < s.time; });
  return {first, last};
}

}  // namespace

THistoryChart::THistoryChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("HistoryChart"));
  day_ = new QToolButton(this);
  day_->setText(QStringLiteral("24 hours"));
  week_ = new QToolButton(this);
  week_->setText(QStringLiteral("7 days"));
  auto* group = new QButtonGroup(this);
  for (QToolButton* button : {day_, week_}) {
    button->setCheckable(true);
    button->setAutoRaise(true);
    group->addButton(button);
  }
  day_->setChecked(true);
  connect(day_, &QToolButton::clicked, this, [this] { SetRange(THistoryRange::Day); });
  connect(week_, &QToolButton::clicked, this, [this] { SetRange(THistoryRange::Week); });
  plot_ = new THistoryPlot(*this, this);
  busy_ = new QLabel(this);
  busy_->setVisible(false);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->addWidget(day_);
  buttons->addWidget(week_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addLayout(buttons);
  layout->addWidget(plot_, 1);
  layout->addWidget(busy_);
}

QWidget* THistoryChart::Plot() const {
  return plot_;
}

void THistoryChart::SetData(THistoryChartData data) {
  data_ = std::move(data);
  const QString line = BusyHoursLine(data_.busiest);
  busy_->setText(line);
  busy_->setVisible(!line.isEmpty());
  plot_->update();
}

void THistoryChart::SetRange(THistoryRange range) {
  (range == THistoryRange::Day ? day_ : week_)->setChecked(true);
  if (range == range_) return;
  range_ = range;
  plot_->update();
  Q_EMIT OnRangeChanged(range);
}

qint64 THistoryChart::SpanSecs() const {
  return range_ == THistoryRange::Day ? kDaySecs : kChartSpanSecs;
}

THistoryPlot::THistoryPlot(const THistoryChart& chart, QWidget* parent)
    : QWidget(parent), chart_(chart) {
  setObjectName(QStringLiteral("HistoryPlot"));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QRectF THistoryPlot::PlotArea() const {
  const QFontMetrics metrics = fontMetrics();
  // Room for the counts on the left, the map names above, the times below.
  const qreal left = metrics.horizontalAdvance(QStringLiteral("888")) + 6;
  const qreal top = metrics.height() + 2;
  const qreal bottom = metrics.height() + 4;
  return QRectF(left, top, std::max<qreal>(1, width() - left - 6),
                std::max<qreal>(1, height() - top - bottom));
}

int THistoryPlot::Top() const {
  const THistoryChartData& data = chart_.Data();
  int top = 4;
  for (const THistorySample& s : Shown(data.samples, data.now - chart_.SpanSecs(), data.now))
    top = std::max({top, s.players, s.maxPlayers});
  const int step = top <= 8 ? 2 : top <= 16 ? 4 : 8;
  return (top + step - 1) / step * step;
}

THistoryPlot::TScale THistoryPlot::Scale() const {
  TScale scale;
  scale.area = PlotArea();
  scale.span = chart_.SpanSecs();
  scale.from = chart_.Data().now - scale.span;
  scale.top = Top();
  return scale;
}

QPointF THistoryPlot::PointOf(qint64 time, double players) const {
  return Scale().At(time, players);
}

void THistoryPlot::paintEvent(QPaintEvent*) {
  const TScale scale = Scale();
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  DrawAxes(painter, scale);
  painter.setClipRect(scale.area.adjusted(-1, -1, 1, 1));
  DrawSeries(painter, scale);
  painter.setClipping(false);
  DrawMapChanges(painter, scale);
}

void THistoryPlot::DrawAxes(QPainter& painter, const TScale& scale) const {
  const QRectF area = scale.area;
  const QFontMetrics metrics = fontMetrics();
  const int top = scale.top;
  const int step = top <= 8 ? 2 : top <= 16 ? 4 : 8;
  QPen grid(palette().color(QPalette::Midlight));
  painter.setPen(grid);
  for (int count = 0; count <= top; count += step) {
    const qreal y = std::round(scale.At(0, count).y());
    painter.setPen(grid);
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRectF(0, y - metrics.height() / 2.0, area.left() - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(count));
  }
  // Times below: every third hour over a day, every midnight over a week (local time).
  const qint64 now = chart_.Data().now;
  const qint64 from = now - chart_.SpanSecs();
  const bool day = chart_.Range() == THistoryRange::Day;
  QDateTime tick = QDateTime::fromSecsSinceEpoch(from);
  tick.setTime(QTime(day ? tick.time().hour() / 3 * 3 : 0, 0));
  for (; tick.toSecsSinceEpoch() <= now; tick = day ? tick.addSecs(3 * 3600) : tick.addDays(1)) {
    const qint64 t = tick.toSecsSinceEpoch();
    if (t < from) continue;
    const qreal x = std::round(scale.At(t, 0).x());
    painter.setPen(grid);
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom() + 2));
    painter.setPen(palette().color(QPalette::Text));
    const QString label = tick.toString(day ? QStringLiteral("HH:mm") : QStringLiteral("ddd"));
    const qreal w = metrics.horizontalAdvance(label);
    if (x + w / 2 > width()) continue;
    painter.drawText(QPointF(std::max<qreal>(0, x - w / 2), area.bottom() + 2 + metrics.ascent()),
                     label);
  }
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(area);
}

void THistoryPlot::DrawSeries(QPainter& painter, const TScale& scale) const {
  const THistoryChartData& data = chart_.Data();
  const auto shown = Shown(data.samples, data.now - chart_.SpanSecs(), data.now);
  const QColor line = palette().color(QPalette::Highlight);
  QColor fill = line;
  fill.setAlpha(60);
  QPen seatsPen(palette().color(QPalette::Mid), 1, Qt::DashLine);
  QPen playersPen(line, 1);
  // Lines that only run across and down need no antialiasing once on whole pixels, and a
  // week's thousand steps are drawn many times faster without it.
  const auto at = [&](qint64 time, int players) {
    const QPointF p = scale.At(time, players);
    return QPointF(std::round(p.x()), std::round(p.y()));
  };
  for (const TChartRun& run : ChartRuns(shown)) {
    // Each sample holds until the next one: a stepped line.
    const auto stepped = [&](int THistorySample::*value) {
      QPainterPath path(at(shown[run.first].time, shown[run.first].*value));
      for (std::size_t i = run.first + 1; i <= run.last; ++i) {
        if (shown[i].*value == shown[i - 1].*value) continue;  // no step: no corner
        path.lineTo(at(shown[i].time, shown[i - 1].*value));
        path.lineTo(at(shown[i].time, shown[i].*value));
      }
      path.lineTo(at(shown[run.last].time, shown[run.last].*value));
      return path;
    };
    painter.setPen(seatsPen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(stepped(&THistorySample::maxPlayers));
    QPainterPath players = stepped(&THistorySample::players);
    QPainterPath area = players;
    area.lineTo(at(shown[run.last].time, 0));
    area.lineTo(at(shown[run.first].time, 0));
    area.closeSubpath();
    painter.fillPath(area, fill);
    painter.setPen(playersPen);
    painter.drawPath(players);
    if (run.first == run.last) {  // one reply alone: a dot
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setBrush(line);
      painter.drawEllipse(scale.At(shown[run.first].time, shown[run.first].players), 2.5, 2.5);
      painter.setRenderHint(QPainter::Antialiasing, false);
    }
  }
}

void THistoryPlot::DrawMapChanges(QPainter& painter, const TScale& scale) const {
  const THistoryChartData& data = chart_.Data();
  const auto shown = Shown(data.samples, data.now - chart_.SpanSecs(), data.now);
  const QRectF area = scale.area;
  const QFontMetrics metrics = fontMetrics();
  // A busy server changes its map every twenty minutes or so: each change gets a tick at the
  // top, a line down the plot only where changes are far enough apart to tell them from
  // the players' steps, and its name where the one before leaves room.
  qreal tickEnd = -1, lineEnd = -1, labelsEnd = -1;
  const std::vector<TMapChange> changes = MapChanges(shown);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const qreal x = std::round(scale.At(changes[i].time, 0).x());
    if (x < tickEnd) continue;
    tickEnd = x + 3;
    painter.setPen(QPen(kMapMark, 1));
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.top() + 5));
    const qreal next =
        i + 1 < changes.size() ? scale.At(changes[i + 1].time, 0).x() : area.right() + kLineRoom;
    if (x - lineEnd >= kLineRoom && next - x >= kLineRoom) {
      painter.setPen(QPen(kMapMark, 1, Qt::DotLine));
      painter.drawLine(QPointF(x, area.top() + 5), QPointF(x, area.bottom()));
      lineEnd = x;
    }
    if (x - 2 <= labelsEnd) continue;
    const QString& map = changes[i].map;
    const qreal w = std::min<qreal>(metrics.horizontalAdvance(map), kLabelWidth);
    const qreal left = std::min(x - 2, width() - w);
    if (left <= labelsEnd) continue;
    painter.setPen(kMapMark);
    painter.drawText(QPointF(left, metrics.ascent()),
                     w < kLabelWidth ? map : metrics.elidedText(map, Qt::ElideRight, int(w)));
    labelsEnd = left + w + 4;
  }
}

QString THistoryPlot::ToolTipAt(const QPoint& at) const {
  const THistoryChartData& data = chart_.Data();
  const auto shown = Shown(data.samples, data.now - chart_.SpanSecs(), data.now);
  const TScale scale = Scale();
  const THistorySample* nearest = nullptr;
  qreal distance = kTipReach + 1;
  for (const THistorySample& s : shown) {
    const qreal d = std::abs(scale.At(s.time, 0).x() - at.x());
    if (d < distance) {
      distance = d;
      nearest = &s;
    }
  }
  if (!nearest || !scale.area.adjusted(-kTipReach, 0, kTipReach, 0).contains(at)) return {};
  QString tip = QDateTime::fromSecsSinceEpoch(nearest->time).toString(QStringLiteral("ddd HH:mm")) +
                QStringLiteral(" \u00B7 ") + QString::number(nearest->players);
  if (nearest->maxPlayers > 0) tip += u'/' + QString::number(nearest->maxPlayers);
  tip += QStringLiteral(" players");
  if (!nearest->map.isEmpty()) tip += QStringLiteral(" \u00B7 ") + nearest->map;
  return tip;
}

bool THistoryPlot::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = ToolTipAt(help->pos());
    if (tip.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), tip, this);
    return true;
  }
  return QWidget::event(event);
}

}  // namespace zorvane
