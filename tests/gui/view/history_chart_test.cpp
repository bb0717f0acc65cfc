// SPDX-License-Identifier: GPL-2.0-or-later
// The history chart offscreen: what each range draws where, the map marks, the busy line,
// the range buttons and the tool tip.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "gui/view/history_chart.h"

namespace zorvane {
namespace {

constexpr qint64 kNow = 1714600000;

class HistoryChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chart.resize(600, 260);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
  }
  THistoryPlot& Plot() { return static_cast<THistoryPlot&>(*chart.Plot()); }
  QImage Picture() { return chart.Plot()->grab().toImage(); }
  // Whether a pixel within reach of the point has the colour (the lines are antialiased).
  bool ColourNear(const QImage& image, QPointF at, const QColor& colour, int reach = 2) {
    for (int dx = -reach; dx <= reach; ++dx)
      for (int dy = -reach; dy <= reach; ++dy) {
        const QPoint p(int(at.x()) + dx, int(at.y()) + dy);
        if (!image.rect().contains(p)) continue;
        const QColor c = image.pixelColor(p);
        if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                std::abs(c.blue() - colour.blue()) < 60)
          return true;
      }
    return false;
  }
  QColor Line() { return chart.Plot()->palette().color(QPalette::Highlight); }

  THistoryChart chart;
};

// Every ten minutes for the last three days: two players, twelve between 20:00 and 21:00
// three days ago (so only the week shows it), and the map changing to CTF-Face two hours ago.
THistoryChartData ThreeDays() {
  THistoryChartData data;
  data.now = kNow;
  for (qint64 t = kNow - 3 * 86400; t <= kNow; t += 600) {
    const bool busy = t >= kNow - 3 * 86400 && t < kNow - 3 * 86400 + 3600;
    data.samples.push_back({t, busy ? 12 : 2, 16, t < kNow - 7200 ? "DM-Deck16][" : "CTF-Face"});
  }
  data.busiest = TBusyHours{20, 3, 12};
  return data;
}

TEST_F(HistoryChartTest, EachRangeDrawsItsSamplesAndTheMapChange) {
  chart.SetData(ThreeDays());
  EXPECT_EQ(chart.BusyLine(), QString::fromUtf8("usually busiest 20:00–23:00"));
  EXPECT_EQ(Plot().Top(), 16);  // the seats set the scale

  // The last day: two players across, the busy hour three days ago is left of the plot.
  QImage day = Picture();
  const QRectF area = Plot().PlotArea();
  EXPECT_TRUE(ColourNear(day, Plot().PointOf(kNow - 12 * 3600, 2), Line()));
  EXPECT_FALSE(ColourNear(day, Plot().PointOf(kNow - 12 * 3600, 12), Line()));
  EXPECT_LT(Plot().PointOf(kNow - 3 * 86400, 12).x(), area.left());
  // The map change two hours ago is marked down the plot.
  EXPECT_TRUE(ColourNear(day, Plot().PointOf(kNow - 7200, 8), QColor(200, 110, 0), 3));

  // The week: the busy hour is inside, at twelve players.
  QSignalSpy changed(&chart, &THistoryChart::OnRangeChanged);
  QTest::mouseClick(chart.WeekButton(), Qt::LeftButton);
  EXPECT_EQ(chart.Range(), THistoryRange::Week);
  EXPECT_EQ(changed.count(), 1);
  const QImage week = Picture();
  const QPointF busy = Plot().PointOf(kNow - 3 * 86400 + 1800, 12);
  EXPECT_GT(busy.x(), area.left());
  EXPECT_TRUE(ColourNear(week, busy, Line()));
  QTest::mouseClick(chart.DayButton(), Qt::LeftButton);
  EXPECT_EQ(chart.Range(), THistoryRange::Day);
  EXPECT_TRUE(chart.DayButton()->isChecked());
}

TEST_F(HistoryChartTest, AGapLeavesTheLineOpenAndALoneReplyIsADot) {
  THistoryChartData data;
  data.now = kNow;
  // Two replies an hour and a half apart: nobody asked in between, so no line joins them.
  data.samples = {{kNow - 20000, 6, 8, "DM-A"}, {kNow - 14600, 6, 8, "DM-A"}};
  chart.SetData(data);
  const QImage image = Picture();
  EXPECT_TRUE(ColourNear(image, Plot().PointOf(kNow - 20000, 6), Line()));
  EXPECT_TRUE(ColourNear(image, Plot().PointOf(kNow - 14600, 6), Line()));
  EXPECT_FALSE(ColourNear(image, Plot().PointOf(kNow - 17300, 6), Line(), 1));
  EXPECT_TRUE(chart.BusyLine().isEmpty());
}

TEST_F(HistoryChartTest, ToolTipNamesTheNearestSample) {
  THistoryChartData data;
  data.now = kNow;
  data.samples = {{kNow - 7200, 5, 16, "CTF-Face"}, {kNow - 3600, 0, 0, ""}};
  chart.SetData(data);
  const QString when = QDateTime::fromSecsSinceEpoch(kNow - 7200).toString("ddd HH:mm");
  EXPECT_EQ(Plot().ToolTipAt(Plot().PointOf(kNow - 7200, 0).toPoint() + QPoint(2, -20)),
            when + QString::fromUtf8(" · 5/16 players · CTF-Face"));
  EXPECT_TRUE(Plot().ToolTipAt(Plot().PointOf(kNow - 3600, 0).toPoint())
                  .endsWith(QString::fromUtf8(" · 0 players")));
  EXPECT_EQ(Plot().ToolTipAt(Plot().PointOf(kNow - 20000, 0).toPoint()), "");
  chart.Clear();
  EXPECT_EQ(Plot().ToolTipAt(Plot().PointOf(kNow - 7200, 0).toPoint()), "");
  Picture();  // an empty chart draws its axes and nothing else, without a fault
}

}  // namespace
}  // namespace zorvane
