// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/view/quick_search_box.h"

#include <QKeyEvent>

namespace zorvane {
namespace {

bool IsPlainEscape(const QKeyEvent* key) {
  return key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
}

}  // namespace

TQuickSearchBox::TQuickSearchBox(QWidget* parent) : QLineEdit(parent) {
  setObjectName(QStringLiteral("edtQuickSearch"));
  setPlaceholderText(QStringLiteral("Search servers, maps and players (Ctrl+L)"));
  setClearButtonEnabled(true);
}

bool TQuickSearchBox::event(QEvent* event) {
  // Claimed before shortcuts are looked up, so Esc reaches keyPressEvent.
  if (event->type() == QEvent::ShortcutOverride &&
      IsPlainEscape(static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QLineEdit::event(event);
}

void TQuickSearchBox::keyPressEvent(QKeyEvent* event) {
  if (IsPlainEscape(event)) {
    clear();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

}  // namespace zorvane
