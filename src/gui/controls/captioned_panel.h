// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A field of a dialog as one piece: a caption at the left and a box beside it that grows with
// the panel. TkorvEdit and TkorvCombobox put an edit box or a drop-down box into it.

#include <QString>
#include <QWidget>

class QLabel;

namespace zorvane {

class TkorvCaptionedPanel : public QWidget {
  Q_OBJECT

 public:
  // Created 160 x 23; the caption 70 wide at (0, 2), the box 90 x 21 beside it.
  static constexpr int kCreatedWidth = 160;
  static constexpr int kCreatedHeight = 23;
  static constexpr int kCreatedCaptionWidth = 70;

  QString Caption() const;
  // A non-empty caption that does not end with ":" gets one.
  void SetCaption(const QString& caption);

  int CaptionLeft() const;
  void SetCaptionLeft(int left);  // negative: ignored

  int CaptionWidth() const;
  // Never lets the caption reach closer than 20 pixels to the panel's right edge; the box keeps
  // its right edge and gives up what the caption gains. Set PanelWidth first.
  void SetCaptionWidth(int width);

  int PanelWidth() const { return width(); }
  void SetPanelWidth(int width);  // negative: ignored

  // Kept for the owner (the filter boxes select it for values not among their items).
  QString DefaultItemText() const { return defaultItemText_; }
  void SetDefaultItemText(const QString& text) { defaultItemText_ = text; }

  virtual QString Text() const = 0;
  virtual void SetText(const QString& text) = 0;

  QString LastText() const { return lastText_; }
  void SetLastText(const QString& text) { lastText_ = text; }

  // Panel, caption and box share one font.
  void SetFontName(const QString& name);
  void SetFontSize(int points);

  QLabel* CaptionLabel() const { return label_; }
  QWidget* BoxWidget() const { return box_; }

 protected:
  TkorvCaptionedPanel(QWidget* parent, const QString& lastText);
  // Called once by the subclass constructor with its box (a child of this panel).
  void AttachBox(QWidget* box);
  void resizeEvent(QResizeEvent* event) override;
  // In a layout the panel keeps the height it was made with; its width may follow.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 private:
  void PlaceBox(int left);

  QLabel* label_ = nullptr;
  QWidget* box_ = nullptr;
  int boxRightGap_ = 0;  // the box is anchored right: this gap stays when the panel resizes
  QString defaultItemText_;
  QString lastText_;
};

}  // namespace zorvane
