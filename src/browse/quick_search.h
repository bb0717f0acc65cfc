// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The quick search of a server view: a server is kept when its name, its map or one of its
// players' names contains the search text, ignoring case. Names are read without their colour
// codes, so a code in the middle of a word does not hide it.

#include <QString>
#include <QStringView>

#include "query/server_record.h"

namespace zorvane {

// The typed text as the matcher wants it: without surrounding blanks, case-folded. Folded
// once per keystroke rather than once per server.
QString FoldSearchText(QStringView typed);

// Whether the server fits the folded text; an empty text fits every server. Texts without
// colour codes are searched where they are stored, without copies.
bool MatchesQuickSearch(const TServer& server, QStringView folded);

// Whether every server that fits `next` also fits `previous`, so the rows kept for `previous`
// can be narrowed instead of gathered again.
bool SearchNarrows(QStringView previous, QStringView next);

}  // namespace zorvane
