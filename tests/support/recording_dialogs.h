// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Answers every box a window or dialog shows and remembers it, so tests need no modal loop.

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui/dialogs/window_dialogs.h"

namespace zorvane::testing {

struct RecordingDialogs : TWindowDialogs {
  void Error(QWidget*, const QString& text) override { errors << text; }
  void Information(QWidget*, const QString& text) override { information << text; }
  bool Notice(QWidget*, const QString& text, bool) override {
    notices << text;
    if (whileNoticeOpen) whileNoticeOpen();
    return tickDontShowAgain;
  }
  void Warning(QWidget*, const QString& text) override { warnings << text; }
  bool Confirm(QWidget*, const QString& text, TNoButton) override {
    questions << text;
    return answerYes;
  }
  QStringList errors, information, notices, warnings, questions;
  bool answerYes = true;
  bool tickDontShowAgain = false;
  std::function<void()> whileNoticeOpen;  // runs as if while the notice is open
};

// Runs act on the next modal dialog once it is up (the caller then opens it).
inline void WhenModal(std::function<void(QWidget*)> act) {
  // Owned by the application too: a deleteLater posted inside the dialog's own loop may never
  // be run when the test ends right after it.
  auto* poll = new QTimer(qApp);
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    poll->stop();
    poll->deleteLater();
    act(modal);
  });
  poll->start();
}

}  // namespace zorvane::testing
