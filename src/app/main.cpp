// SPDX-License-Identifier: GPL-2.0-or-later
// zorvane: the program. "--dir DIR" names the folder of its configuration files.

#include <QApplication>
#include <QTimer>

#include "app/unix_signals.h"
#include "config/start_directory.h"
#include "config/wine_registry.h"
#include "gui/window/main_window.h"
#include "query/host_lookup.h"
#include "query/open_file_limit.h"

int main(int argc, char** argv) {
  using namespace zorvane;
  RaiseOpenFileLimit();
  // Qt's own event dispatcher: the glib one slows down with thousands of sockets.
  if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("zorvane"));
  QApplication::setApplicationDisplayName(QStringLiteral("Zorvane"));
  QApplication::setQuitOnLastWindowClosed(false);

  TWineRegistry registry(TWineRegistry::DefaultPrefix());
  registry.Load();
  TStartOptions options;
  options.directory = ResolveStartDirectory(DirArgument(app.arguments()));
  options.registry = &registry;
  int status = 0;
  bool lookupsRunning = false;
  {
    TfrmZorvane window(options);
    // Closing the window ends the program; hidden in the tray it keeps running.
    struct TQuitOnClose : QObject {
      bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close) QTimer::singleShot(0, qApp, &QApplication::quit);
        return false;
      }
    } quitOnClose;
    window.installEventFilter(&quitOnClose);
    TUnixSignalWatcher signals;
    QObject::connect(&signals, &TUnixSignalWatcher::Terminated, &window, &QWidget::close);

    if (window.ShowAtStart()) window.show();
    QTimer::singleShot(0, &window, [&window] { window.FirstShow(); });
    status = app.exec();
    lookupsRunning = window.Stash().HostLookupsRunning() > 0;
    // The close waited for the writer thread a while; a write stuck longer (a disk that hangs)
    // is left behind, with the old file still whole.
    if (window.WriteStillRunning()) EndProcessNow(status);
  }
  // The window has saved everything when it closed; a name look-up still running must not
  // hold the exit.
  if (lookupsRunning) EndProcessNow(status);
  return status;
}
