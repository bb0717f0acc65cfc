// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/window_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>

namespace zorvane {

void TMessageBoxDialogs::Error(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QStringLiteral("Zorvane"), text);
}

void TMessageBoxDialogs::Information(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QStringLiteral("Zorvane"), text);
}

bool TMessageBoxDialogs::Notice(QWidget* parent, const QString& text, bool dontShowAgain) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Zorvane"), text, QMessageBox::NoButton,
                  parent);
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
  QMessageBox::warning(parent, QStringLiteral("Zorvane"), text);
}

bool TMessageBoxDialogs::Confirm(QWidget* parent, const QString& text, TNoButton noButton) {
  const QMessageBox::StandardButton no =
      noButton == TNoButton::Cancel ? QMessageBox::Cancel : QMessageBox::No;
  return QMessageBox::question(parent, QStringLiteral("Zorvane"), text, QMessageBox::Yes | no,
                               no) == QMessageBox::Yes;
}

}  // namespace zorvane
