// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/font_dialog.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/window_fit.h"
#include "gui/grid/string_grid.h"

namespace zorvane {
namespace {

constexpr int kSampleWidths[TfrmOptionsFont::kSampleColumns] = {300, 50, 50, 100, 100, 0};

TkorvCombobox* List(QWidget* parent, const char* name, const char* caption,
                    const QStringList& items, int width, int captionWidth) {
  auto* list = new TkorvCombobox(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->SetStyle(TComboStyle::DropDownList);
  list->SetItems(items);
  list->SetPanelWidth(width);
  list->SetCaptionWidth(captionWidth);
  list->SetCaption(QString::fromLatin1(caption));
  return list;
}

}  // namespace

QStringList FontNameChoices() {
  QStringList names{QStringLiteral("MS Sans Serif"), QStringLiteral("Tahoma"),
                    QStringLiteral("Times New Roman"), QStringLiteral("Verdana")};
  for (const QString& family : QFontDatabase::families())
    if (!names.contains(family, Qt::CaseInsensitive)) names << family;
  return names;
}

TfrmOptionsFont::TfrmOptionsFont(QWidget* parent)
    : QDialog(parent, Qt::Tool),
      btnPreview_(new QPushButton(QStringLiteral("Preview"), this)),
      grpPreview_(new QGroupBox(QStringLiteral("Preview Of Font Settings"), this)),
      lstSample_(new QListWidget(grpPreview_)),
      btnSample_(new QPushButton(QStringLiteral("Button Text"), grpPreview_)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmOptionsFont"));
  setWindowTitle(QStringLiteral("Font"));
  QStringList sizes;
  for (int size = 6; size <= 12; ++size) sizes << QString::number(size);
  cboFontName_ = List(this, "cboFontName", "Font Name:", FontNameChoices(), 260, 70);
  cboFontSize_ = List(this, "cboFontSize", "Size:", sizes, 100, 35);
  btnPreview_->setObjectName(QStringLiteral("btnPreview"));
  connect(btnPreview_, &QPushButton::clicked, this, &TfrmOptionsFont::Preview);

  auto* sampleHolder = new QWidget(grpPreview_);
  grdSample_ = TkorvStringGrid::CreateListGrid(sampleHolder, kSampleColumns, nullptr);
  grdSample_->setObjectName(QStringLiteral("grdSample"));
  for (int col = 0; col < kSampleColumns; ++col) grdSample_->SetColWidths(col, kSampleWidths[col]);
  grdSample_->SetStretchColumn(0);
  grdSample_->SetKorvSort(true);
  // Only the name and the two text columns beside the numbers sort.
  connect(grdSample_, &TkorvStringGrid::OnPreSort, this, [this](bool& canSort) {
    const int col = grdSample_->KorvSortCol();
    canSort = col != 1 && col != 2;
  });
  lstSample_->setObjectName(QStringLiteral("lstSample"));
  lstSample_->addItems({QStringLiteral("cool app"), QStringLiteral("UT Forever")});
  btnSample_->setObjectName(QStringLiteral("btnSample"));
  auto* sampleSide = new QVBoxLayout;
  sampleSide->addWidget(new QLabel(QStringLiteral("Label Text:"), grpPreview_));
  sampleSide->addWidget(lstSample_);
  sampleSide->addWidget(btnSample_);
  auto* preview = new QHBoxLayout(grpPreview_);
  preview->addWidget(sampleHolder, 1);
  preview->addLayout(sampleSide);

  auto* choices = new QHBoxLayout;
  choices->addWidget(cboFontName_);
  choices->addWidget(cboFontSize_);
  choices->addWidget(btnPreview_);
  choices->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  ok_->setObjectName(QStringLiteral("btnOK"));
  cancel_->setObjectName(QStringLiteral("btnCancel"));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choices);
  layout->addWidget(grpPreview_, 1);
  layout->addLayout(buttons);
  FitWhenShown(this, {760, 360});
}

void TfrmOptionsFont::Fill(const QString& name, int size, const TkorvStringGrid* source) {
  cboFontName_->SetText(name);
  cboFontSize_->SetText(QString::number(size));
  grdSample_->ClearGrid();
  if (!source) return;
  grdSample_->SetRowCount(source->RowCount());
  for (int row = 0; row < source->RowCount(); ++row)
    for (int col = 0; col < std::min(kSampleColumns, source->ColCount()); ++col)
      grdSample_->SetCell(col, row, source->Cells(col, row));
}

QString TfrmOptionsFont::ChosenName() const {
  return cboFontName_->Text();
}

int TfrmOptionsFont::ChosenSize() const {
  return cboFontSize_->Text().toInt();
}

void TfrmOptionsFont::Preview() {
  QFont font = this->font();
  if (!ChosenName().isEmpty()) font.setFamily(ChosenName());
  if (ChosenSize() > 0) font.setPointSize(ChosenSize());
  for (QWidget* sample : {static_cast<QWidget*>(grdSample_), static_cast<QWidget*>(lstSample_),
                          static_cast<QWidget*>(btnSample_)})
    sample->setFont(font);
}

}  // namespace zorvane
