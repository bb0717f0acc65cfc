// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/about_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>

#include "config/version.h"

namespace zorvane {

TfrmAbout::TfrmAbout(const QString& settingsFolder, QWidget* parent)
    : QDialog(parent), folder_(new QLabel(this)) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About Zorvane"));
  auto* name = new QLabel(QStringLiteral("Zorvane"), this);
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.5);
  name->setFont(bold);
  auto* version = new QLabel(QStringLiteral("Version ") + QLatin1StringView(kVersionText), this);
  version->setObjectName(QStringLiteral("lblVersion"));
  auto* purpose = new QLabel(
      QStringLiteral(
          "A browser and monitor for the servers of\nUnreal Tournament, UT2003 and UT2004."),
      this);
  auto* licence = new QLabel(
      QStringLiteral("Licence: GNU General Public License, version 2 or later\n(GPL-2.0-or-later)"),
      this);
  licence->setObjectName(QStringLiteral("lblLicence"));
  auto* folderCaption = new QLabel(QStringLiteral("Settings folder:"), this);
  folder_->setObjectName(QStringLiteral("lblSettingsFolder"));
  folder_->setText(QDir::toNativeSeparators(QDir(settingsFolder).absolutePath()));
  folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);  // to copy it
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(name);
  layout->addWidget(version);
  layout->addSpacing(8);
  layout->addWidget(purpose);
  layout->addSpacing(8);
  layout->addWidget(licence);
  layout->addSpacing(8);
  layout->addWidget(folderCaption);
  layout->addWidget(folder_);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // every line whole, at any font
}

}  // namespace zorvane
