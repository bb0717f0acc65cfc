// SPDX-License-Identifier: GPL-2.0-or-later
// The history chart's drawing time: a week of samples every ten minutes (about a thousand,
// players following the time of day, the map changing every twenty minutes), painted into
// an image of the plot's size, over a day and over the week. "bench_history_chart FILE.png"
// also saves both pictures (FILE-day.png, FILE-week.png) to look at.

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "gui/view/history_chart.h"

using namespace zorvane;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString picture = app.arguments().value(1);
  const QStringList maps = {"DM-Deck16][", "CTF-Face", "DM-Morpheus", "AS-Frigate"};
  THistoryChartData data;
  data.now = QDateTime::currentSecsSinceEpoch();
  for (qint64 t = data.now - kChartSpanSecs; t <= data.now; t += 600) {
    const int hour = QDateTime::fromSecsSinceEpoch(t).time().hour();
    const int players = hour >= 20 && hour <= 22 ? 14 : hour >= 12 ? 5 : 1;
    data.samples.push_back({t, std::max(0, players + int(t / 600 % 3) - 1), 16,
                            maps[int(t / 1200 % maps.size())]});
  }
  data.busiest = TBusyHours{20, 3, 14};
  THistoryChart chart;
  chart.resize(640, 240);
  chart.show();
  chart.SetData(data);
  for (const THistoryRange range : {THistoryRange::Day, THistoryRange::Week}) {
    chart.SetRange(range);
    QImage image(chart.Plot()->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> ms;
    for (int i = 0; i < 50; ++i) {
      QElapsedTimer clock;
      clock.start();
      chart.Plot()->render(&image);
      ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s (%dx%d): median %.2f ms, largest %.2f ms a paint\n",
                range == THistoryRange::Day ? "24 hours" : "7 days", image.width(),
                image.height(), ms[ms.size() / 2], ms.back());
    if (!picture.isEmpty())
      chart.grab().save(QString(picture).replace(
          QStringLiteral(".png"),
          range == THistoryRange::Day ? QStringLiteral("-day.png") : QStringLiteral("-week.png")));
  }
  return 0;
}
