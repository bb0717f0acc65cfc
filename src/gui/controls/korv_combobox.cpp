// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/korv_combobox.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <algorithm>

namespace zorvane {
namespace {
bool SameIgnoringCase(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}
}  // namespace

TkorvCombobox::TkorvCombobox(QWidget* parent)
    : TkorvCaptionedPanel(parent, QString::fromLatin1(kUnlikelyText)), combo_(new QComboBox(this)) {
  AttachBox(combo_);
  combo_->installEventFilter(this);
  combo_->setInsertPolicy(QComboBox::NoInsert);  // AddTextToList decides what joins the items
  SetStyle(TComboStyle::DropDown);
  // A pick from the list, by mouse, keys or wheel; not programmatic selections.
  connect(combo_, &QComboBox::activated, this, [this] { Commit(false); });
}

void TkorvCombobox::SetStyle(TComboStyle style) {
  style_ = style;
  combo_->setEditable(style == TComboStyle::DropDown);
  WireLineEdit();
}

void TkorvCombobox::WireLineEdit() {
  QLineEdit* edit = combo_->lineEdit();
  if (!edit) return;
  combo_->setCompleter(nullptr);  // the typed text is the text; no inline completion
  connect(edit, &QLineEdit::textEdited, this, &TkorvCombobox::OnTextEdited, Qt::UniqueConnection);
}

QString TkorvCombobox::Text() const {
  return combo_->currentText();
}

void TkorvCombobox::SetText(const QString& text) {
  if (style_ == TComboStyle::DropDown) {
    combo_->setEditText(text);
  } else {
    combo_->setCurrentIndex(ItemIndexOf(text));
  }
}

int TkorvCombobox::DropDownCount() const {
  return combo_->maxVisibleItems();
}
void TkorvCombobox::SetDropDownCount(int count) {
  if (count > 0) combo_->setMaxVisibleItems(count);
}

void TkorvCombobox::SetSorted(bool sorted) {
  sorted_ = sorted;
  if (sorted_) SortItems();
}

void TkorvCombobox::SortItems() {
  QStringList items = Items();
  std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  if (items == Items()) return;
  const QString text = Text();
  combo_->clear();
  combo_->addItems(items);
  SetText(text);
}

void TkorvCombobox::SetItems(const QStringList& items) {
  const QString text = Text();
  combo_->clear();
  combo_->addItems(items);
  if (sorted_) SortItems();
  SetText(text);
}

void TkorvCombobox::AddItem(const QString& item) {
  const QString text = Text();
  combo_->addItem(item);
  if (sorted_) SortItems();
  SetText(text);  // adding to an empty box would otherwise select the new item
}

QStringList TkorvCombobox::Items() const {
  QStringList out;
  out.reserve(combo_->count());
  for (int i = 0; i < combo_->count(); ++i) out << combo_->itemText(i);
  return out;
}

int TkorvCombobox::ItemIndexOf(const QString& text) const {
  for (int i = 0; i < combo_->count(); ++i)
    if (SameIgnoringCase(combo_->itemText(i), text)) return i;
  return -1;
}

void TkorvCombobox::OnTextEdited() {
  Commit(false);
}

void TkorvCombobox::Commit(bool leaving) {
  const QString text = Text();
  if (SameIgnoringCase(text, LastText())) return;
  if (leaving && addTextToList_ && ItemIndexOf(text) < 0) AddItem(text);
  Q_EMIT Changed(this);
  bool update = true;
  Q_EMIT BeforeUpdateLastText(this, update);
  if (update) SetLastText(text);
}

bool TkorvCombobox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == combo_ &&
      (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
    // Opening the list or switching to another application does not enter or leave the field.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
      if (event->type() == QEvent::FocusIn) {
        if (QLineEdit* edit = combo_->lineEdit()) edit->selectAll();
        SetLastText(Text());
        Q_EMIT Entered(this);
      } else {
        Commit(true);
      }
    }
  }
  return TkorvCaptionedPanel::eventFilter(watched, event);
}

}  // namespace zorvane
