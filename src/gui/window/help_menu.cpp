// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/help_menu.h"

#include <QAction>
#include <QMenu>

#include "gui/dialogs/about_dialog.h"
#include "gui/dialogs/centre_on_parent.h"
#include "gui/dialogs/shortcuts_dialog.h"
#include "gui/view/server_view.h"

namespace zorvane {

namespace {

// The view an object belongs to, if any.
const TkorvUTServerView* ViewOf(const QObject* object) {
  for (; object; object = object->parent())
    if (auto* view = qobject_cast<const TkorvUTServerView*>(object)) return view;
  return nullptr;
}

void Present(QDialog* dialog) {
  if (!dialog->isVisible()) {
    dialog->adjustSize();
    CentreOnParent(dialog);
  }
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

}  // namespace

std::vector<TShortcutEntry> WindowShortcuts(const QWidget* window, const QWidget* currentView) {
  std::vector<TShortcutEntry> found;
  for (const QAction* action : window->findChildren<QAction*>()) {
    if (action->isSeparator() || action->shortcuts().isEmpty()) continue;
    if (action->property("boundAction").isValid()) continue;  // a popup's copy of a command
    if (const TkorvUTServerView* view = ViewOf(action); view && view != currentView) continue;
    QStringList keys;
    for (const QKeySequence& key : action->shortcuts())
      keys << key.toString(QKeySequence::NativeText);
    found.push_back({action->text(), keys});
  }
  return found;
}

THelpMenu::THelpMenu(QWidget* window, QMenu* menu, TCurrentView currentView, QString settingsFolder)
    : QObject(window),
      window_(window),
      currentView_(std::move(currentView)),
      settingsFolder_(std::move(settingsFolder)) {
  const auto add = [&](const char* name, const QString& caption, const QKeySequence& key) {
    auto* action = new QAction(caption, window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    menu->addAction(action);
    window->addAction(action);
    return action;
  };
  connect(add("miKeyboardShortcuts", QStringLiteral("Keyboard Shortcuts"), Qt::Key_F1),
          &QAction::triggered, this, &THelpMenu::ShowShortcuts);
  connect(add("miAbout", QStringLiteral("About Zorvane"), {}), &QAction::triggered, this,
          &THelpMenu::ShowAbout);
}

void THelpMenu::ShowShortcuts() {
  if (!shortcuts_) {
    shortcuts_ = new TfrmShortcuts(window_);
    shortcuts_->setAttribute(Qt::WA_DeleteOnClose);
  }
  // Read again each time: the current view names the commands of its tab.
  shortcuts_->SetRows(
      ShortcutRows(WindowShortcuts(window_, currentView_ ? currentView_() : nullptr)));
  Present(shortcuts_);
}

void THelpMenu::ShowAbout() {
  if (!about_) {
    about_ = new TfrmAbout(settingsFolder_, window_);
    about_->setAttribute(Qt::WA_DeleteOnClose);
  }
  Present(about_);
}

}  // namespace zorvane
