// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/sounds_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "browse/sound_files.h"
#include "browse/tray_state.h"
#include "config/settings.h"
#include "gui/controls/app_icons.h"
#include "gui/controls/korv_combobox.h"
#include "gui/controls/window_fit.h"

namespace zorvane {

namespace {

struct TSoundGroup {
  const char* name;
  const char* title;
  const char* text;
  const char* caption;
};
constexpr TSoundGroup kSoundGroups[3] = {
    {"Online", "Server Online",
     "This sound will play when the selected server goes from Offline to Online", "Server Sound:"},
    {"Populated", "Server Populated",
     "This sound will play when the selected server goes from having zero players to having one "
     "or more players",
     "Caption:"},
    {"Player", "Player Online",
     "This sound will play when any monitored player starts playing in one of the servers in "
     "your lists",
     "Player Sound:"},
};

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

TfrmSounds::TfrmSounds(const QStringList& choices, const TSoundChoice& current,
                       std::function<void(const QString&)> preview, QWidget* parent)
    : QDialog(parent, Qt::Tool), preview_(std::move(preview)) {
  setObjectName(QStringLiteral("frmSounds"));
  setWindowTitle(QStringLiteral("Sounds"));
  auto* layout = new QVBoxLayout(this);
  for (int i = 0; i < 3; ++i) {
    const TSoundGroup& g = kSoundGroups[i];
    auto* box = new QGroupBox(QString::fromLatin1(g.title), this);
    box->setObjectName(QStringLiteral("grp") + QLatin1String(g.name));
    auto* text = new QLabel(QString::fromLatin1(g.text), box);
    text->setWordWrap(true);
    auto* list = new TkorvCombobox(box);
    list->setObjectName(QStringLiteral("cbo") + QLatin1String(g.name));
    // The three lists line up: room for the longest caption of the three.
    list->SetPanelWidth(250);
    list->SetCaptionWidth(90);
    list->SetCaption(QString::fromLatin1(g.caption));
    list->SetStyle(TComboStyle::DropDownList);
    list->SetItems(choices);
    const int at = choices.indexOf(current[i]);
    list->Combobox()->setCurrentIndex(at >= 0 ? at : 0);
    auto* play = new QPushButton(QStringLiteral("Preview"), box);
    play->setObjectName(QStringLiteral("btnPreview") + QLatin1String(g.name));
    connect(play, &QPushButton::clicked, this, [this, i] { Preview(i); });
    auto* row = new QHBoxLayout;
    row->addWidget(list, 1);
    row->addWidget(play);
    auto* inner = new QVBoxLayout(box);
    inner->addWidget(text);
    inner->addLayout(row);
    layout->addWidget(box);
    lists_[i] = list;
  }
  auto* note = new QLabel(
      QStringLiteral("You can get more wav files in the lists above by placing them in the same "
                     "directory as this application. I recommend that they only take at most a "
                     "couple of seconds to play, because for as long as the sound is playing, "
                     "this application will be waiting."),
      this);
  note->setWordWrap(true);
  layout->addWidget(note);
  layout->addWidget(OkCancel(this));
  FitWhenShown(this);
}

TSoundChoice TfrmSounds::Chosen() const {
  TSoundChoice chosen;
  for (int i = 0; i < 3; ++i) chosen[i] = lists_[i]->Combobox()->currentText();
  return chosen;
}

void TfrmSounds::Preview(int which) {
  if (preview_) preview_(lists_[which]->Combobox()->currentText());
}

TfrmIcon::TfrmIcon(int group, QWidget* parent) : QDialog(parent, Qt::Tool) {
  setObjectName(QStringLiteral("frmIcon"));
  setWindowTitle(QStringLiteral("Icon"));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Icon Group:"), this));
  groups_ = new QComboBox(this);
  groups_->setObjectName(QStringLiteral("cboIconGroup"));
  for (int g = 1; g <= kIconGroups; ++g) groups_->addItem(QString::number(g));
  row->addWidget(groups_);
  for (QLabel*& preview : previews_) {
    preview = new QLabel(this);
    preview->setFixedSize(16, 16);
    row->addWidget(preview);
  }
  layout->addLayout(row);
  layout->addWidget(OkCancel(this));
  FitWhenShown(this);
  connect(groups_, &QComboBox::currentIndexChanged, this, &TfrmIcon::ShowPreviews);
  SetGroup(group);
  ShowPreviews();
}

int TfrmIcon::Group() const {
  return groups_->currentIndex() + 1;
}

void TfrmIcon::SetGroup(int group) {
  groups_->setCurrentIndex(std::clamp(group, 1, kIconGroups) - 1);
}

void TfrmIcon::ShowPreviews() {
  for (int state = 0; state < kIconStates; ++state) {
    shown_[state] = TrayImageIndex(Group(), state);
    previews_[state]->setPixmap(IconImage(shown_[state], 16));
  }
}

std::optional<TSoundChoice> ChooseSounds(QWidget* parent, const QStringList& choices,
                                         const TSoundChoice& current,
                                         std::function<void(const QString&)> preview) {
  TfrmSounds dialog(choices, current, std::move(preview), parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Chosen();
}

std::optional<int> ChooseIconGroup(QWidget* parent, int group) {
  TfrmIcon dialog(group, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Group();
}

}  // namespace zorvane
