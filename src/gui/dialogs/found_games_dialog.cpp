// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/found_games_dialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/window_dialogs.h"

namespace zorvane {

namespace {

constexpr TGamePathField kFields[] = {TGamePathField::Exe, TGamePathField::Favorites,
                                      TGamePathField::User};

QString& PathOf(TFoundGame& found, TGamePathField field) {
  switch (field) {
    case TGamePathField::Exe:
      return found.exePath;
    case TGamePathField::Favorites:
      return found.favoritesPath;
    case TGamePathField::User:
      break;
  }
  return found.userPath;
}

bool TakenAtFirst(const TGameTables& tables, const TFoundGame& found) {
  const TGameInfo* paths = tables.FindPaths(found.game);
  return paths && (paths->ExePath.Value.isEmpty() || paths->ExePath.Value == found.exePath);
}

}  // namespace

TfrmFoundGames::TfrmFoundGames(TWindowDialogs& dialogs, const TGameTables& tables, QString home,
                               const std::vector<TFoundGame>& found, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      tables_(tables),
      home_(std::move(home)),
      lblIntro_(new QLabel(this)),
      scroll_(new QScrollArea(this)),
      list_(new QWidget),
      listLayout_(new QVBoxLayout(list_)),
      btnLookInFolder_(new QPushButton(QStringLiteral("&Look in Folder..."), this)),
      btnOK_(new QPushButton(QStringLiteral("OK"), this)),
      btnCancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmFoundGames"));
  setWindowTitle(QStringLiteral("Installed Games"));
  fileChooser_ = [this](const QString& directory, const QString& filter) {
    return QFileDialog::getOpenFileName(this, windowTitle(), directory, filter);
  };
  folderChooser_ = [this] {
    return QFileDialog::getExistingDirectory(this, QStringLiteral("Look in Folder"), home_);
  };
  lblIntro_->setObjectName(QStringLiteral("lblIntro"));
  lblIntro_->setWordWrap(true);
  btnLookInFolder_->setObjectName(QStringLiteral("btnLookInFolder"));
  btnLookInFolder_->setAutoDefault(false);
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  btnOK_->setDefault(true);

  listLayout_->setContentsMargins(0, 0, 0, 0);
  listLayout_->addStretch();
  scroll_->setObjectName(QStringLiteral("scrFound"));
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setWidget(list_);
  auto* closing = new QHBoxLayout;
  closing->addWidget(btnLookInFolder_);
  closing->addStretch();
  closing->addWidget(btnOK_);
  closing->addWidget(btnCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblIntro_);
  layout->addWidget(scroll_, 1);
  layout->addLayout(closing);

  connect(btnLookInFolder_, &QPushButton::clicked, this, [this] {
    const QString folder = folderChooser_ ? folderChooser_() : QString();
    if (!folder.isEmpty()) LookInFolder(folder);
  });
  connect(btnOK_, &QPushButton::clicked, this, &TfrmFoundGames::accept);
  connect(btnCancel_, &QPushButton::clicked, this, &TfrmFoundGames::reject);
  // Each game's finds together, in the order of the game list.
  std::vector<TFoundGame> byGame = found;
  const auto rank = [&tables](const TFoundGame& game) {
    for (std::size_t i = 0; i < tables.games.size(); ++i)
      if (tables.games[i]->Name.Value == game.game) return i;
    return tables.games.size();
  };
  std::stable_sort(byGame.begin(), byGame.end(),
                   [&](const TFoundGame& a, const TFoundGame& b) { return rank(a) < rank(b); });
  for (const TFoundGame& game : byGame) AddEntry(game);
  ShowIntro();
  FitToContent();
}

void TfrmFoundGames::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A long path shows its end, the file, rather than the folders every path shares.
  for (const TEntry& entry : entries_)
    for (QLineEdit* edit : entry.edits) edit->setCursorPosition(int(edit->text().size()));
}

QLineEdit* TfrmFoundGames::PathEdit(int index, TGamePathField field) const {
  return entries_[std::size_t(index)].edits[int(field)];
}

QPushButton* TfrmFoundGames::BrowseButton(int index, TGamePathField field) const {
  return entries_[std::size_t(index)].browse[int(field)];
}

void TfrmFoundGames::AddEntry(const TFoundGame& found) {
  const std::size_t index = entries_.size();
  const QString number = QString::number(index);
  TEntry entry{found, new QGroupBox(FoundGameTitle(found), list_), {}, {}};
  entry.box->setObjectName(QStringLiteral("grpFound") + number);
  entry.box->setCheckable(true);
  auto* grid = new QGridLayout(entry.box);
  const int editWidth = fontMetrics().averageCharWidth() * 70;
  for (const TGamePathField field : kFields) {
    const TGamePathFieldInfo& info = GamePathFieldInfo(field);
    const int row = int(field);
    auto* caption = new QLabel(QString::fromLatin1(info.word) + u':', entry.box);
    auto* edit = new QLineEdit(PathOf(entry.found, field), entry.box);
    edit->setObjectName(QStringLiteral("edt") + QLatin1String(info.key) + number);
    edit->setMinimumWidth(editWidth);
    edit->setToolTip(edit->text());
    connect(edit, &QLineEdit::textChanged, edit, &QLineEdit::setToolTip);
    caption->setBuddy(edit);
    auto* browse = new QPushButton(QStringLiteral("..."), entry.box);
    browse->setObjectName(QStringLiteral("btn") + QLatin1String(info.key) + number);
    browse->setAutoDefault(false);
    browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) * 3);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(browse, row, 2);
    entry.edits[row] = edit;
    entry.browse[row] = browse;
    connect(browse, &QPushButton::clicked, this, [this, index, field] { Browse(index, field); });
  }
  bool taken = TakenAtFirst(tables_, found);
  for (const TEntry& other : entries_)
    if (other.found.game == found.game && other.box->isChecked()) taken = false;
  entry.box->setChecked(taken);
  connect(entry.box, &QGroupBox::toggled, this, [this, index](bool on) {
    if (on) KeepOneTicked(index);
  });
  listLayout_->insertWidget(listLayout_->count() - 1, entry.box);
  entries_.push_back(entry);
}

void TfrmFoundGames::KeepOneTicked(std::size_t index) {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (i != index && entries_[i].found.game == entries_[index].found.game)
      entries_[i].box->setChecked(false);
}

void TfrmFoundGames::Browse(std::size_t index, TGamePathField field) {
  TEntry& entry = entries_[index];
  QLineEdit* edit = entry.edits[int(field)];
  const QString chosen = fileChooser_ ? fileChooser_(DirectoryPart(edit->text()),
                                                     GamePathFileFilter(GamePathFieldInfo(field)))
                                      : QString();
  if (chosen.isEmpty()) return;
  edit->setText(chosen);
  if (field != TGamePathField::Exe) return;
  // Another executable reads other INI files: the ones found with the old one are replaced.
  const TIniGuess guess = GuessIniPaths(chosen, home_);
  if (!guess.favoritesPath.isEmpty())
    entry.edits[int(TGamePathField::Favorites)]->setText(guess.favoritesPath);
  if (!guess.userPath.isEmpty()) entry.edits[int(TGamePathField::User)]->setText(guess.userPath);
}

void TfrmFoundGames::LookInFolder(const QString& folder) {
  std::size_t added = 0;
  for (const TFoundGame& found :
       folderSearch_ ? folderSearch_(folder) : std::vector<TFoundGame>{}) {
    const bool listed = std::any_of(entries_.begin(), entries_.end(), [&](const TEntry& entry) {
      return entry.found.exePath == found.exePath;
    });
    if (listed) continue;
    AddEntry(found);
    ++added;
  }
  if (added == 0) {
    dialogs_.Information(this,
                         QStringLiteral("No game was found in ") + folder + QStringLiteral("."));
    return;
  }
  ShowIntro();
  FitToContent();
}

void TfrmFoundGames::ShowIntro() {
  lblIntro_->setText(
      entries_.empty()
          ? QStringLiteral("No UT, UT2003 or UT2004 was found in the usual places. Use \"Look in "
                           "Folder...\" to name the folder a game is installed in.")
          : QStringLiteral("These games were found on this computer. Tick the ones to use and "
                           "check their paths; OK sets them for each game."));
  scroll_->setVisible(!entries_.empty());
}

void TfrmFoundGames::FitToContent() {
  if (entries_.empty()) {
    resize(sizeHint());
    return;
  }
  const QSize content = list_->sizeHint();
  scroll_->setMinimumWidth(content.width() + scroll_->verticalScrollBar()->sizeHint().width());
  // The first game always shows; the dialog opens as tall as every game needs, within the
  // screen, and the rest scrolls.
  scroll_->setMinimumHeight(std::min(content.height(), entries_.front().box->sizeHint().height()));
  const QScreen* screen = this->screen();
  const int room = screen ? screen->availableGeometry().height() * 9 / 10 : 700;
  const int around = layout()->sizeHint().height() - scroll_->sizeHint().height();
  const QSize least = minimumSizeHint();
  resize(std::max(layout()->sizeHint().width(), least.width()),
         std::max(std::min(around + content.height(), room), least.height()));
}

std::vector<TFoundGame> TfrmFoundGames::Chosen() const {
  std::vector<TFoundGame> chosen;
  for (const TEntry& entry : entries_) {
    if (!entry.box->isChecked()) continue;
    TFoundGame game = entry.found;
    for (const TGamePathField field : kFields)
      PathOf(game, field) = entry.edits[int(field)]->text().trimmed();
    chosen.push_back(game);
  }
  return chosen;
}

void TfrmFoundGames::accept() {
  // The executable must be there; a native game's INI files appear on its first start.
  for (const TEntry& entry : entries_) {
    if (!entry.box->isChecked()) continue;
    QLineEdit* exe = entry.edits[int(TGamePathField::Exe)];
    const QString caption =
        entry.found.game + u' ' + QLatin1String(GamePathFieldInfo(TGamePathField::Exe).word);
    if (const auto problem = CheckGamePath(exe->text().trimmed(), caption)) {
      dialogs_.Error(this, *problem);
      exe->setFocus();
      return;
    }
    if (exe->text().trimmed().isEmpty()) {
      dialogs_.Error(
          this, QStringLiteral("The '") + caption + QStringLiteral("' field cannot be blank."));
      exe->setFocus();
      return;
    }
  }
  QDialog::accept();
}

}  // namespace zorvane
