// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/server_cache_stream.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include "query/server_cache.h"
#include "query/server_stash.h"
#include "support/file_size_limit.h"
#include "support/files.h"
#include "support/listed_servers.h"

namespace zorvane {
namespace {

class ServerCacheStreamTest : public ::testing::Test {
 protected:
  QString Path() const { return dir.filePath(kServerCacheFileName); }
  // What the folder holds: a stream leaves no temporary file behind.
  QStringList Entries() const {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }
  // Opens a file and appends the stash's servers in parts of partSize.
  static void Stream(TServerCacheStream& stream, const QString& path, const TServerStash& stash,
                     int partSize, TServerCachePartBuilder& parts) {
    stream.Open(path);
    for (int i = 0; i < stash.Count(); ++i) {
      parts.Add(*stash.Server(i));
      if ((i + 1) % partSize == 0) stream.Append(parts.TakePart());
    }
    stream.Append(parts.TakePart());  // the rest, maybe nothing
  }
  static QString StreamWhole(TServerCacheStream& stream, const QString& path,
                             const TServerStash& stash, int partSize) {
    TServerCachePartBuilder parts;
    Stream(stream, path, stash, partSize, parts);
    return stream.Finish(parts.Count());
  }

  QTemporaryDir dir;
  const QStringList onlyTheFile{QString::fromLatin1(kServerCacheFileName)};
};

TEST_F(ServerCacheStreamTest, TheStreamedFileIsTheWholeFilesBytes) {
  const struct {
    int servers, partSize;
  } cases[] = {{0, 1}, {3, 1}, {3, 100}, {250, 7}, {250, 1000}};  // 250: a body over 64 KiB
  TServerCacheStream stream;  // one for every file, as the window has
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.servers << " servers in parts of " << c.partSize);
    TServerStash stash;
    testing::FillListedServers(stash, c.servers);
    ASSERT_EQ(StreamWhole(stream, Path(), stash, c.partSize), "");
    EXPECT_FALSE(stream.IsOpen());
    const QByteArray written = testing::Read(Path());
    EXPECT_EQ(written, WriteServerCache(stash));
    const TServerCacheRead read = ReadServerCache(written);
    EXPECT_EQ(read.problem, "");
    EXPECT_EQ(int(read.servers.size()), c.servers);
    EXPECT_EQ(Entries(), onlyTheFile);
  }
}

TEST_F(ServerCacheStreamTest, AnAbandonedStreamLeavesTheOldFileWhole) {
  TServerStash old, next;
  testing::FillListedServers(old, 2);
  testing::FillListedServers(next, 40);
  ASSERT_EQ(SaveServerCache(Path(), old), "");
  const QByteArray before = testing::Read(Path());

  const auto halfStreamed = [&](TServerCacheStream& stream) {
    TServerCachePartBuilder parts;
    Stream(stream, Path(), next, 10, parts);
  };
  {
    TServerCacheStream stream;
    halfStreamed(stream);
    stream.Cancel();
    EXPECT_EQ(testing::Read(Path()), before);
    halfStreamed(stream);  // dropped with the stream
  }
  EXPECT_EQ(testing::Read(Path()), before);
  EXPECT_EQ(Entries(), onlyTheFile);

  // Opened again after a part: only the second file's parts count.
  TServerCacheStream stream;
  halfStreamed(stream);
  ASSERT_EQ(StreamWhole(stream, Path(), old, 1), "");
  EXPECT_EQ(testing::Read(Path()), before);
  EXPECT_EQ(Entries(), onlyTheFile);
}

TEST_F(ServerCacheStreamTest, AStreamThatCannotOpenOrWriteSaysWhyAndKeepsTheOldFile) {
  TServerStash old, next;
  testing::FillListedServers(old, 2);
  testing::FillListedServers(next, 250);
  TServerCacheStream stream;

  // A folder in its place: nothing can be opened.
  ASSERT_TRUE(QDir(dir.path()).mkdir(kServerCacheFileName));
  EXPECT_NE(StreamWhole(stream, Path(), next, 50), "");
  EXPECT_TRUE(QFileInfo(Path()).isDir());
  ASSERT_TRUE(QDir(dir.path()).rmdir(kServerCacheFileName));

  // A disk that fills up: the file may not grow past 64 KiB.
  ASSERT_EQ(SaveServerCache(Path(), old), "");
  const QByteArray before = testing::Read(Path());
  QString error;
  {
    testing::FileSizeLimit limit(64 << 10);
    error = StreamWhole(stream, Path(), next, 50);
  }
  EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
  EXPECT_EQ(testing::Read(Path()), before);
  EXPECT_EQ(Entries(), onlyTheFile);

  // The failure is the last file's: the next one is written.
  ASSERT_EQ(StreamWhole(stream, Path(), next, 50), "");
  EXPECT_EQ(testing::Read(Path()), WriteServerCache(next));
}

}  // namespace
}  // namespace zorvane
