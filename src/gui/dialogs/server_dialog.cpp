// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/server_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "browse/game_variant_list.h"
#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "gui/controls/window_fit.h"
#include "gui/dialogs/window_dialogs.h"
#include "query/vocabulary.h"

namespace zorvane {
namespace {

constexpr int kFieldWidth = 300;
constexpr int kCaptionWidth = 80;
// The game port's range: the query port, one above it, must be a port too.
constexpr int kHighestGamePort = 65534;

// A dotted address or a host name: letters, digits, '.', '-' and '_'. Anything else (a blank,
// a backslash, a quote) would be a name no look-up finds, and would break the games' files.
bool IsHostText(const QString& host) {
  return std::all_of(host.begin(), host.end(), [](QChar c) {
    return c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_';
  });
}

bool IsDigits(QStringView text) {
  return !text.isEmpty() &&
         std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Digits with an optional sign: a number, if perhaps not a port.
bool IsWholeNumber(QStringView text) {
  return IsDigits(text.startsWith(u'-') || text.startsWith(u'+') ? text.mid(1) : text);
}

bool IsGamePort(const QString& port) {
  bool ok = false;
  const qlonglong number = port.toLongLong(&ok);  // fails beyond 64 bits: no port either
  return ok && number >= 1 && number <= kHighestGamePort;
}

}  // namespace

TfrmServer::TfrmServer(TWindowDialogs& dialogs, const QStringList& games, bool showGame,
                       QWidget* parent)
    : QDialog(parent, Qt::Tool),
      dialogs_(dialogs),
      showGame_(showGame),
      lblWhatGame_(new QLabel(
          QStringLiteral("What Game should be associated with this favorite:"), this)),
      cboUTVersion_(new TkorvCombobox(this)),
      cboGameName_(new TkorvCombobox(this)),
      edtDescription_(new TkorvEdit(this)),
      chkAutoUpdateDescription_(new QCheckBox(QStringLiteral("Auto-Update Description"), this)),
      edtIP_(new TkorvEdit(this)),
      edtQueryPort_(new TkorvEdit(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmServer"));
  lblWhatGame_->setObjectName(QStringLiteral("lblWhatGame"));
  cboUTVersion_->setObjectName(QStringLiteral("cboUTVersion"));
  cboGameName_->setObjectName(QStringLiteral("cboGameName"));
  edtDescription_->setObjectName(QStringLiteral("edtDescription"));
  chkAutoUpdateDescription_->setObjectName(QStringLiteral("chkAutoUpdateDescription"));
  edtIP_->setObjectName(QStringLiteral("edtIP"));
  edtQueryPort_->setObjectName(QStringLiteral("edtQueryPort"));
  ok_->setObjectName(QStringLiteral("btnOK"));
  cancel_->setObjectName(QStringLiteral("btnCancel"));

  QStringList variants;
  FillGameVariantList(variants, kVariantNoUT2003Demo | kVariantNoUT2003 | kVariantNoUT2004Demo);
  cboUTVersion_->SetStyle(TComboStyle::DropDownList);
  cboUTVersion_->SetItems(variants);
  cboGameName_->SetStyle(TComboStyle::DropDownList);
  cboGameName_->SetItems(QStringList(games) << QString::fromLatin1(kOtherGameItem));

  const std::pair<TkorvCaptionedPanel*, const char*> fields[] = {
      {cboUTVersion_, "Version:"}, {cboGameName_, "Game:"},     {edtDescription_, "Description:"},
      {edtIP_, "Server IP:"},      {edtQueryPort_, "Server Port:"}};
  for (const auto& [field, caption] : fields) {
    field->SetPanelWidth(kFieldWidth);
    field->SetCaptionWidth(kCaptionWidth);
    field->SetCaption(QString::fromLatin1(caption));
  }
  ok_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  for (QWidget* row :
       std::initializer_list<QWidget*>{lblWhatGame_, cboUTVersion_, cboGameName_, edtDescription_,
                                       chkAutoUpdateDescription_, edtIP_, edtQueryPort_})
    layout->addWidget(row);
  layout->addStretch();
  layout->addLayout(buttons);
  FitWhenShown(this);
  connect(ok_, &QPushButton::clicked, this, &TfrmServer::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  SetAssociationMode(false);
}

void TfrmServer::SetAssociationMode(bool on) {
  association_ = on;
  if (on) setWindowTitle(QStringLiteral("Game Association"));
  // Laid out top to bottom: only the rows shown take room.
  lblWhatGame_->setVisible(on);
  cboUTVersion_->setVisible(!on);
  cboGameName_->setVisible(on || showGame_);
  for (QWidget* row : std::initializer_list<QWidget*>{edtDescription_, chkAutoUpdateDescription_,
                                                      edtIP_, edtQueryPort_})
    row->setVisible(!on);
}

void TfrmServer::SetValues(const TServerDialogValues& values) {
  cboUTVersion_->SetText(values.version);
  cboGameName_->SetText(values.game);
  edtDescription_->SetText(values.description);
  chkAutoUpdateDescription_->setChecked(values.autoUpdateDescription);
  edtIP_->SetText(values.ip);
  edtQueryPort_->SetText(values.gamePort);
}

TServerDialogValues TfrmServer::Values() const {
  return {cboUTVersion_->Text(),  cboGameName_->Text(),
          edtDescription_->Text(), chkAutoUpdateDescription_->isChecked(),
          edtIP_->Text(),          edtQueryPort_->Text()};
}

QString TfrmServer::Association() const {
  const QString game = cboGameName_->Text();
  return game == QLatin1String(kOtherGameItem) ? QString() : game;
}

void TfrmServer::SplitAddress() {
  QString ip = edtIP_->Text().trimmed();
  QString port = edtQueryPort_->Text().trimmed();
  // "host:port", as servers are usually given: the port typed with the address wins.
  if (const qsizetype colon = ip.indexOf(u':');
      colon > 0 && colon == ip.lastIndexOf(u':') && IsDigits(QStringView(ip).mid(colon + 1))) {
    port = ip.mid(colon + 1);
    ip.truncate(colon);
  }
  if (ip != edtIP_->Text()) edtIP_->SetText(ip);
  if (port != edtQueryPort_->Text()) edtQueryPort_->SetText(port);
}

void TfrmServer::accept() {
  if (!association_) {
    // Each check on its own: every failing one is told, and the dialog stays open.
    bool ok = true;
    const auto check = [&](bool passes, const char* text) {
      if (passes) return;
      dialogs_.Error(this, QString::fromLatin1(text));
      ok = false;
    };
    SplitAddress();
    const QString ip = edtIP_->Text();
    const QString port = edtQueryPort_->Text();
    check(!ip.isEmpty(), "You must specify an IP.");
    check(ip.isEmpty() || IsHostText(ip), "The server IP must be an IP address or a host name.");
    check(!cboUTVersion_->Text().isEmpty(), "You must specify a version.");
    check(!port.isEmpty(), "You must specify the server port.");
    const bool numeric = IsWholeNumber(port);
    check(port.isEmpty() || numeric, "The server port must be numeric.");
    check(!numeric || IsGamePort(port), "The server port must be from 1 to 65534.");
    if (!ok) return;
  }
  QDialog::accept();
}

}  // namespace zorvane
