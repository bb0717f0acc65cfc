// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/options_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/log_window.h"
#include "gui/controls/window_fit.h"
#include "gui/dialogs/master_servers_dialog.h"

namespace zorvane {
namespace {

constexpr int kPanelWidth = 560;
constexpr int kCaptionWidth = 400;
constexpr int kHelpButtonWidth = 23;

struct TCheckInfo {
  const char* name;
  const char* key;
  const char* caption;
  bool TOptionsForm::*value;
};

constexpr TCheckInfo kChecks[] = {
    {"chkAutoPingServer", "autoPingServer",
     "Automatically &ping a server when selecting it in the list", &TOptionsForm::autoPingServer},
    {"chkAutoRefreshForSelectedServer", "autoRefreshSelectedServerOnly",
     "The favorites auto refresh &only affects the selected server",
     &TOptionsForm::autoRefreshSelectedServerOnly},
    {"chkAskForConfirmationWhenDeletingServer", "confirmServerDelete",
     "Ask for confirmation when deleting favorite server", &TOptionsForm::confirmServerDelete},
    {"chkAskForConfirmationWhenDeletingPlayer", "confirmPlayerDelete",
     "Ask for confirmation when deleting player", &TOptionsForm::confirmPlayerDelete},
    {"chkMorePlayerInfo", "morePlayerInfo", "Show total number of players in Players column",
     &TOptionsForm::morePlayerInfo},
    {"chkTabsMultiLine", "tabsMultiline", "Use mutiple lines to show excess tabs",
     &TOptionsForm::tabsMultiline},
    {"chkMinimizeOnJoin", "minimizeOnJoin", "Minimize Zorvane when joining a server",
     &TOptionsForm::minimizeOnJoin},
    {"chkAskForConfirmationWhenDeletingMap", "confirmMapDelete",
     "Ask for confirmation when deleting map", &TOptionsForm::confirmMapDelete},
    {"chkSyncFaves", "syncFaves", "Keep Favorites list in sync with game files",
     &TOptionsForm::syncFaves},
    {"chkAutoCheckNewVersion", "autoCheckNewVersion",
     "Automatically check for newer version of Zorvane", &TOptionsForm::autoCheckNewVersion},
    {"chkShowToolbar", "showToolbar", "Show &Toolbar", &TOptionsForm::showToolbar},
    {"chkStartInTray", "startInTray", "Send this application to tray on startup",
     &TOptionsForm::startInTray},
    {"chkServerHistory", "serverHistory",
     "Keep server history (charts, last seen)",
     &TOptionsForm::serverHistory},
    {"chkDesktopNotifications", "desktopNotifications", "Desktop notifications",
     &TOptionsForm::desktopNotifications},
};

QPushButton* HelpButton(const char* name, QWidget* parent) {
  auto* button = new QPushButton(QStringLiteral("?"), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setFixedWidth(kHelpButtonWidth);
  return button;
}

// A row of the dialog: the control, and the help button beside it when there is one.
QLayout* Row(QWidget* control, QPushButton* help) {
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(control);
  if (help) row->addWidget(help);
  row->addStretch();
  return row;
}

}  // namespace

TfrmOptions::TfrmOptions(TWindowDialogs& dialogs, const QStringList& variants,
                         const QStringList& games, QWidget* parent)
    : QDialog(parent, Qt::Tool),
      dialogs_(dialogs),
      chkEstimateTimeRemaining_(new QCheckBox(QStringLiteral("Estimate time remaining"), this)),
      btnSyncHelp_(HelpButton("btnSyncFavesHelp", this)),
      btnQueryDelayHelp_(HelpButton("btnQueryDelayHelp", this)),
      btnMasterServers_(new QPushButton(QStringLiteral("Master Se&rvers..."), this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmOptions"));
  setWindowTitle(QStringLiteral("Options"));
  auto* layout = new QVBoxLayout(this);
  cboPingWaitTime_ = AddList(
      "cboPingWaitTime",
      QStringLiteral("T&ime to wait for response from individual server before giving up:"),
      PingWaitChoices());
  cboDefaultVersion_ =
      AddList("cboDefaultVersion", QStringLiteral("&Add new server default version:"), variants);
  cboRefreshRate_ = AddList("cboRefreshRate", QStringLiteral("&Favorites Auto Refresh Rate:"),
                            RefreshRateChoices());
  cboStartupQuery_ = AddList("cboStartupQuery",
                             QStringLiteral("&When application starts, query:"),
                             StartupQueryChoices());
  cboFilters_ =
      AddList("cboFilters", QStringLiteral("&Show filters at the:"), FilterLocationChoices());
  cboDefaultGame_ = AddList("cboDefaultGame",
                            QStringLiteral("&Default game for Quick Player Setup:"), games);
  cboQueryDelay_ = AddList("cboQueryDelay", QStringLiteral("&Master Server Query delay strength:"),
                           QueryDelayChoices());
  for (TkorvCombobox* list : {cboPingWaitTime_, cboDefaultVersion_, cboRefreshRate_,
                              cboStartupQuery_, cboFilters_, cboDefaultGame_})
    layout->addLayout(Row(list, nullptr));
  layout->addLayout(Row(cboQueryDelay_, btnQueryDelayHelp_));
  checkGrid_ = new QGridLayout;
  checkGrid_->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(checkGrid_);
  for (const TCheckInfo& info : kChecks) {
    auto* box = new QCheckBox(QString::fromLatin1(info.caption), this);
    box->setObjectName(QString::fromLatin1(info.name));
    checks_.push_back({info.key, info.value, box});
    const bool sync = info.value == &TOptionsForm::syncFaves;
    checkRows_.push_back(Row(box, sync ? btnSyncHelp_ : nullptr));
  }
  chkEstimateTimeRemaining_->setObjectName(QStringLiteral("chkEstimateTimeRemaining"));
  chkEstimateTimeRemaining_->hide();

  auto* buttons = new QHBoxLayout;
  btnMasterServers_->setObjectName(QStringLiteral("btnMasterServers"));
  btnMasterServers_->setAutoDefault(false);
  buttons->addWidget(btnMasterServers_);
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  ok_->setObjectName(QStringLiteral("btnOK"));
  cancel_->setObjectName(QStringLiteral("btnCancel"));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  ArrangeChecks();
  FitWhenShown(this);
  connect(btnMasterServers_, &QPushButton::clicked, this, [this] {
    if (auto lists = EditMasterServers(this, dialogs_, masterLists_)) masterLists_ = *lists;
  });
  connect(btnSyncHelp_, &QPushButton::clicked, this, [this] {
    ShowNote(QStringLiteral("Keeping Favorites In Synch Option"), SyncFavesHelpLines());
  });
  connect(btnQueryDelayHelp_, &QPushButton::clicked, this, [this] {
    ShowNote(QStringLiteral("Master Server query delay strength option"), QueryDelayHelpLines());
  });
}

TkorvCombobox* TfrmOptions::AddList(const char* name, const QString& caption,
                                    const QStringList& items) {
  auto* list = new TkorvCombobox(this);
  list->setObjectName(QString::fromLatin1(name));
  list->SetStyle(TComboStyle::DropDownList);
  list->SetItems(items);
  list->SetText(QString());  // nothing chosen until Fill
  list->SetPanelWidth(kPanelWidth);
  list->SetCaptionWidth(kCaptionWidth);
  list->SetCaption(caption);
  return list;
}

void TfrmOptions::Fill(const TOptionsForm& form) {
  initialising_ = true;
  cboPingWaitTime_->SetText(form.pingWait);
  cboDefaultVersion_->SetText(form.defaultVersion);
  cboRefreshRate_->SetText(form.refreshRate);
  cboStartupQuery_->SetText(form.startupQuery);
  cboFilters_->SetText(form.filterLocation);
  cboDefaultGame_->SetText(form.defaultGame);
  cboQueryDelay_->SetText(form.queryDelay);
  for (const TCheck& check : checks_) check.box->setChecked(form.*check.value);
  masterLists_ = form.masterLists;
  initialising_ = false;
}

TOptionsForm TfrmOptions::Form() const {
  TOptionsForm form;
  form.pingWait = cboPingWaitTime_->Text();
  form.defaultVersion = cboDefaultVersion_->Text();
  form.refreshRate = cboRefreshRate_->Text();
  form.startupQuery = cboStartupQuery_->Text();
  form.filterLocation = cboFilters_->Text();
  form.defaultGame = cboDefaultGame_->Text();
  form.queryDelay = cboQueryDelay_->Text();
  for (const TCheck& check : checks_) form.*check.value = check.box->isChecked();
  form.masterLists = masterLists_;
  return form;
}

QCheckBox* TfrmOptions::CheckBox(const QString& settingKey) const {
  for (const TCheck& check : checks_)
    if (settingKey == QLatin1StringView(check.key)) return check.box;
  return nullptr;
}

void TfrmOptions::ArrangeChecks() {
  const auto place = [this](int rows) {
    for (QLayout* row : checkRows_) checkGrid_->removeItem(row);
    for (int i = 0; i < int(checkRows_.size()); ++i)
      checkGrid_->addLayout(checkRows_[i], i % rows, i / rows);
    layout()->invalidate();
  };
  const int count = int(checkRows_.size());
  place(count);
  const QSize room = WindowRoom(this);
  if (room.isValid() && layout()->totalSizeHint().height() > room.height()) place((count + 1) / 2);
}

void TfrmOptions::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // The owner gives the dialog its font after making it.
  if (event->type() == QEvent::FontChange && checkGrid_) ArrangeChecks();
}

void TfrmOptions::ShowNote(const QString& title, const QStringList& lines) {
  // A window of the modal dialog, so that it takes input while the dialog is open.
  auto* note = new TfrmNote(this);
  note->setAttribute(Qt::WA_DeleteOnClose);
  note->SetNote(title, lines);
  note->show();
  note->raise();
}

QStringList SyncFavesHelpLines() {
  return {
      QStringLiteral("First the more simple explanation for this option. If this option is "
                     "unchecked, then your list of favorites is local to Zorvane only. In other "
                     "words, Zorvane will not find or use the favorites that you have setup "
                     "within your games."),
      QString(),
      QStringLiteral("If this option IS checked, then Zorvane will work with the favorites that "
                     "you have set up within your games. This includes:"),
      QStringLiteral(" - When Zorvane starts, it fills the favorites list with the favorites in "
                     "your games files."),
      QStringLiteral(" - Any update you make to a favorite server in the Zorvane (including "
                     "Adding, Editing, or Deleting) will be reflected in the corresponding game "
                     "file."),
      QStringLiteral("   (For example, if you add server ABC to the favorites list in Zorvane, "
                     "then the next time you go to play your game, the ingame browser will have "
                     "server ABC in the favorites list.)"),
      QString(),
      QStringLiteral("Zorvane can only find the games files automatically for UT, UT2003, and "
                     "UT2004."),
      QStringLiteral("To keep other favorite lists in sync, from the menu select System/Game "
                     "INIs, and specify the path to your game file."),
  };
}

QStringList QueryDelayHelpLines() {
  return {
      QString(),
      QStringLiteral("Why this option is needed: "),
      QStringLiteral(" - Basically, the faster your computer, the more negatively it will impact "
                     "how many servers get back to you when querying the UT Master Server."),
      QString(),
      QStringLiteral("Suggestions for what value to use:"),
      QStringLiteral("  - If you have a clunky slow old computer, set this to [no delay]."),
      QStringLiteral("  - If you have a super zippy computer, you are going to have to select a "
                     "larger value."),
      QString(),
      QStringLiteral("How to see what I'm talking about so you can determine the best setting "
                     "for your computer:"),
      QStringLiteral(" - When you query the master server, one of the messages you will get in "
                     "the status bar at the bottom looks something like this:"),
      QString(),
      QStringLiteral("      Receiving Replies... 97% (estimated)"),
      QString(),
      QStringLiteral("   If the number of replies is below 90%, you need to slow down the query "
                     "speed. Keep increasing the delay strength of this option until the number "
                     "of replies is over 90%."),
      QString(),
      QStringLiteral("   On the other hand, the higher the delay strength, the longer it takes to "
                     "query all the servers. You can see the speed difference because there is "
                     "a status bar message:"),
      QString(),
      QStringLiteral("      Querying Individual Servers... 50%"),
      QString(),
      QStringLiteral("and this will take longer to reach 100%. So the goal is to set the delay "
                     "strength at the lowest value that still allows over 90% of the servers to "
                     "reply."),
      QString(),
      QStringLiteral("(Note, if you missed the percentage of replies, you can view it using the "
                     "menu item Help/Log). "),
  };
}

}  // namespace zorvane
