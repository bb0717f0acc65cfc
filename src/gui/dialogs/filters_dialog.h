// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Use These Filters": which of the fifteen filters every view uses, one check box each.

#include <QDialog>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "config/filter_set.h"

class QCheckBox;
class QPushButton;
class QGridLayout;

namespace zorvane {

using TFilterFlags = std::array<bool, kFilterCount>;

class TfrmFilters : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmFilters(QWidget* parent = nullptr);

  // A check box below the last one (the next column's top when the screen has no room for
  // one more row); the dialog grows with it. By filter index the caption
  // is the filter's and the key its name; the box is null for a bad index.
  QCheckBox* AddBox(int filterIndex, bool checked);
  QCheckBox* AddBox(const QString& key, const QString& caption, bool checked);
  void ClearBoxes();

  int BoxCount() const { return int(boxes_.size()); }
  // By position (the filter index when filled by Fill) or by key (ignoring case); null when
  // there is none.
  QCheckBox* BoxAt(int position) const;
  QCheckBox* BoxFor(const QString& key) const;
  bool Checked(int position) const;        // false for a missing box
  bool Checked(const QString& key) const;  // false for a missing box

  // One box per filter in index order, ticked where used.
  void Fill(const TFilterFlags& used);
  // The ticks of the fifteen filters, found by their names.
  TFilterFlags Chosen() const;

  // Fill, run modally; the ticks on OK, nothing on Cancel.
  std::optional<TFilterFlags> Choose(const TFilterFlags& used);

  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  void PlaceBoxes();

  struct TBox {
    QString key;
    QCheckBox* box;  // a child of the dialog
  };

  std::vector<TBox> boxes_;
  QGridLayout* boxLayout_;  // the dialog's layout owns it
  QPushButton* ok_;
  QPushButton* cancel_;
};

// The main window's filter command: the dialog ticked from the favourites view's used flags;
// the flags every view takes on OK, nothing on Cancel.
std::optional<TFilterFlags> ChooseFiltersInUse(QWidget* parent, const TFilterFlags& favoritesUsed);

}  // namespace zorvane
