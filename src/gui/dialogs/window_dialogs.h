// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The boxes the main window shows. The window asks through this interface so that tests can
// answer them without a modal loop.
//
// Re-entrancy: a real box runs a nested event loop, so replies, timers and even a close of the
// window are handled before a call returns. Callers re-check what they depend on afterwards
// (the window stops its start-up when it was closed during a notice).

#include <QString>

#include "config/message_sink.h"

class QWidget;

namespace zorvane {

class TWindowDialogs {
 public:
  virtual ~TWindowDialogs() = default;
  virtual void Error(QWidget* parent, const QString& text) = 0;
  virtual void Information(QWidget* parent, const QString& text) = 0;
  // A notice with "OK", "&Copy Message" and "Don't show this message again"; returns whether
  // the box was ticked. dontShowAgain is its state when it opens.
  virtual bool Notice(QWidget* parent, const QString& text, bool dontShowAgain) = 0;

  // The set-up dialogs' boxes: a warning, and a question answered with "Yes" (true) or, by
  // noButton, "Cancel" or "No".
  virtual void Warning(QWidget* parent, const QString& text) = 0;
  enum class TNoButton { Cancel, No };
  virtual bool Confirm(QWidget* parent, const QString& text, TNoButton noButton) = 0;
};

// The real boxes (QMessageBox).
// The core's messages shown as these boxes: errors as errors, the rest as information.
class TDialogsSink : public TMessageSink {
 public:
  TDialogsSink(TWindowDialogs& dialogs, QWidget* parent) : dialogs_(dialogs), parent_(parent) {}
  void Show(TMessageKind kind, const QString& text) override {
    if (kind == TMessageKind::Error)
      dialogs_.Error(parent_, text);
    else
      dialogs_.Information(parent_, text);
  }

 private:
  TWindowDialogs& dialogs_;
  QWidget* parent_;
};

class TMessageBoxDialogs : public TWindowDialogs {
 public:
  void Error(QWidget* parent, const QString& text) override;
  void Information(QWidget* parent, const QString& text) override;
  bool Notice(QWidget* parent, const QString& text, bool dontShowAgain) override;
  void Warning(QWidget* parent, const QString& text) override;
  bool Confirm(QWidget* parent, const QString& text, TNoButton noButton) override;
};

}  // namespace zorvane
