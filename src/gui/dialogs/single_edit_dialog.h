// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TfrmLocalPort: the single-edit dialog, a title, one captioned edit box, an optional
// "Exact Match" check box, OK and Cancel. The local port, adding a player or a map and finding
// a player or a server all ask through it. Laid out to its designed 212 x 82 pixels, it grows
// with a larger font or a longer caption.

#include <QDialog>
#include <optional>

class QCheckBox;
class QPushButton;

namespace zorvane {

class TkorvEdit;
class TWindowDialogs;

struct TSingleEditSetup {
  QString title;
  QString caption;  // the edit box's caption, e.g. "Local Port:"
  QString text;
  bool showExactMatch = false;
  bool exactMatch = false;
  bool numbersOnly = true;  // OK takes only digits (an empty text passes)
};

struct TSingleEditResult {
  QString text;
  bool exactMatch = false;
};

class TfrmLocalPort : public QDialog {
  Q_OBJECT

 public:
  TfrmLocalPort(TWindowDialogs& dialogs, QWidget* parent = nullptr);

  void Setup(const TSingleEditSetup& setup);
  TSingleEditResult Result() const;

  TkorvEdit* Edit() const { return edtEdit_; }
  QCheckBox* ExactMatchBox() const { return chkExactMatch_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  bool NumbersOnly() const { return numbersOnly_; }

 public Q_SLOTS:
  void accept() override;  // refuses a non-number while numbers-only is on

 private:
  TWindowDialogs& dialogs_;
  TkorvEdit* edtEdit_;
  QCheckBox* chkExactMatch_;
  QPushButton* ok_;
  QPushButton* cancel_;

  bool numbersOnly_ = true;
};

// Runs the dialog modally; the text (and tick) on OK, nothing on Cancel.
std::optional<TSingleEditResult> RunSingleEdit(QWidget* parent, TWindowDialogs& dialogs,
                                               const TSingleEditSetup& setup);

// The "Local Port..." command: the new port on OK, nothing on Cancel. A text that is no port
// (0 to 65535) is refused with an error box and the dialog is shown again.
std::optional<int> EditLocalPort(QWidget* parent, TWindowDialogs& dialogs, int currentPort);

}  // namespace zorvane
