// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The log window ("Log"): every line is the text, " -- " and the date and time, the newest on
// top.

#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>

namespace zorvane {

class TfrmNote : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmNote(QWidget* parent = nullptr);
  void Log(const QString& text);
  // The lines, newest first.
  QStringList Lines() const;

 private:
  QPlainTextEdit* memo_;
};

}  // namespace zorvane
