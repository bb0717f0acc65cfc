// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/monitor_cells.h"

#include "browse/string_table_model.h"

namespace zorvane {

void ShapeMonitorCells(TStringTableModel& cells, const QStringList& header, int keyColumn) {
  cells.SetFixedRows(0);
  cells.SetColCount(mcColumnCount);
  cells.ClearDataRows(2);
  cells.SetFixedRows(1);
  for (int col = 0; col < mcColumnCount; ++col) cells.SetCell(col, 0, header.value(col));
  cells.SetKeyColumn(keyColumn);
}

bool IsMonitorDataRow(const TStringTableModel& cells, int row) {
  return row >= cells.FixedRows() && row < cells.RowCount();
}

void DeleteMonitorRow(TStringTableModel& cells, int row) {
  if (!IsMonitorDataRow(cells, row)) return;
  if (cells.DataRowCount() == 1)
    cells.ClearRow(row);
  else
    cells.DeleteRow(row);
}

int FreeMonitorRow(TStringTableModel& cells) {
  const int first = cells.FixedRows();
  if (first < cells.RowCount() && cells.Cell(mcName, first).isEmpty()) return first;
  cells.SetRowCount(cells.RowCount() + 1);
  return cells.RowCount() - 1;
}

QString AlreadyInListText(const QString& name) {
  return name + QStringLiteral(" is already in the list.");
}

bool RemoveName(QStringList& names, const QString& name) {
  for (qsizetype i = 0; i < names.size(); ++i) {
    if (names[i].compare(name, Qt::CaseInsensitive) != 0) continue;
    names.removeAt(i);
    return true;
  }
  return false;
}

bool HoldsName(const QStringList& names, const QString& name) {
  return names.contains(name, Qt::CaseInsensitive);
}

}  // namespace zorvane
