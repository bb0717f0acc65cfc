// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The captioned drop-down box. It reports a change only when the text differs (ignoring case)
// from the last committed one, so picking the value already shown reports nothing.

#include <QStringList>

#include "gui/controls/captioned_panel.h"

class QComboBox;

namespace zorvane {

enum class TComboStyle {
  DropDown,      // the text can be typed or picked
  DropDownList,  // a pure list: the text is always one of the items
};

class TkorvCombobox : public TkorvCaptionedPanel {
  Q_OBJECT

 public:
  // LastText until the first commit: so unlikely that the first commit always reports.
  static constexpr const char* kUnlikelyText = "notALikelyValue";

  explicit TkorvCombobox(QWidget* parent = nullptr, TComboStyle style = TComboStyle::DropDown);

  // The current text. In a pure list SetText selects the item equal to the text (ignoring
  // case), or nothing when there is none. Neither reports a change.
  QString Text() const override;
  void SetText(const QString& text) override;

  TComboStyle Style() const { return style_; }
  void SetStyle(TComboStyle style);

  int DropDownCount() const;
  void SetDropDownCount(int count);

  // Sorted, ignoring case; setting it sorts the present items and AddItem keeps the order.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);

  // Leaving the field with a text not among the items appends it.
  bool AddTextToList() const { return addTextToList_; }
  void SetAddTextToList(bool add) { addTextToList_ = add; }

  void SetItems(const QStringList& items);
  void AddItem(const QString& item);
  QStringList Items() const;
  // Index of the item equal to text ignoring case, or -1.
  int ItemIndexOf(const QString& text) const;

  QComboBox* Combobox() const { return combo_; }

  // The open list at least as wide as its widest item (the box itself may be narrower). The
  // list is measured when it opens: a box never opened builds no list at all.
  void SetListFitsItems(bool fits);
  // As wide as `letters` "X"s and an icon, whatever the items (QComboBox's
  // AdjustToMinimumContentsLengthWithIcon, without building the list as setting it does).
  void SetContentsLengthWide(int letters);

 Q_SIGNALS:
  // A committed change: a pick or an edit, or leaving the field, with a text that differs
  // from LastText.
  void Changed(zorvane::TkorvCombobox* sender);
  // Entering the field, after LastText took the current text.
  void Entered(zorvane::TkorvCombobox* sender);
  // After Changed; clearing updateLastText keeps LastText, so the same text reports again.
  void BeforeUpdateLastText(zorvane::TkorvCombobox* sender, bool& updateLastText);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Commit(bool leaving);
  void OnTextEdited();
  void WireLineEdit();
  void SortItems();

  QComboBox* combo_;
  TComboStyle style_ = TComboStyle::DropDown;
  bool sorted_ = false;
  bool addTextToList_ = false;
};

}  // namespace zorvane
