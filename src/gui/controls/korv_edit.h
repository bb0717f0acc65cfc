// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The captioned edit box. Every change of its text is reported at once; LastText is the
// owner's to keep.

#include <QChar>

#include "gui/controls/captioned_panel.h"

class QLineEdit;

namespace zorvane {

class TkorvEdit : public TkorvCaptionedPanel {
  Q_OBJECT

 public:
  explicit TkorvEdit(QWidget* parent = nullptr);

  QString Text() const override;
  void SetText(const QString& text) override;

  // Shown instead of each typed character; a null QChar shows the text.
  QChar PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(QChar c);

  // Read-only, painted in the button colour instead of the base (window) colour.
  bool ReadOnlyControl() const;
  void SetReadOnlyControl(bool readOnly);

  bool TabStop() const;
  void SetTabStop(bool tabStop);

  QLineEdit* Edit() const { return edit_; }

 Q_SIGNALS:
  // Every change of the text, by the user or by SetText.
  void Changed(zorvane::TkorvEdit* sender);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* edit_;
  QChar passwordChar_;
};

}  // namespace zorvane
