// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/string_table_model.h"

#include <algorithm>
#include <utility>

#include "browse/filter_match.h"
#include "query/vocabulary.h"

namespace zorvane {

TStringTableModel::TStringTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TStringTableModel::SetRowCount(int count) {
  const int wanted = std::max(count, fixedRows_) - fixedRows_;
  const int have = DataRowCount();
  if (wanted > have) {
    beginInsertRows({}, have, wanted - 1);
    rows_.resize(wanted);  // an empty row has no block
    endInsertRows();
  } else if (wanted < have) {
    beginRemoveRows({}, wanted, have - 1);
    rows_.resize(wanted);
    endRemoveRows();
    RebuildKeyIndex();
  }
}

void TStringTableModel::SetColCount(int count) {
  count = std::max(count, 0);
  if (count == colCount_) return;
  const bool growing = count > colCount_;
  if (growing)
    beginInsertColumns({}, colCount_, count - 1);
  else
    beginRemoveColumns({}, count, colCount_ - 1);
  colCount_ = count;
  header_.resize(count);
  for (TPackedRow& row : rows_) row.Resize(count);
  if (growing)
    endInsertColumns();
  else
    endRemoveColumns();
  if (!growing && keyColumn_ >= count) RebuildKeyIndex();
}

bool TStringTableModel::SetFixedRows(int count) {
  count = std::clamp(count, 0, 1);
  if (count == fixedRows_) return true;
  if (count == 1) {
    if (rows_.empty()) return false;
    beginRemoveRows({}, 0, 0);
    header_.assign(colCount_, QString());
    for (int col = 0; col < colCount_; ++col) header_[col] = rows_.front().Cell(col);
    rows_.erase(rows_.begin());
    fixedRows_ = 1;
    endRemoveRows();
  } else {
    beginInsertRows({}, 0, 0);
    TPackedRow first;
    first.Assign(header_);
    rows_.insert(rows_.begin(), std::move(first));
    header_ = std::vector<QString>(colCount_);
    fixedRows_ = 0;
    endInsertRows();
  }
  if (colCount_ > 0) Q_EMIT headerDataChanged(Qt::Horizontal, 0, colCount_ - 1);
  RebuildKeyIndex();
  return true;
}

QString TStringTableModel::Cell(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return {};
  return row < fixedRows_ ? header_[col] : rows_[row - fixedRows_].Cell(col);
}

void TStringTableModel::SetCell(int col, int row, const QString& text) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return;
  if (row < fixedRows_) {
    header_[col] = text;
  } else {
    const int dataRow = row - fixedRows_;
    TPackedRow& cells = rows_[dataRow];
    if (col == keyColumn_) {
      const QString old = cells.Cell(col);
      cells.SetCell(colCount_, col, text);
      if (AsciiLower(old) != AsciiLower(text)) {
        KeyRemoved(dataRow, old);
        KeyAdded(dataRow, text);
      }
    } else {
      cells.SetCell(colCount_, col, text);
    }
  }
  NotifyCell(col, row);
}

QStringList TStringTableModel::RowTexts(int row) const {
  QStringList texts;
  if (row < 0 || row >= RowCount()) return texts;
  texts.reserve(colCount_);
  for (int col = 0; col < colCount_; ++col) texts.append(Cell(col, row));
  return texts;
}

void TStringTableModel::SetRowTexts(int row, const QStringList& texts) {
  if (row < 0 || row >= RowCount()) return;
  if (row < fixedRows_) {
    ++updateDepth_;  // one notification for the row, not one per cell
    for (int col = 0; col < colCount_; ++col) SetCell(col, row, texts.value(col));
    --updateDepth_;
  } else {
    // The row's block is made once, not once per cell.
    const int dataRow = row - fixedRows_;
    QList<QString> cells(colCount_);
    for (int col = 0; col < colCount_ && col < texts.size(); ++col) cells[col] = texts[col];
    const QString old = keyColumn_ >= 0 ? rows_[dataRow].Cell(keyColumn_) : QString();
    rows_[dataRow].Assign(cells);
    if (keyColumn_ >= 0 && AsciiLower(old) != AsciiLower(cells[keyColumn_])) {
      KeyRemoved(dataRow, old);
      KeyAdded(dataRow, cells[keyColumn_]);
    }
  }
  NotifyRow(row);
}

QStringList TStringTableModel::ColumnTexts(int col) const {
  QStringList texts;
  if (col < 0 || col >= colCount_) return texts;
  texts.reserve(DataRowCount());
  for (const TPackedRow& row : rows_) texts.append(row.Cell(col));
  return texts;
}

void TStringTableModel::ClearRow(int row) {
  SetRowTexts(row, {});
}

void TStringTableModel::DeleteRow(int row) {
  if (!IsDataRow(row)) return;
  const int dataRow = row - fixedRows_;
  const QString key = keyColumn_ >= 0 ? rows_[dataRow].Cell(keyColumn_) : QString();
  beginRemoveRows({}, dataRow, dataRow);
  rows_.erase(rows_.begin() + dataRow);
  endRemoveRows();
  if (keyColumn_ < 0) return;
  for (TKeyEntry& entry : keyIndex_)
    if (entry.row > dataRow) --entry.row;
  KeyRemoved(dataRow, key);
}

void TStringTableModel::ClearDataRows(int emptyRows) {
  if (!rows_.empty()) {
    beginRemoveRows({}, 0, DataRowCount() - 1);
    rows_.clear();
    endRemoveRows();
  }
  keyIndex_.clear();
  if (emptyRows > 0) SetRowCount(fixedRows_ + emptyRows);
}

void TStringTableModel::RemoveDataRows(const std::vector<bool>& drop) {
  if (drop.size() != rows_.size()) return;
  beginResetModel();
  std::size_t kept = 0;
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (!drop[i]) {
      if (kept != i) rows_[kept] = std::move(rows_[i]);  // never onto itself
      ++kept;
    }
  rows_.resize(kept);
  endResetModel();
  RebuildKeyIndex();
}

void TStringTableModel::Permute(const std::vector<int>& order) {
  if (order.size() != rows_.size()) return;
  // Persistent indexes keep their row numbers: the grid itself decides where its current
  // row goes after a sort.
  Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<TPackedRow> sorted;
  sorted.reserve(rows_.size());
  for (int from : order) sorted.push_back(std::move(rows_[from]));
  rows_ = std::move(sorted);
  Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  RebuildKeyIndex();
}

void TStringTableModel::BeginUpdate() {
  ++updateDepth_;
}

void TStringTableModel::EndUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  if (colCount_ == 0) return;
  if (fixedRows_ > 0) Q_EMIT headerDataChanged(Qt::Horizontal, 0, colCount_ - 1);
  if (!rows_.empty()) Q_EMIT dataChanged(index(0, 0), index(DataRowCount() - 1, colCount_ - 1));
}

int TStringTableModel::FindRowByText(const QString& text, int col) const {
  if (col < 0 || col >= colCount_) return -1;
  for (int row = 0; row < RowCount(); ++row)
    if (AsciiEqualsIgnoreCase(Cell(col, row), text)) return row;
  return -1;
}

int TStringTableModel::FindRowByTwoTexts(const QString& firstText, int firstCol, int secondCol,
                                         const QString& secondText) const {
  if (firstCol < 0 || firstCol >= colCount_ || secondCol < 0 || secondCol >= colCount_) return -1;
  for (int row = 0; row < RowCount(); ++row)
    if (AsciiEqualsIgnoreCase(Cell(firstCol, row), firstText) &&
        AsciiEqualsIgnoreCase(Cell(secondCol, row), secondText))
      return row;
  return -1;
}

void TStringTableModel::SetKeyColumn(int col) {
  keyColumn_ = col < 0 ? -1 : col;
  RebuildKeyIndex();
}

int TStringTableModel::FindRowByKey(const QString& key) const {
  if (keyColumn_ < 0 || key.isEmpty()) return -1;
  const auto it = keyIndex_.constFind(AsciiLower(key));
  return it == keyIndex_.constEnd() ? -1 : it->row + fixedRows_;
}

int TStringTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : DataRowCount();
}

int TStringTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : colCount_;
}

QVariant TStringTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= DataRowCount() ||
      index.column() >= colCount_)
    return {};
  return rows_[index.row()].Cell(index.column());
}

QVariant TStringTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || fixedRows_ == 0 || section < 0 ||
      section >= colCount_)
    return {};
  return header_[section];
}

Qt::ItemFlags TStringTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TStringTableModel::NotifyCell(int col, int row) {
  if (updateDepth_ > 0) return;
  if (row < fixedRows_) {
    Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
  } else {
    const QModelIndex cell = index(row - fixedRows_, col);
    Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole});
  }
}

void TStringTableModel::NotifyRow(int row) {
  if (updateDepth_ > 0 || colCount_ == 0) return;
  if (row < fixedRows_) {
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, colCount_ - 1);
  } else {
    Q_EMIT dataChanged(index(row - fixedRows_, 0), index(row - fixedRows_, colCount_ - 1),
                       {Qt::DisplayRole});
  }
}

void TStringTableModel::KeyAdded(int dataRow, const QString& key) {
  if (key.isEmpty()) return;
  TKeyEntry& entry = keyIndex_[AsciiLower(key)];
  entry.row = entry.count == 0 ? dataRow : std::min(entry.row, dataRow);
  ++entry.count;
}

// Called after the row's key has changed or the row is gone; dataRow is where it was.
void TStringTableModel::KeyRemoved(int dataRow, const QString& key) {
  if (key.isEmpty()) return;
  const QString lower = AsciiLower(key);
  const auto it = keyIndex_.find(lower);
  if (it == keyIndex_.end()) return;
  if (--it->count == 0)
    keyIndex_.erase(it);
  else if (it->row == dataRow)
    it->row = FirstRowWithKey(lower);  // duplicates are rare: only then a scan
}

int TStringTableModel::FirstRowWithKey(const QString& lowerKey) const {
  for (int row = 0; row < DataRowCount(); ++row)
    if (AsciiEqualsIgnoreCase(rows_[row].Cell(keyColumn_), lowerKey)) return row;
  return -1;
}

void TStringTableModel::RebuildKeyIndex() {
  keyIndex_.clear();
  if (keyColumn_ < 0 || keyColumn_ >= colCount_) return;
  keyIndex_.reserve(DataRowCount());
  for (int row = 0; row < DataRowCount(); ++row) KeyAdded(row, rows_[row].Cell(keyColumn_));
}

}  // namespace zorvane
