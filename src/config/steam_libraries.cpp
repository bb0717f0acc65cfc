// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/steam_libraries.h"

namespace zorvane {

namespace {

enum class TToken { End, Open, Close, Text };

// Reads the tokens of a key-values text one by one; every step checks the bounds.
class TVdfReader {
 public:
  explicit TVdfReader(const QByteArray& bytes) : bytes_(bytes) {}

  TToken Next(QByteArray& text) {
    SkipBlanksAndComments();
    if (at_ >= bytes_.size()) return TToken::End;
    const char c = bytes_[at_];
    if (c == '{' || c == '}') {
      ++at_;
      return c == '{' ? TToken::Open : TToken::Close;
    }
    text.clear();
    if (c == '"') return Quoted(text) ? TToken::Text : TToken::End;
    while (at_ < bytes_.size() && !IsBlank(bytes_[at_]) && bytes_[at_] != '"' &&
           bytes_[at_] != '{' && bytes_[at_] != '}')
      text += bytes_[at_++];
    return TToken::Text;
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  void SkipBlanksAndComments() {
    while (at_ < bytes_.size()) {
      if (IsBlank(bytes_[at_])) {
        ++at_;
      } else if (bytes_[at_] == '/' && at_ + 1 < bytes_.size() && bytes_[at_ + 1] == '/') {
        while (at_ < bytes_.size() && bytes_[at_] != '\n') ++at_;
      } else {
        return;
      }
    }
  }

  // A quoted text with Valve's escapes; false when the file ends inside it.
  bool Quoted(QByteArray& text) {
    ++at_;  // the opening quote
    while (at_ < bytes_.size()) {
      const char c = bytes_[at_++];
      if (c == '"') return true;
      if (c != '\\' || at_ >= bytes_.size()) {
        text += c;
        continue;
      }
      const char e = bytes_[at_++];
      text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
    }
    return false;
  }

  const QByteArray& bytes_;
  qsizetype at_ = 0;
};

bool AllDigits(const QByteArray& text) {
  if (text.isEmpty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

QStringList SteamLibraryPaths(const QByteArray& vdf) {
  QStringList paths;
  const auto add = [&](const QByteArray& value) {
    const QString path = QString::fromUtf8(value);
    if (path.startsWith(u'/') && !paths.contains(path)) paths << path;
  };
  TVdfReader reader(vdf);
  // Only the first two levels matter; deeper blocks are counted, not kept.
  int depth = 0;
  QByteArray library;  // the key of the open second-level block
  QByteArray key, text;
  bool haveKey = false;
  while (paths.size() < kMaxSteamLibraries) {
    const TToken token = reader.Next(text);
    if (token == TToken::End) break;
    if (token == TToken::Open) {
      if (++depth == 2) library = haveKey ? key : QByteArray();
      haveKey = false;
    } else if (token == TToken::Close) {
      if (depth > 0) --depth;
      haveKey = false;
    } else if (!haveKey) {
      key = text;
      haveKey = true;
    } else {
      haveKey = false;
      // New: "libraryfolders" { "N" { "path" "..." } }; old: "LibraryFolders" { "N" "..." }.
      const bool newEntry =
          depth == 2 && AllDigits(library) && key.compare("path", Qt::CaseInsensitive) == 0;
      if (newEntry || (depth == 1 && AllDigits(key))) add(text);
    }
  }
  return paths;
}

}  // namespace zorvane
