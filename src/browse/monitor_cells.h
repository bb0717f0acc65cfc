// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the player and map monitors share: the cells of their grids (a header row and four
// columns: the watched name, the server, its game type and the hidden server key) and the
// texts of their rows.

#include <QString>
#include <QStringList>

namespace zorvane {

class TStringTableModel;

inline constexpr const char* kNotInServerList = "{not in server list}";

enum TMonitorColumn { mcName = 0, mcServer = 1, mcGameType = 2, mcKey = 3, mcColumnCount = 4 };

// Four columns under the given header texts and one empty data row; keyColumn's texts index
// the rows.
void ShapeMonitorCells(TStringTableModel& cells, const QStringList& header, int keyColumn);

// Whether the row is a data row of the cells.
bool IsMonitorDataRow(const TStringTableModel& cells, int row);

// Deletes a data row; the last one left is emptied instead, so the grid keeps one row.
void DeleteMonitorRow(TStringTableModel& cells, int row);

// Row 1 when its name cell is empty, else a new last row.
int FreeMonitorRow(TStringTableModel& cells);

// " is already in the list." after the name: the answer to adding a watched name twice.
QString AlreadyInListText(const QString& name);

// Removes name from the list, ignoring case; false when it was not there.
bool RemoveName(QStringList& names, const QString& name);
// Whether the list holds name, ignoring case.
bool HoldsName(const QStringList& names, const QString& name);

}  // namespace zorvane
