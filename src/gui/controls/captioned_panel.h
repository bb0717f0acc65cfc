// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A field of a dialog as one piece: a caption at the left and a box beside it that grows with
// the panel. TkorvEdit and TkorvCombobox put an edit box or a drop-down box into it.
//
// The widths set here are the design, in pixels of the 8-point dialog font. Shown, they grow
// with the font (text_fit.h) and the caption is never narrower than its text; the box takes
// the rest of the panel and is as tall as its font needs. In a layout the panel asks for the
// designed width so grown; placed by hand, it is sized with sizeHint().

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

  // The designed width.
  int CaptionWidth() const { return captionWidth_; }
  // Never lets the caption reach closer than 20 pixels to the panel's right edge; the box keeps
  // its right edge and gives up what the caption gains. Set PanelWidth first.
  void SetCaptionWidth(int width);
  // The caption's width as shown: the design grown with the font, or its text's need if more,
  // and at least the floor an owner set to line several fields up (pixels as shown).
  int ShownCaptionWidth() const;
  void SetCaptionFloor(int pixels);
  // What the caption takes without a floor.
  int CaptionNeed() const;

  int PanelWidth() const { return width(); }
  void SetPanelWidth(int width);  // negative: ignored, else the designed width too

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

  // The caption's and the box's needs; the height is fixed by the box's font. The width may
  // follow a layout, never below the caption and the smallest box.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  QLabel* CaptionLabel() const { return label_; }
  QWidget* BoxWidget() const { return box_; }

 protected:
  TkorvCaptionedPanel(QWidget* parent, const QString& lastText);
  // Called once by the subclass constructor with its box (a child of this panel).
  void AttachBox(QWidget* box);
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Puts caption and box where the current width, font and caption put them.
  void PlaceChildren();
  int BoxHeight() const;

  QLabel* label_ = nullptr;
  QWidget* box_ = nullptr;
  int captionLeft_ = 0;
  int captionWidth_ = kCreatedCaptionWidth;
  int captionFloor_ = 0;
  int panelWidth_ = kCreatedWidth;  // designed
  QString defaultItemText_;
  QString lastText_;
};

}  // namespace zorvane
