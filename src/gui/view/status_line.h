// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A server view's status line: owner-drawn panels for messages (0), the version (1) and, once
// debugging was turned on, the refresh rate (2). A highlighted message is drawn bold white on
// green and navy in turn, and a flashing one falls back to the plain look 250 ms later.

#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace zorvane {

class TStatusLine : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kFlashMs = 250;
  static constexpr int kMessageWidth = 400;
  static constexpr int kVersionWidth = 200;
  inline static const QColor kGreen{0, 128, 0};
  inline static const QColor kNavy{0, 0, 128};
  inline static const QColor kMaroon{128, 0, 0};

  explicit TStatusLine(QWidget* parent = nullptr);

  int PanelCount() const { return int(panels_.size()); }
  void AddPanel(int width);
  QString PanelText(int panel) const;
  // Sets a panel's text as it stands (no leading blank added), keeping its flags.
  void SetPanelText(int panel, const QString& text);
  // Panel 0: a message (flash: plain again after 250 ms; highlight: green/navy). Panel 1:
  // highlighted maroon while the flag stays.
  void SetPanel0(const QString& text, bool flash, bool highlight);
  void SetPanel1(const QString& text, bool highlight);

  bool Panel0Highlighted() const { return panels_[0].highlight; }
  bool Panel1Highlighted() const { return panels_.size() > 1 && panels_[1].highlight; }
  QColor LastPanel0Colour() const { return lastColour_; }
  QTimer& FlashTimer() { return flash_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct TPanel {
    int width = 0;
    QString text;
    bool highlight = false;
    bool flash = false;
  };
  void FlashOver();

  std::vector<TPanel> panels_;
  bool green_ = true;  // the next highlighted paint of panel 0
  QColor lastColour_;
  QTimer flash_;
};

}  // namespace zorvane
