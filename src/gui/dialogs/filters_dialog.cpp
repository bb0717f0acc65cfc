// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/filters_dialog.h"

#include <QCheckBox>
#include <QPushButton>

#include "browse/filter_match.h"
#include "browse/filter_table.h"

namespace zorvane {
namespace {
constexpr int kMargin = 5;
constexpr int kBoxStep = 22;
constexpr int kBoxWidth = 160;
constexpr int kBoxHeight = 17;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;
// Without boxes: the top margin, the buttons and the space around them.
constexpr int kClientWidth = 2 * kMargin + kBoxWidth;
constexpr int kBaseHeight = kMargin + kButtonGap + kButtonHeight + kButtonGap;
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
  PlaceButtons();
}

void TfrmFilters::PlaceButtons() {
  const int top = kMargin + BoxCount() * kBoxStep + kButtonGap;
  ok_->setGeometry(kMargin, top, kButtonWidth, kButtonHeight);
  cancel_->setGeometry(kClientWidth - kMargin - kButtonWidth, top, kButtonWidth, kButtonHeight);
  setFixedSize(kClientWidth, kBaseHeight + BoxCount() * kBoxStep);
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
  box->setGeometry(kMargin, kMargin + BoxCount() * kBoxStep, kBoxWidth, kBoxHeight);
  box->show();
  boxes_.push_back({key, box});
  PlaceButtons();
  return box;
}

void TfrmFilters::ClearBoxes() {
  for (const TBox& b : boxes_) delete b.box;
  boxes_.clear();
  PlaceButtons();
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
