// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/window_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

#include "gui/dialogs/centre_on_parent.h"

namespace zorvane {

namespace {

// A message box in the middle of its window (centre_on_parent.h).
class TCentredBox : public QMessageBox {
 public:
  TCentredBox(Icon icon, const QString& text, StandardButtons buttons, QWidget* parent)
      : QMessageBox(icon, QStringLiteral("Zorvane"), text, buttons, parent) {}

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);  // sizes the box and places it as Qt guesses
    if (!event->spontaneous()) CentreOnParent(this);
  }
};

void ShowBox(QMessageBox::Icon icon, QWidget* parent, const QString& text) {
  TCentredBox box(icon, text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

void TMessageBoxDialogs::Error(QWidget* parent, const QString& text) {
  ShowBox(QMessageBox::Critical, parent, text);
}

void TMessageBoxDialogs::Information(QWidget* parent, const QString& text) {
  ShowBox(QMessageBox::Information, parent, text);
}

bool TMessageBoxDialogs::Notice(QWidget* parent, const QString& text, bool dontShowAgain) {
  TCentredBox box(QMessageBox::Information, text, QMessageBox::NoButton, parent);
  box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  QPushButton* copy = box.addButton(QStringLiteral("&Copy Message"), QMessageBox::ActionRole);
  // Copying leaves the box open.
  copy->disconnect();
  QObject::connect(copy, &QPushButton::clicked, &box,
                   [text] { QApplication::clipboard()->setText(text); });
  auto* check = new QCheckBox(QStringLiteral("Don't show this message again"), &box);
  check->setChecked(dontShowAgain);
  box.setCheckBox(check);
  box.exec();
  return check->isChecked();
}

void TMessageBoxDialogs::Warning(QWidget* parent, const QString& text) {
  ShowBox(QMessageBox::Warning, parent, text);
}

bool TMessageBoxDialogs::Confirm(QWidget* parent, const QString& text, TNoButton noButton) {
  const QMessageBox::StandardButton no =
      noButton == TNoButton::Cancel ? QMessageBox::Cancel : QMessageBox::No;
  TCentredBox box(QMessageBox::Question, text, QMessageBox::Yes | no, parent);
  box.setDefaultButton(no);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace zorvane
