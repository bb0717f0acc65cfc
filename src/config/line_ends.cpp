// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/line_ends.h"

namespace zorvane {

std::vector<TSplitLine> SplitLines(const QString& text, TLineEnd& firstEnd) {
  std::vector<TSplitLine> lines;
  firstEnd = TLineEnd::Lf;
  bool sawEnd = false;
  qsizetype from = 0;
  while (from < text.size()) {
    qsizetype end = from;
    while (end < text.size() && text[end] != u'\n' && text[end] != u'\r') ++end;
    TSplitLine line{text.mid(from, end - from), TLineEnd::None};
    if (end < text.size()) {
      if (text[end] == u'\n')
        line.end = TLineEnd::Lf;
      else if (end + 1 < text.size() && text[end + 1] == u'\n')
        line.end = TLineEnd::CrLf;
      else
        line.end = TLineEnd::Cr;
      if (!sawEnd) firstEnd = line.end;
      sawEnd = true;
    }
    from = end + (line.end == TLineEnd::CrLf ? 2 : 1);
    lines.push_back(std::move(line));
  }
  return lines;
}

QLatin1StringView LineEndText(TLineEnd end) {
  switch (end) {
    case TLineEnd::None:
      return QLatin1StringView();
    case TLineEnd::Lf:
      return QLatin1StringView("\n");
    case TLineEnd::CrLf:
      return QLatin1StringView("\r\n");
    case TLineEnd::Cr:
      return QLatin1StringView("\r");
  }
  return QLatin1StringView();
}

}  // namespace zorvane
