// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Font": the program-wide font name and size, with a preview of a grid, a list and a button.
// The names offered are the classic Windows faces followed by the desktop's own families.

#include <QDialog>

class QGroupBox;
class QListWidget;
class QPushButton;

namespace zorvane {

class TkorvCombobox;
class TkorvStringGrid;

class TfrmOptionsFont : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kSampleColumns = 6;

  explicit TfrmOptionsFont(QWidget* parent = nullptr);

  // The lists start at name and size (a name not in the list selects nothing); the sample
  // grid takes a copy of source's cells.
  void Fill(const QString& name, int size, const TkorvStringGrid* source);
  QString ChosenName() const;
  int ChosenSize() const;  // 0 without a choice
  // Shows the chosen name and size on the three sample controls.
  void Preview();

  TkorvCombobox* NameBox() const { return cboFontName_; }
  TkorvCombobox* SizeBox() const { return cboFontSize_; }
  TkorvStringGrid* SampleGrid() const { return grdSample_; }
  QListWidget* SampleList() const { return lstSample_; }
  QPushButton* SampleButton() const { return btnSample_; }
  QPushButton* PreviewButton() const { return btnPreview_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  TkorvCombobox* cboFontName_;
  TkorvCombobox* cboFontSize_;
  QPushButton* btnPreview_;
  QGroupBox* grpPreview_;
  TkorvStringGrid* grdSample_;
  QListWidget* lstSample_;
  QPushButton* btnSample_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// The classic faces first, then every desktop family not among them.
QStringList FontNameChoices();

}  // namespace zorvane
