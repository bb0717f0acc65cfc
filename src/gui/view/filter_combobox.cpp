// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/view/filter_combobox.h"


#include "browse/filter_layout.h"
#include "browse/filter_match.h"

namespace zorvane {
namespace {
constexpr int kShownItemLength = 7;  // "X"s and an icon's room: a word of some 11 letters
}  // namespace

TkorvUTFilterCombobox::TkorvUTFilterCombobox(QWidget* parent)
    : TkorvCombobox(parent, TComboStyle::DropDownList) {
  SetDefaultItemText(QString::fromLatin1(kAllItem));
}

bool TkorvUTFilterCombobox::Matches(QStringView value) const {
  return zorvane::Matches(compareType_, Text(), value);
}

void TkorvUTFilterCombobox::SelectValue(const QString& text) {
  SetText(ItemIndexOf(text) >= 0 ? text : DefaultItemText());
  SetLastText(Text());
}

TkorvUTFilterCombobox* CreateFilterCombobox(int index, QWidget* parent) {
  if (index < 0 || index >= kFilterCount) return nullptr;
  const TFilterInfo& info = kFilterTable[index];
  auto* box = new TkorvUTFilterCombobox(parent);
  box->setObjectName(QString::fromLatin1(info.name));
  box->setVisible(false);
  box->SetCaption(QString::fromLatin1(info.caption));
  box->SetPanelWidth(kFilterBoxWidth);
  box->SetCaptionWidth(kFilterCaptionWidth);
  box->resize(kFilterBoxWidth, kFilterBoxHeight);
  box->SetCompareType(info.compareType);
  box->SetIsTeam(info.isTeam);
  box->SetItems(FilterItems(index));
  // The boxes stand in rows, all as wide as the widest: room for a word like "experienced",
  // while a region's long name shows whole only in the open list.
  box->SetContentsLengthWide(kShownItemLength);
  box->SetListFitsItems(true);
  box->SelectValue(box->DefaultItemText());
  return box;
}

}  // namespace zorvane
