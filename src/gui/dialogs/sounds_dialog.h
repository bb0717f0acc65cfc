// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TfrmSounds: the sounds of the server coming online, of it getting players and of a watched
// player coming online, each picked from "[no sound]" and the wave files of the sound folders,
// with a "Preview" button. TfrmIcon: the icon group, with previews of its three states.

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;

namespace zorvane {

class TkorvCombobox;

// Server online, server populated, player online.
using TSoundChoice = std::array<QString, 3>;

class TfrmSounds : public QDialog {
  Q_OBJECT
 public:
  // choices: "[no sound]" and the files; current: the settings (one not among the choices
  // shows "[no sound]"); preview plays a choice.
  TfrmSounds(const QStringList& choices, const TSoundChoice& current,
             std::function<void(const QString&)> preview, QWidget* parent = nullptr);

  TSoundChoice Chosen() const;
  TkorvCombobox* List(int which) const { return lists_[which]; }
  // Presses the "Preview" button of a list.
  void Preview(int which);

 private:
  std::array<TkorvCombobox*, 3> lists_{};
  std::function<void(const QString&)> preview_;
};

class TfrmIcon : public QDialog {
  Q_OBJECT
 public:
  TfrmIcon(int group, QWidget* parent = nullptr);

  int Group() const;
  void SetGroup(int group);
  // The image index each preview shows now (state 0, 1, 2).
  std::array<int, 3> PreviewImages() const { return shown_; }

 private:
  void ShowPreviews();

  QComboBox* groups_ = nullptr;
  std::array<QLabel*, 3> previews_{};
  std::array<int, 3> shown_{};
};

// The modal dialogs as the window opens them; nothing when cancelled.
std::optional<TSoundChoice> ChooseSounds(QWidget* parent, const QStringList& choices,
                                         const TSoundChoice& current,
                                         std::function<void(const QString&)> preview);
std::optional<int> ChooseIconGroup(QWidget* parent, int group);

}  // namespace zorvane
