// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/filters_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "browse/filter_match.h"
#include "browse/filter_table.h"
#include "gui/controls/window_fit.h"

namespace zorvane {
namespace {
// The design: boxes 160 wide, 22 pixels apart, 5 from the edges.
constexpr int kMargin = 5;
constexpr int kBoxGap = 5;
constexpr int kDesignedWidth = 2 * kMargin + 160;
}  // namespace

TfrmFilters::TfrmFilters(QWidget* parent)
    : QDialog(parent, Qt::Tool),
      ok_(new QPushButton(tr("OK"), this)),
      cancel_(new QPushButton(tr("Cancel"), this)) {
  setObjectName(QStringLiteral("frmFilters"));
  setWindowTitle(QStringLiteral("Use These Filters"));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  boxLayout_ = new QGridLayout;
  boxLayout_->setVerticalSpacing(kBoxGap);
  boxLayout_->setHorizontalSpacing(4 * kBoxGap);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ok_);
  buttons->addStretch();
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  layout->addLayout(boxLayout_);
  layout->addStretch();
  layout->addLayout(buttons);
  // The window grows with its boxes and keeps to what they and its title need.
  layout->setSizeConstraint(QLayout::SetMinimumSize);
  FitWhenShown(this, {kDesignedWidth, 0});
}

QCheckBox* TfrmFilters::AddBox(int filterIndex, bool checked) {
  if (filterIndex < 0 || filterIndex >= kFilterCount) return nullptr;
  const TFilterInfo& info = kFilterTable[filterIndex];
  return AddBox(QString::fromLatin1(info.name), QString::fromLatin1(info.caption), checked);
}

QCheckBox* TfrmFilters::AddBox(const QString& key, const QString& caption, bool checked) {
  auto* box = new QCheckBox(caption, this);
  box->setObjectName(key);
  box->setChecked(checked);
  boxes_.push_back({key, box});
  PlaceBoxes();
  return box;
}

void TfrmFilters::PlaceBoxes() {
  if (boxes_.empty()) return;
  // Down the dialog, in further columns where the screen has no room for one more row.
  const QScreen* screen = this->screen();
  const int rowHeight = boxes_.front().box->sizeHint().height() + kBoxGap;
  const int room = screen ? screen->availableGeometry().height() * 4 / 5 - 3 * rowHeight : 0;
  const int count = BoxCount();
  const int columns = room > 0 ? (count * rowHeight + room - 1) / room : 1;
  const int rows = (count + columns - 1) / columns;
  for (int i = 0; i < count; ++i) {
    boxLayout_->removeWidget(boxes_[i].box);
    boxLayout_->addWidget(boxes_[i].box, i % rows, i / rows);
  }
}

void TfrmFilters::ClearBoxes() {
  for (const TBox& b : boxes_) delete b.box;
  boxes_.clear();
}

QCheckBox* TfrmFilters::BoxAt(int position) const {
  return position >= 0 && position < BoxCount() ? boxes_[position].box : nullptr;
}

QCheckBox* TfrmFilters::BoxFor(const QString& key) const {
  for (const TBox& b : boxes_)
    if (AsciiEqualsIgnoreCase(b.key, key)) return b.box;
  return nullptr;
}

bool TfrmFilters::Checked(int position) const {
  const QCheckBox* box = BoxAt(position);
  return box && box->isChecked();
}

bool TfrmFilters::Checked(const QString& key) const {
  const QCheckBox* box = BoxFor(key);
  return box && box->isChecked();
}

void TfrmFilters::Fill(const TFilterFlags& used) {
  ClearBoxes();
  for (int i = 0; i < kFilterCount; ++i) AddBox(i, used[i]);
}

TFilterFlags TfrmFilters::Chosen() const {
  TFilterFlags flags{};
  for (int i = 0; i < kFilterCount; ++i) flags[i] = Checked(QString::fromLatin1(kFilterNames[i]));
  return flags;
}

std::optional<TFilterFlags> TfrmFilters::Choose(const TFilterFlags& used) {
  Fill(used);
  if (exec() != QDialog::Accepted) return std::nullopt;
  return Chosen();
}

std::optional<TFilterFlags> ChooseFiltersInUse(QWidget* parent, const TFilterFlags& favoritesUsed) {
  TfrmFilters dialog(parent);
  return dialog.Choose(favoritesUsed);
}

}  // namespace zorvane
