// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/shortcuts_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zorvane {

TfrmShortcuts::TfrmShortcuts(QWidget* parent) : QDialog(parent), table_(new QTableWidget(this)) {
  setObjectName(QStringLiteral("frmShortcuts"));
  setWindowTitle(QStringLiteral("Keyboard Shortcuts"));
  table_->setObjectName(QStringLiteral("tblShortcuts"));
  table_->setColumnCount(2);
  table_->setHorizontalHeaderLabels({QStringLiteral("Command"), QStringLiteral("Key")});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setWordWrap(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
}

void TfrmShortcuts::SetRows(const std::vector<TShortcutRow>& rows) {
  table_->setRowCount(int(rows.size()));
  for (int i = 0; i < int(rows.size()); ++i) {
    table_->setItem(i, 0, new QTableWidgetItem(rows[i].command));
    table_->setItem(i, 1, new QTableWidgetItem(rows[i].keys));
  }
  table_->resizeColumnsToContents();
  table_->resizeRowsToContents();
  // Wide enough for both columns without a horizontal scroll bar, tall enough for every row
  // while the screen has room.
  const int frame = 2 * table_->frameWidth();
  int width = frame + table_->verticalScrollBar()->sizeHint().width();
  for (int col = 0; col < table_->columnCount(); ++col) width += table_->columnWidth(col) + 12;
  int height = frame + table_->horizontalHeader()->sizeHint().height();
  for (int row = 0; row < table_->rowCount(); ++row) height += table_->rowHeight(row);
  const QRect screen =
      this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
  table_->setMinimumSize(width, std::min(height, screen.height() * 2 / 3));
  adjustSize();
}

}  // namespace zorvane
