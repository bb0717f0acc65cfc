// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The cells behind a TkorvStringGrid, addressed the way the grid is: by column and grid row,
// where the first FixedRows() grid rows are the header (shown by the view's horizontal header)
// and the rest are the model's rows. Texts only, each row packed in one block (packed_row.h),
// so ten thousand servers cost one small allocation each and a sort moves rows, not cells.
//
// An optional key column (the server grid's hidden address column) is indexed so a row is
// found by its key in constant time; the index follows every write, delete, clear and sort.

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "browse/packed_row.h"

namespace zorvane {

class TStringTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TStringTableModel(QObject* parent = nullptr);

  int RowCount() const { return fixedRows_ + DataRowCount(); }
  // Never below FixedRows(); new rows are empty.
  void SetRowCount(int count);
  int DataRowCount() const { return int(rows_.size()); }

  int ColCount() const { return colCount_; }
  void SetColCount(int count);

  // 0 or 1 (there is one header line). Going from 0 to 1 turns the first row into the header
  // and is refused when there is no row; going to 0 turns the header into the first row.
  int FixedRows() const { return fixedRows_; }
  bool SetFixedRows(int count);

  // Out of range: empty on reading, ignored on writing.
  QString Cell(int col, int row) const;
  void SetCell(int col, int row, const QString& text);
  QStringList RowTexts(int row) const;
  // Missing texts empty the remaining cells; extra ones are dropped.
  void SetRowTexts(int row, const QStringList& texts);
  // The data cells of a column, in row order.
  QStringList ColumnTexts(int col) const;

  void ClearRow(int row);
  // A data row; fixed rows and rows out of range are ignored.
  void DeleteRow(int row);
  // Removes every data row, then adds `emptyRows` empty ones.
  void ClearDataRows(int emptyRows);
  // Removes the data rows whose flag is set (drop[i] for data row i, as many flags as rows) in
  // one go: the views are reset once instead of once per row.
  void RemoveDataRows(const std::vector<bool>& drop);
  // order[i] names the data row (0-based, not a grid row) that moves to data position i; it
  // must be a permutation of 0..DataRowCount()-1.
  void Permute(const std::vector<int>& order);

  // Between these, cell writes do not notify the views one by one; EndUpdate refreshes them
  // all at once. They nest.
  void BeginUpdate();
  void EndUpdate();

  // The first grid row (header included) whose cell equals the text, ignoring the case of
  // A-Z; -1 when none or when a column is out of range.
  int FindRowByText(const QString& text, int col) const;
  int FindRowByTwoTexts(const QString& firstText, int firstCol, int secondCol,
                        const QString& secondText) const;

  // -1 (the default) for no key column. Empty keys are not indexed; the header never is.
  int KeyColumn() const { return keyColumn_; }
  void SetKeyColumn(int col);
  // The first data row whose key cell equals the key (case of A-Z ignored), as a grid row;
  // -1 when none.
  int FindRowByKey(const QString& key) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct TKeyEntry {
    int row = 0;    // the first data row holding the key
    int count = 0;  // rows holding it
  };

  bool IsDataRow(int row) const { return row >= fixedRows_ && row < RowCount(); }
  void NotifyCell(int col, int row);
  void NotifyRow(int row);
  void KeyAdded(int dataRow, const QString& key);
  void KeyRemoved(int dataRow, const QString& key);
  int FirstRowWithKey(const QString& lowerKey) const;
  void RebuildKeyIndex();

  int colCount_ = 0;
  int fixedRows_ = 0;
  std::vector<QString> header_;             // colCount_ texts, used while fixedRows_ is 1
  std::vector<TPackedRow> rows_;            // each colCount_ texts
  int updateDepth_ = 0;
  int keyColumn_ = -1;
  QHash<QString, TKeyEntry> keyIndex_;  // by key with A-Z lower-cased
};

}  // namespace zorvane
