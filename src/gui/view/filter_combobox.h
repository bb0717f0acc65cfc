// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One filter box of a server view: a captioned pure drop-down list of the filter's choices,
// knowing how to compare and whether it is in use.

#include "browse/filter_table.h"
#include "gui/controls/korv_combobox.h"

namespace zorvane {

class TkorvUTFilterCombobox : public TkorvCombobox {
  Q_OBJECT

 public:
  // A bare box: not used, ctNil, not a team filter, default item "[all]", no items.
  explicit TkorvUTFilterCombobox(QWidget* parent = nullptr);

  bool IsUsed() const { return isUsed_; }
  void SetIsUsed(bool used) { isUsed_ = used; }
  TCompareType CompareType() const { return compareType_; }
  void SetCompareType(TCompareType type) { compareType_ = type; }
  bool IsTeam() const { return isTeam_; }
  void SetIsTeam(bool team) { isTeam_ = team; }

  // The current text against one server value.
  bool Matches(QStringView value) const;

  // Selects the item equal to text (ignoring case), else the DefaultItemText item, and
  // remembers the result as LastText. Reports no change.
  void SelectValue(const QString& text);

 private:
  bool isUsed_ = false;
  TCompareType compareType_ = TCompareType::ctNil;
  bool isTeam_ = false;
};

// The box of filter index (kFilterTable): 160 x 21, caption width 80, hidden, owned by parent,
// named after the filter. The items' first, "[all]", is selected. Null for a bad index.
TkorvUTFilterCombobox* CreateFilterCombobox(int index, QWidget* parent);

}  // namespace zorvane
