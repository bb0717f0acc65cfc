// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/network_text.h"

#include <algorithm>

namespace zorvane {

namespace {

template <typename Char>
bool IsControl(Char c) {
  const auto u = unsigned(c);
  return u < 0x20 || u == 0x7F;
}

// Whether a whole colour code starts at i: the mark and three non-zero characters.
template <typename Text>
bool ColourCodeAt(const Text& text, qsizetype i) {
  if (unsigned(text[i]) != kColourCodeMark || text.size() - i < kColourCodeLength) return false;
  for (qsizetype k = 1; k < kColourCodeLength; ++k)
    if (text[i + k] == 0) return false;
  return true;
}

template <typename Out, typename Text, typename Char>
Out Sanitize(const Text& text, Char blank) {
  Out out(text.data(), text.size());
  for (qsizetype i = 0; i < text.size();) {
    if (ColourCodeAt(text, i)) {
      i += kColourCodeLength;
      continue;
    }
    if (IsControl(text[i])) out[i] = blank;
    ++i;
  }
  return out;
}

template <typename Out, typename Text, typename Char>
Out Strip(const Text& text, Char blank) {
  Out out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size();) {
    if (ColourCodeAt(text, i)) {
      i += kColourCodeLength;
      continue;
    }
    out.append(IsControl(text[i]) ? blank : Char(text[i]));
    ++i;
  }
  return out;
}

// Byte and QChar access with one shape: unsigned values, zero as zero.
struct TBytes {
  QByteArrayView v;
  qsizetype size() const { return v.size(); }
  const char* data() const { return v.data(); }
  uchar operator[](qsizetype i) const { return uchar(v[i]); }
};
struct TChars {
  QStringView v;
  qsizetype size() const { return v.size(); }
  const QChar* data() const { return v.data(); }
  char16_t operator[](qsizetype i) const { return v[i].unicode(); }
};

}  // namespace

QString SanitizeNetworkText(QStringView text) {
  return Sanitize<QString>(TChars{text}, QChar(u' '));
}

QByteArray SanitizeNetworkText(QByteArrayView latin1) {
  return Sanitize<QByteArray>(TBytes{latin1}, ' ');
}

bool NeedsSanitizing(QByteArrayView latin1) {
  // Nearly every value is plain: one quick pass finds no control character at all.
  if (std::none_of(latin1.begin(), latin1.end(), [](char c) { return IsControl(uchar(c)); }))
    return false;
  const TBytes text{latin1};
  for (qsizetype i = 0; i < text.size();) {
    if (ColourCodeAt(text, i)) {
      i += kColourCodeLength;
      continue;
    }
    if (IsControl(text[i])) return true;
    ++i;
  }
  return false;
}

QString StripColourCodes(QStringView text) {
  return Strip<QString>(TChars{text}, QChar(u' '));
}

QByteArray StripColourCodes(QByteArrayView latin1) {
  return Strip<QByteArray>(TBytes{latin1}, ' ');
}

}  // namespace zorvane
