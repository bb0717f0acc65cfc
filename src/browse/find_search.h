// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Find Player and Find Server without their dialog: a search text and where in the stash the
// next find continues. Each "find next" shows the next hit on the tab its server lives on,
// skipping hits that no tab can show, until nothing is left ("not found"), which ends the
// search; the next "find next" then asks for a new text.
//
// The continuation is a stash position, kept as it is when the stash changes in between.

#include <QString>
#include <functional>

namespace zorvane {

class TMessageSink;
class TServer;
class TServerStash;
struct TGameTables;

enum class TFindKind { Player, Server };

// One hit, for the tab's view to select.
struct TFindHit {
  QString tab;     // the game type of the view ("Favorite", a game type, "Other")
  QString key;     // the server's stash key
  QString player;  // player search: the name matched (the search text when exact)
};

enum class TFindOutcome {
  OpenDialog,  // no search in progress: open the find dialog
  NotFound,    // reported; the search is over
  Shown,       // a view selected the hit: make its tab the active page
};

struct TFindResult {
  TFindOutcome outcome = TFindOutcome::OpenDialog;
  TFindHit hit;  // when Shown
};

// The tab a hit is shown on: "Favorite" for a favourite; else its game type when the table has
// it with a visible tab; else "Other" when that tab is shown; else none (empty).
QString FindTabOf(const TServer& server, const TGameTables& tables, bool otherTabShown);

class TFindSearch {
 public:
  // The tab of a hit's server (empty: none, the hit is skipped).
  using TTabOf = std::function<QString(const TServer& server)>;
  // Asks the tab's view to select the hit; false when it cannot (the hit is skipped).
  using TShow = std::function<bool(const TFindHit& hit)>;

  explicit TFindSearch(TFindKind kind) : kind_(kind) {}

  // The dialog's OK: the text (empty: no search) and a fresh start from the first server.
  void Start(const QString& text);
  bool Active() const { return !text_.isEmpty(); }
  const QString& Text() const { return text_; }

  // Find Next: the next hit that a tab shows. exact: whole names, ignoring case; otherwise a
  // part of the name, ignoring case. Reports "Player " / "Server " + text + " not found."
  // (information) when nothing is left.
  TFindResult Next(const TServerStash& stash, bool exact, const TTabOf& tabOf,
                   const TShow& show, TMessageSink& messages);

 private:
  // The next hit from the continuation, moving it past the hit; false when none is left.
  bool NextHit(const TServerStash& stash, bool exact, int& index, QString& player);

  TFindKind kind_;
  QString text_;
  int serverIndex_ = -1;
  int slotIndex_ = -1;
};

}  // namespace zorvane
