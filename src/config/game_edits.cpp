// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/game_edits.h"

#include <QFileInfo>
#include <algorithm>
#include <tuple>

#include "config/ini_document.h"

namespace zorvane {

namespace {

bool Same(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsBuiltIn(const TGameType& type) {
  return IsBuiltInGameType(type.Name.Value);
}

QString Duplicate(const QString& name) {
  return QStringLiteral("The game ") + name + QStringLiteral(" is already in the list.");
}

// Whether name, written as a key and as a section name, reads back as itself.
bool ReadsBack(const QString& name) {
  TIniDocument doc;
  doc.WriteString(QStringLiteral("list"), name, QStringLiteral("v"));
  doc.WriteString(name, QStringLiteral("k"), QStringLiteral("v"));
  TIniDocument back;
  back.ParseText(doc.ToBytes());
  return back.ReadSection(QStringLiteral("list")) == QStringList{name} &&
         back.Sections().contains(name) &&
         back.ReadString(name, QStringLiteral("k"), QString()) == u"v";
}

// A record's state after Update took over at least one field.
template <typename T>
void MarkUpdated(T& record) {
  if (record.EditState == esNewOrDeleted)
    record.EditState = esNewAccepted;
  else if (record.EditState != esNewAccepted)
    record.EditState = esChanged;
}

template <typename T>
QStringList WorkingNames(const std::vector<T*>& listed) {
  QStringList names;
  for (const T* item : listed) names << item->Name.Working;
  return names;
}

template <typename T>
bool OtherHasName(const std::vector<T*>& listed, const T* self, const QString& name) {
  return std::any_of(listed.begin(), listed.end(),
                     [&](const T* item) { return item != self && Same(item->Name.Working, name); });
}

}  // namespace

QString IniNameProblem(const QString& name, const QString& fieldCaption) {
  const QString field = QStringLiteral("The '") + fieldCaption + QStringLiteral("' ");
  if (name.contains(u'=')) return field + QStringLiteral("cannot contain '='.");
  if (name.startsWith(u';') || name.startsWith(u'#'))
    return field + QStringLiteral("cannot begin with ';' or '#'.");
  if (name.trimmed() != name) return field + QStringLiteral("cannot begin or end with a blank.");
  if (!ReadsBack(name))
    return field + name + QStringLiteral(" cannot be kept in ") +
           QString::fromLatin1(kGameTypeFileName) + u'.';
  return {};
}

// ---- Games

TGameListEditor::TGameListEditor(TGameTables& tables) : tables_(tables) {
  for (const auto& game : tables_.games) listed_.push_back(game.get());
}

TGameListEditor::~TGameListEditor() = default;

TGame* TGameListEditor::At(int index) const {
  return index >= 0 && index < Count() ? listed_[index] : nullptr;
}

QStringList TGameListEditor::Names() const {
  return WorkingNames(listed_);
}

int TGameListEditor::New() {
  auto game = std::make_unique<TGame>();
  game->Name.Working = QStringLiteral("[New") + QString::number(++newCounter_) + u']';
  game->EditState = esNewOrDeleted;
  listed_.push_back(game.get());
  fresh_.push_back(std::move(game));
  return Count() - 1;
}

void TGameListEditor::Delete(int index) {
  TGame* game = At(index);
  if (!game) return;
  game->EditState = esNewOrDeleted;
  listed_.erase(listed_.begin() + index);
}

std::optional<TEditProblem> TGameListEditor::Update(int index, const QString& name,
                                                    const QString& association) {
  TGame* game = At(index);
  if (!game) return std::nullopt;
  if (name.isEmpty()) return TEditProblem{0, QStringLiteral("The 'Game' cannot be blank.")};
  if (association.isEmpty())
    return TEditProblem{1, QStringLiteral("The 'Version Association' cannot be blank.")};
  if (OtherHasName(listed_, game, name)) return TEditProblem{0, Duplicate(name), true};
  const bool renamed = !Same(name, game->Name.Working);
  if (renamed) {
    if (const QString problem = IniNameProblem(name, QStringLiteral("Game")); !problem.isEmpty())
      return TEditProblem{0, problem};
    if (GameNameCollidesWithSection(tables_, name))
      return TEditProblem{0, QStringLiteral("The game ") + name +
                                 QStringLiteral(" would keep its paths in a section that ") +
                                 QString::fromLatin1(kGameTypeFileName) +
                                 QStringLiteral(" uses for something else.")};
  }
  bool changed = false;
  if (renamed) game->Name.Working = name, changed = true;
  if (association != game->Value.Working) game->Value.Working = association, changed = true;
  if (changed) MarkUpdated(*game);
  return std::nullopt;
}

QString TGameRenames::After(const QString& before) const {
  for (const auto& [old, renamed] : changes)
    if (Same(old, before)) return renamed;
  return before;
}

TGameRenames TGameListEditor::Accept() {
  for (TGame* game : listed_) {
    if (game->EditState != esNewAccepted) continue;
    const auto own = std::find_if(fresh_.begin(), fresh_.end(),
                                  [game](const auto& f) { return f.get() == game; });
    if (own == fresh_.end()) continue;
    tables_.games.push_back(std::move(*own));
    tables_.paths.push_back(std::make_unique<TGameInfo>());
  }
  fresh_.clear();  // new and never accepted, or accepted and then deleted
  // Every old name is looked up before any moves: a game may take the name another had.
  TGameRenames renames;
  for (const auto& game : tables_.games) {
    if (game->EditState == esNewOrDeleted)
      renames.changes.emplace_back(game->Name.Value, QString());
    else if (game->EditState == esChanged && !Same(game->Name.Value, game->Name.Working))
      renames.changes.emplace_back(game->Name.Value, game->Name.Working);
  }
  for (const auto& type : tables_.gameTypes) {
    const QString after = renames.After(type->Game.Value);
    if (after != type->Game.Value) type->Game.Set(after);
  }
  for (std::size_t i = tables_.games.size(); i-- > 0;) {
    TGame& game = *tables_.games[i];
    if (game.EditState == esNewOrDeleted) {
      // The paths are kept by position, so they follow the game by themselves.
      if (i < tables_.paths.size()) tables_.paths.erase(tables_.paths.begin() + qsizetype(i));
      tables_.games.erase(tables_.games.begin() + qsizetype(i));
      continue;
    }
    if (game.EditState != esUnchanged) game.Commit();
    game.EditState = esUnchanged;
  }
  listed_.clear();
  return renames;
}

void TGameListEditor::Cancel() {
  for (const auto& game : tables_.games) {
    if (game->EditState == esChanged || game->EditState == esNewOrDeleted) game->Revert();
    game->EditState = esUnchanged;
  }
  fresh_.clear();
  listed_.clear();
}

// ---- Game types

TGameTypeListEditor::TGameTypeListEditor(TGameTables& tables) : tables_(tables) {
  for (const auto& type : tables_.gameTypes)
    if (!IsBuiltIn(*type)) listed_.push_back(type.get());
}

TGameTypeListEditor::~TGameTypeListEditor() = default;

TGameType* TGameTypeListEditor::At(int index) const {
  return index >= 0 && index < Count() ? listed_[index] : nullptr;
}

QStringList TGameTypeListEditor::Names() const {
  return WorkingNames(listed_);
}

QStringList TGameTypeListEditor::GameNames() const {
  QStringList names;
  for (const auto& game : tables_.games) names << game->Name.Value;
  names.sort(Qt::CaseInsensitive);
  return names;
}

int TGameTypeListEditor::New() {
  auto type = std::make_unique<TGameType>();
  type->Name.Working = QStringLiteral("[New") + QString::number(++newCounter_) + u']';
  type->TabVisible = true;
  type->EditState = esNewOrDeleted;
  listed_.push_back(type.get());
  fresh_.push_back(std::move(type));
  return Count() - 1;
}

void TGameTypeListEditor::Delete(int index) {
  TGameType* type = At(index);
  if (!type) return;
  type->EditState = esNewOrDeleted;
  listed_.erase(listed_.begin() + index);
}

std::optional<TEditProblem> TGameTypeListEditor::Update(int index, const QString& name,
                                                        const QString& title, const QString& team,
                                                        const QString& game) {
  TGameType* type = At(index);
  if (!type) return std::nullopt;
  if (name.isEmpty()) return TEditProblem{0, QStringLiteral("The 'Game Type' cannot be blank.")};
  if (title.isEmpty()) return TEditProblem{1, QStringLiteral("The 'Tab Title' cannot be blank.")};
  if (game.isEmpty())
    return TEditProblem{3, QStringLiteral("The 'Game Association' cannot be blank.")};
  if (OtherHasName(listed_, type, name)) return TEditProblem{0, Duplicate(name), true};
  const bool renamed = !Same(name, type->Name.Working);
  if (renamed) {
    if (const QString problem = IniNameProblem(name, QStringLiteral("Game Type"));
        !problem.isEmpty())
      return TEditProblem{0, problem};
    // The built-in types are not listed, so the duplicate check cannot see them.
    if (IsBuiltInGameType(name))
      return TEditProblem{0, QStringLiteral("The game type ") + name +
                                 QStringLiteral(" is built in and cannot be added.")};
    if (GameTypeNameCollidesWithSection(tables_, name))
      return TEditProblem{0, QStringLiteral("The game type ") + name +
                                 QStringLiteral(" would keep its settings in a section that ") +
                                 QString::fromLatin1(kGameTypeFileName) +
                                 QStringLiteral(" uses for something else.")};
  }
  const bool teamGame = Same(team, QStringLiteral("True"));
  bool changed = false;
  if (renamed) type->Name.Working = name, changed = true;
  if (title != type->Description.Working) type->Description.Working = title, changed = true;
  if (teamGame != type->TeamGame.Working) type->TeamGame.Working = teamGame, changed = true;
  if (game != type->Game.Working) type->Game.Working = game, changed = true;
  if (changed) MarkUpdated(*type);
  return std::nullopt;
}

TGameTypeCommit TGameTypeListEditor::Accept() {
  TGameTypeCommit commit;
  auto& types = tables_.gameTypes;
  for (TGameType* type : listed_) {
    if (type->EditState != esNewAccepted) continue;
    const auto own = std::find_if(fresh_.begin(), fresh_.end(),
                                  [type](const auto& f) { return f.get() == type; });
    if (own == fresh_.end()) continue;
    // "Favorite" and "LAN" stay last, as they are after loading.
    auto at = std::find_if(types.begin(), types.end(), [](const auto& t) {
      return Same(t->Name.Value, QString::fromLatin1(kFavoriteType));
    });
    types.insert(at, std::move(*own));
  }
  fresh_.clear();
  for (std::size_t i = types.size(); i-- > 0;) {
    TGameType& type = *types[i];
    if (IsBuiltIn(type)) continue;
    if (type.EditState == esNewOrDeleted) {
      commit.deleted << type.Name.Value;
      types.erase(types.begin() + qsizetype(i));
      continue;
    }
    if (type.EditState == esNewAccepted || type.EditState == esChanged) {
      TGameTypeChange change;
      change.type = &type;
      change.isNew = type.EditState == esNewAccepted;
      change.oldName = change.isNew ? type.Name.Working : type.Name.Value;
      change.renamed = !change.isNew && !Same(type.Name.Value, type.Name.Working);
      change.titleChanged = change.isNew || type.Description.Value != type.Description.Working;
      change.teamChanged = change.isNew || type.TeamGame.Value != type.TeamGame.Working;
      type.Commit();
      commit.changed.push_back(change);
    }
    type.EditState = esUnchanged;
  }
  listed_.clear();
  return commit;
}

void TGameTypeListEditor::Cancel() {
  for (const auto& type : tables_.gameTypes) {
    if (type->EditState == esChanged || type->EditState == esNewOrDeleted) type->Revert();
    type->EditState = esUnchanged;
  }
  fresh_.clear();
  listed_.clear();
}

// ---- Paths

namespace {
constexpr TGamePathFieldInfo kPathFields[] = {
    {TGamePathField::Exe, "gameExePath", "Game Exe", "Path and Game Exe",
     "The exe is typically found in the System folder within your game's directory."},
    {TGamePathField::Favorites, "gameFavoritesPath", "Game ini", "Path and Game ini",
     "The file that contains your favorite servers typically has the same name as the "
     "executable, except it has 'ini' as an extension, and it can be found in the System "
     "folder"},
    {TGamePathField::User, "gameUserPath", "User ini", "Path and User ini",
     "The user ini is typically found in the System folder within your game's directory. The "
     "last part of the file name will be 'user.ini', and it may have text at the beginning of "
     "the name relating to your mod, for example 'ThieveryUser.ini'."},
};
}  // namespace

const TGamePathFieldInfo* GamePathFieldInfo(const QString& key) {
  for (const TGamePathFieldInfo& info : kPathFields)
    if (Same(key, QString::fromLatin1(info.key))) return &info;
  return nullptr;
}

const TGamePathFieldInfo& GamePathFieldInfo(TGamePathField field) {
  return kPathFields[int(field)];
}

QString GamePathTitle(const TGamePathFieldInfo& info, int mode, const QString& caption) {
  const QString word = QString::fromLatin1(info.word);
  if (mode == 0) return QStringLiteral("Set Path and  ") + word;
  if (mode == 1) return QStringLiteral("Where can I find the ") + word + u'?';
  return caption;
}

QString DirectoryPart(const QString& path) {
  qsizetype at = path.lastIndexOf(u'/');
  if (at < 0) at = path.lastIndexOf(u'\\');
  return at < 0 ? QString() : path.left(at + 1);
}

std::optional<QString> CheckGamePath(const QString& path, const QString& caption) {
  if (path.isEmpty()) return std::nullopt;
  if (!QFileInfo(path).isFile())
    return QStringLiteral("Either the path or the file name entered in the '") + caption +
           QStringLiteral("' field is incorrect.");
  const QString directory = DirectoryPart(path);
  if (!directory.isEmpty() && !QFileInfo(directory).isDir())
    return QStringLiteral("The path entered in the '") + caption +
           QStringLiteral("' field does not exist.");
  return std::nullopt;
}

TGamePathEditor::TGamePathEditor(TGameTables& tables, TGamePathField field)
    : tables_(tables), field_(field) {}

TEditable<QString>& TGamePathEditor::Field(TGameInfo& info) const {
  switch (field_) {
    case TGamePathField::Exe:
      return info.ExePath;
    case TGamePathField::Favorites:
      return info.FavoritesPath;
    case TGamePathField::User:
      break;
  }
  return info.UserPath;
}

QString TGamePathEditor::PathOf(int gameIndex) const {
  if (gameIndex < 0 || gameIndex >= int(tables_.paths.size())) return {};
  return Field(*tables_.paths[gameIndex]).Working;
}

void TGamePathEditor::Store(int gameIndex, const QString& path) {
  if (gameIndex < 0 || gameIndex >= int(tables_.paths.size())) return;
  TGameInfo& info = *tables_.paths[gameIndex];
  Field(info).Working = path;
  info.EditState = esChanged;
}

TIniGuess TGamePathEditor::FillIniPaths(int gameIndex, const QString& exePath,
                                        const QString& home) {
  if (gameIndex < 0 || gameIndex >= int(tables_.paths.size())) return {};
  TGameInfo& info = *tables_.paths[gameIndex];
  const TIniGuess guess = GuessIniPaths(exePath, home);
  TIniGuess filled;
  for (auto [path, guessed, done] :
       {std::tuple{&info.FavoritesPath, guess.favoritesPath, &filled.favoritesPath},
        std::tuple{&info.UserPath, guess.userPath, &filled.userPath}}) {
    if (!path->Working.isEmpty() || guessed.isEmpty()) continue;
    path->Working = guessed;
    *done = guessed;
    info.EditState = esChanged;
  }
  return filled;
}

QStringList TGamePathEditor::Accept() {
  QStringList moved;
  for (std::size_t i = 0; i < tables_.paths.size(); ++i) {
    TGameInfo& info = *tables_.paths[i];
    info.FavoritesMoved = false;
    if (info.EditState != esChanged) continue;
    info.FavoritesMoved = !info.FavoritesPath.Working.isEmpty() &&
                          !Same(info.FavoritesPath.Working, info.FavoritesPath.Value);
    info.Commit();
    info.EditState = esUnchanged;
    if (info.FavoritesMoved && i < tables_.games.size()) moved << tables_.games[i]->Name.Value;
  }
  return moved;
}

void TGamePathEditor::Cancel() {
  for (const auto& info : tables_.paths) {
    info->Revert();
    info->FavoritesMoved = false;
    info->EditState = esUnchanged;
  }
}

QString PathDialogGame(const TGameTables& tables, TGamePathField field, const QString& lastGame) {
  if (tables.FindGame(lastGame)) return tables.FindGame(lastGame)->Name.Value;
  for (std::size_t i = 0; i < tables.games.size() && i < tables.paths.size(); ++i) {
    const TGameInfo& info = *tables.paths[i];
    const QString& path = field == TGamePathField::Exe         ? info.ExePath.Value
                          : field == TGamePathField::Favorites ? info.FavoritesPath.Value
                                                               : info.UserPath.Value;
    if (path.isEmpty()) return tables.games[i]->Name.Value;
  }
  return tables.games.empty() ? QString() : tables.games.front()->Name.Value;
}

// ---- Tabs and port

std::vector<TGameType*> TabChoices(const TGameTables& tables) {
  std::vector<TGameType*> choices;
  for (const auto& type : tables.gameTypes)
    if (!Same(type->Name.Value, QString::fromLatin1(kFavoriteType))) choices.push_back(type.get());
  return choices;
}

TTabChanges ApplyVisibleTabs(TGameTables& tables, const QStringList& ticked) {
  TTabChanges changes;
  for (TGameType* type : TabChoices(tables)) {
    const bool on = ticked.contains(type->Name.Value, Qt::CaseInsensitive);
    if (on == type->TabVisible) continue;
    (on ? changes.shown : changes.hidden) << type->Name.Value;
    type->TabVisible = on;
  }
  return changes;
}

bool AllDigits(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

std::optional<int> ParseLocalPort(const QString& text) {
  if (text.isEmpty() || !AllDigits(text) || text.size() > 5) return std::nullopt;
  const int port = text.toInt();
  if (port > 65535) return std::nullopt;
  return port;
}

}  // namespace zorvane
