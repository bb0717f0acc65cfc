// zorvane-view-demo: one server view filled by a mass refresh from a master server, sorted by
// ping, with the first server selected. Shows what the view looks like before the main window
// exists; --screenshot FILE saves the window and quits.

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/mass_refresh.h"
#include "query/open_file_limit.h"
#include "query/server_stash.h"
#include "view/server_rows.h"
#include "view/server_view.h"
#include "view/string_grid.h"

using namespace zorvane;

namespace {

// Shows the mass refresh in the view, as the main window will.
class TViewHost : public TMassRefreshHost {
 public:
  explicit TViewHost(TkorvUTServerView& view) : view_(view) {}
  void ActivityLog(const QString& text) override { std::fprintf(stderr, "%s\n", qUtf8Printable(text)); }
  void DebugLog(const QString&) override {}
  void ShowStatus(const QString& text) override { view_.SetStatusText(0, text, false, true); }
  void SetMassRefreshing(bool on) override { view_.SetMassRefresh(on); }
  void RebuildViews() override { view_.PopulateServerGrid(true, true); }
  bool ShowLowReplyNotice(const QString& text) override {
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    return false;
  }
  void MassRefreshFinished() override {
    view_.ResortGrid(gtServer, scPing, TSortDirection::Ascending);
    view_.SelectServer(view_.ServerGrid()->Cells(scIP, view_.ServerGrid()->FixedRows()));
    view_.UpdateCountText();
    if (done) done();
  }
  std::function<void()> done;

 private:
  TkorvUTServerView& view_;
};

}  // namespace

int main(int argc, char** argv) {
  RaiseOpenFileLimit();
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const QString master = args.value(args.indexOf(QStringLiteral("--master")) + 1);
  const int shotAt = args.indexOf(QStringLiteral("--screenshot"));
  const QString screenshot = shotAt > 0 ? args.value(shotAt + 1) : QString();
  const auto address = ParseMasterAddress(master);
  if (master.isEmpty() || !address) {
    std::fprintf(stderr, "usage: zorvane-view-demo --master HOST[:PORT] [--screenshot FILE]\n");
    return 2;
  }

  TServerStash stash;
  const std::vector<std::unique_ptr<TGameType>> noTypes;  // every game type goes to "Other"
  TkorvUTServerView view;
  view.setWindowTitle(QStringLiteral("Zorvane"));
  view.SetStash(&stash);
  view.SetGameTypes(&noTypes);
  view.SetGameType(QString::fromLatin1(kOtherGameType));
  view.SetTitle(QStringLiteral("&Other"));
  view.SetMorePlayerInfo(true, false);
  view.SetStatusText(1, QStringLiteral("2.91"), false, false);
  view.resize(980, 640);
  view.show();

  TViewHost host(view);
  TMassRefresh refresh(stash, host);
  refresh.Master = *address;
  QObject::connect(&stash, &TServerStash::OnServerUpdated, &refresh, [&](const QString& key) {
    if (!refresh.ServerUpdated(key)) view.ServerUpdated(stash.IndexOf(key));
  });
  if (!screenshot.isEmpty()) {
    host.done = [&] {
      QTimer::singleShot(300, &view, [&] {
        const bool saved = view.grab().save(screenshot);
        std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qUtf8Printable(screenshot));
        app.exit(saved ? 0 : 1);
      });
    };
  }
  QTimer::singleShot(0, &view, [&] {
    if (!refresh.StartMassRefresh(QStringLiteral("UT")) && !screenshot.isEmpty()) app.exit(1);
  });
  return app.exec();
}
