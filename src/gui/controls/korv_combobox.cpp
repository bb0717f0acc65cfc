// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/korv_combobox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QtMath>
#include <algorithm>

namespace zorvane {
namespace {
bool SameIgnoringCase(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

// QComboBox builds its list (a view in a frame, with scroll bars) the first time it is asked
// for it, and a window holds hundreds of boxes most never opened: the list's width is set as
// it opens, so a box never opened never builds one.
//
// Setting a size policy builds the list too, so the one the filter boxes use,
// AdjustToMinimumContentsLengthWithIcon, is worked out here as QComboBox does it.
class TListFittingCombo : public QComboBox {
 public:
  using QComboBox::QComboBox;
  bool fitsItems = false;
  bool contentsLengthWide = false;

  QSize sizeHint() const override {
    return contentsLengthWide ? ContentsLengthHint() : QComboBox::sizeHint();
  }
  QSize minimumSizeHint() const override {
    return contentsLengthWide ? ContentsLengthHint() : QComboBox::minimumSizeHint();
  }

  void showPopup() override {
    if (fitsItems)
      view()->setMinimumWidth(view()->sizeHintForColumn(0) +
                              style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    QComboBox::showPopup();
  }

 private:
  // MinimumContentsLength "X"s and an icon's room, the font's height, the style's frame.
  QSize ContentsLengthHint() const {
    const QFontMetrics& metrics = fontMetrics();
    const QSize icon = iconSize();
    QSize size(minimumContentsLength() * metrics.horizontalAdvance(u'X') + icon.width() + 4,
               std::max(std::max(qCeil(QFontMetricsF(metrics).height()), 14) + 2,
                        icon.height() + 2));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, size, this);
  }
};
}  // namespace

TkorvCombobox::TkorvCombobox(QWidget* parent, TComboStyle style)
    : TkorvCaptionedPanel(parent, QString::fromLatin1(kUnlikelyText)),
      combo_(new TListFittingCombo(this)) {
  AttachBox(combo_);
  combo_->installEventFilter(this);
  combo_->setInsertPolicy(QComboBox::NoInsert);  // AddTextToList decides what joins the items
  // A new QComboBox is a pure list; making it editable and back would build its list.
  style_ = TComboStyle::DropDownList;
  SetStyle(style);
  // A pick from the list, by mouse, keys or wheel; not programmatic selections.
  connect(combo_, &QComboBox::activated, this, [this] { Commit(false); });
}

void TkorvCombobox::SetListFitsItems(bool fits) {
  static_cast<TListFittingCombo*>(combo_)->fitsItems = fits;
}

void TkorvCombobox::SetContentsLengthWide(int letters) {
  combo_->setMinimumContentsLength(letters);
  static_cast<TListFittingCombo*>(combo_)->contentsLengthWide = true;
  combo_->updateGeometry();
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
