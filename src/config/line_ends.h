// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Lines as hand-edited files have them: each with its own end (LF, CR LF or a lone CR, or none
// for a last line without one), so a file written back keeps the ends it was read with.

#include <QLatin1StringView>
#include <QString>
#include <vector>

namespace zorvane {

enum class TLineEnd : quint8 { None, Lf, CrLf, Cr };

struct TSplitLine {
  QString text;
  TLineEnd end = TLineEnd::None;
};

// The lines of text and, in firstEnd, the end of the first line that has one (LF when none
// has): the end new lines take.
std::vector<TSplitLine> SplitLines(const QString& text, TLineEnd& firstEnd);

QLatin1StringView LineEndText(TLineEnd end);

}  // namespace zorvane
