// SPDX-License-Identifier: GPL-2.0-or-later
// Runs a fuzz harness over stored inputs: the files given and every file under the folders
// given (missing folders are skipped), in name order. A failing input ends the run with the harness's message after
// the input's name.

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdint>
#include <cstdio>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  zorvane::fuzz::EnsureApplication();
  QStringList files;
  for (int i = 1; i < argc; ++i) {
    const QString path = QString::fromLocal8Bit(argv[i]);
    if (QFileInfo(path).isFile()) {
      files << path;
      continue;
    }
    QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
  }
  files.sort();
  if (files.isEmpty()) {
    std::fprintf(stderr, "no inputs found\n");
    return 1;
  }
  for (const QString& path : files) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
      return 1;
    }
    const QByteArray bytes = file.readAll();
    std::fprintf(stderr, "%s\n", qPrintable(path));
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           std::size_t(bytes.size()));
  }
  std::printf("%lld inputs replayed\n", static_cast<long long>(files.size()));
  return 0;
}
