// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The note window: the log ("Log"), where every line is the text, " -- " and the date and
// time, the newest on top; or a help note, a title and fixed lines.

#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>

namespace zorvane {

class TfrmNote : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmNote(QWidget* parent = nullptr);
  void Log(const QString& text);
  // Shows title and lines in place of anything shown before, wrapped to the window.
  void SetNote(const QString& title, const QStringList& lines);
  // The lines, newest first.
  QStringList Lines() const;

 private:
  QPlainTextEdit* memo_;
};

}  // namespace zorvane
