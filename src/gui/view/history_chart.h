// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The chart of a server's players, for beside its players and settings: the last 24 hours or
// the last 7 days (two buttons), the players as a stepped line over the server's seats
// (dashed), each map change marked with its map, and under it when the server is usually
// busiest. It takes what TServerHistory::ChartData gives and reads nothing itself.
//
// Drawn with QPainter: at most a week of samples (about a thousand at one every ten minutes)
// is a few paths, drawn in well under a millisecond, with no new dependency; Qt Charts would
// bring a QGraphicsView per chart and its own look for one line and a few marks.

#include <QLabel>
#include <QToolButton>
#include <QWidget>

#include "history/server_history.h"

namespace zorvane {

enum class THistoryRange { Day, Week };

class THistoryPlot;

class THistoryChart : public QWidget {
  Q_OBJECT
 public:
  explicit THistoryChart(QWidget* parent = nullptr);

  // A server's chart data (samples of the last week up to data.now, the busy hours).
  void SetData(THistoryChartData data);
  void Clear() { SetData({}); }
  const THistoryChartData& Data() const { return data_; }

  void SetRange(THistoryRange range);
  THistoryRange Range() const { return range_; }
  // The span the range shows, ending at the data's now.
  qint64 SpanSecs() const;

  // "usually busiest 20:00–23:00", or empty.
  QString BusyLine() const { return busy_->text(); }
  QWidget* Plot() const;
  QToolButton* DayButton() const { return day_; }
  QToolButton* WeekButton() const { return week_; }

 Q_SIGNALS:
  void OnRangeChanged(THistoryRange range);

 private:
  THistoryChartData data_;
  THistoryRange range_ = THistoryRange::Day;
  QToolButton* day_;
  QToolButton* week_;
  THistoryPlot* plot_;
  QLabel* busy_;
};

// The drawing itself; the chart's child.
class THistoryPlot : public QWidget {
 public:
  explicit THistoryPlot(const THistoryChart& chart, QWidget* parent = nullptr);

  // Where a time and a player count are drawn (outside the plot area for a time out of range).
  QPointF PointOf(qint64 time, double players) const;
  QRectF PlotArea() const;
  // The highest count the vertical axis shows.
  int Top() const;
  // What the tool tip says at a point: the sample nearest in time ("Tue 20:10 · 5/16 players ·
  // CTF-Face"); empty away from every sample.
  QString ToolTipAt(const QPoint& at) const;

  QSize sizeHint() const override { return {360, 160}; }
  QSize minimumSizeHint() const override { return {160, 90}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // What every point of one drawing shares, worked out once.
  struct TScale {
    QRectF area;
    qint64 from = 0, span = 1;
    int top = 4;
    QPointF At(qint64 time, double players) const {
      return {area.left() + double(time - from) / double(span) * area.width(),
              area.bottom() - players / top * area.height()};
    }
  };
  TScale Scale() const;
  void DrawAxes(QPainter& painter, const TScale& scale) const;
  void DrawSeries(QPainter& painter, const TScale& scale) const;
  void DrawMapChanges(QPainter& painter, const TScale& scale) const;

  const THistoryChart& chart_;
};

}  // namespace zorvane
