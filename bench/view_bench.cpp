// SPDX-License-Identifier: GPL-2.0-or-later
// Speed of a server view over 10,000 servers (offscreen; another count as the first argument):
// filling the grid, a header click on "Ping", a whole list of replies arriving one by one, and
// keystrokes in the quick search box. Run by hand.

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/status_samples.h"
#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/view/quick_search_box.h"
#include "gui/view/server_view.h"
#include "query/open_file_limit.h"
#include "query/server_stash.h"
#include "query/text_protocol.h"

using namespace zorvane;

namespace {

constexpr int kDefaultServers = 10000;

double Ms(QElapsedTimer& timer) {
  return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  RaiseOpenFileLimit();
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int servers = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultServers;

  TServerStash stash;
  std::vector<std::unique_ptr<TGameType>> types;
  for (int i = 0; i < servers; ++i) {
    stash.AddServer(QStringLiteral("10.%1.%2.1").arg(i / 250).arg(i % 250), QStringLiteral("7778"),
                    {}, false, QStringLiteral("UT"), QStringLiteral("True"), {});
    TServer& server = *stash.Server(i);
    int mark = 0;
    ParseTextDatagram(server, bench::TextStatus(12, QByteArray::number(i)), mark, 20 + i % 300, {});
    server.SetGameType(QStringLiteral("CTFGame"));
    stash.ReleaseTransport(i);  // no sockets needed: nothing is sent
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  TkorvUTServerView view;
  view.SetStash(&stash);
  view.SetGameTypes(&types);
  view.SetGameType(QStringLiteral("CTFGame"));
  view.SetTitle(QStringLiteral("CTF"));
  view.resize(1000, 700);
  view.show();
  if (!QTest::qWaitForWindowExposed(&view)) return 1;

  QElapsedTimer timer;
  timer.start();
  view.PopulateServerGrid(true, true);
  QCoreApplication::processEvents();
  const double populate = Ms(timer);

  TkorvStringGrid* grid = view.ServerGrid();
  QHeaderView* header = grid->horizontalHeader();
  const QPoint ping(header->sectionViewportPosition(scPing) + header->sectionSize(scPing) / 2,
                    header->height() / 2);
  timer.restart();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, ping);
  QCoreApplication::processEvents();
  const double sort = Ms(timer);

  timer.restart();
  for (int i = 0; i < servers; ++i) view.ServerUpdated(i);
  QCoreApplication::processEvents();
  const double updates = Ms(timer);

  const int rowsBefore = grid->RowCount() - grid->FixedRows();

  // Each keystroke timed with the repaint it causes: typing narrows, Backspace and Esc widen.
  TQuickSearchBox* box = view.SearchBox();
  box->setFocus();
  const auto key = [&](Qt::Key k, char c, const char* label) {
    QElapsedTimer t;
    t.start();
    if (c)
      QTest::keyClick(box, c);
    else
      QTest::keyClick(box, k);
    QCoreApplication::processEvents();
    std::printf("  %-30s %8.1f ms  %5d rows\n", label, Ms(t), grid->RowCount() - grid->FixedRows());
  };
  std::printf("Quick search keystrokes (target 30 ms each):\n");
  for (const char* typed : {"arena 12", "gamer7"}) {
    QByteArray text;
    for (const char* c = typed; *c; ++c) {
      text += *c;
      key(Qt::Key_unknown, *c, QByteArray("type \"" + text + "\"").constData());
    }
    for (int i = 0; i < 3; ++i) {
      text.chop(1);
      key(Qt::Key_Backspace, 0, QByteArray("Backspace to \"" + text + "\"").constData());
    }
    key(Qt::Key_Escape, 0, "Esc (all rows back)");
  }

  std::printf("%d servers, %d rows\n", servers, rowsBefore);
  std::printf("PopulateServerGrid            %8.1f ms  (target 250)\n", populate);
  std::printf("header click on Ping (sort)   %8.1f ms  (target 100)\n", sort);
  std::printf("%d ServerUpdated calls     %8.1f ms  (target 1000)\n", servers, updates);
  return 0;
}
