// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/log_window.h"

#include <QDateTime>
#include <QTextCursor>
#include <QVBoxLayout>

#include "gui/controls/window_fit.h"

namespace zorvane {

TfrmNote::TfrmNote(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Log"));
  memo_ = new QPlainTextEdit(this);
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(memo_);
  FitWhenShown(this, {600, 400});
}

void TfrmNote::Log(const QString& text) {
  const QString line = text + QStringLiteral(" -- ") +
                       QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
  QTextCursor cursor(memo_->document());
  cursor.movePosition(QTextCursor::Start);
  cursor.insertText(memo_->document()->isEmpty() ? line : line + u'\n');
}

void TfrmNote::SetNote(const QString& title, const QStringList& lines) {
  setWindowTitle(title);
  // A note's lines are paragraphs: wrapped to the window, none runs off its side.
  memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo_->setPlainText(lines.join(u'\n'));
}

QStringList TfrmNote::Lines() const {
  const QString text = memo_->toPlainText();
  return text.isEmpty() ? QStringList() : text.split(u'\n');
}

}  // namespace zorvane
