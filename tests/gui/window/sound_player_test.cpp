// SPDX-License-Identifier: GPL-2.0-or-later
// The default sounds and the player that plays them for real.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>

#include "gui/window/sound_effect_player.h"

namespace zorvane {
namespace {

const QString kSounds = QStringLiteral(ZORVANE_SOUND_DIR);
const char* const kDefaultSounds[] = {"server.wav", "ready.wav", "player.wav"};

// The shipped files are plain PCM waves, short enough not to hold anyone up.
TEST(DefaultSoundsTest, AreShortPcmWaves) {
  for (const char* name : kDefaultSounds) {
    QFile file(kSounds + u'/' + QLatin1String(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    const QByteArray wav = file.readAll();
    ASSERT_GE(wav.size(), 44) << name;
    EXPECT_EQ(wav.left(4), "RIFF");
    EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
    const auto u16 = [&wav](int at) { return qFromLittleEndian<quint16>(wav.constData() + at); };
    const auto u32 = [&wav](int at) { return qFromLittleEndian<quint32>(wav.constData() + at); };
    EXPECT_EQ(u16(20), 1) << name;  // PCM
    const quint32 bytesPerSecond = u32(28);
    ASSERT_EQ(wav.mid(36, 4), "data") << name;
    const double seconds = double(u32(40)) / bytesPerSecond;
    EXPECT_GT(seconds, 0.2) << name;
    EXPECT_LT(seconds, 1.0) << name;
  }
}

TEST(SoundPlayerTest, AnUnplayableFileIsLoggedOnce) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile bad(dir.filePath("bad.wav"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("not a wave file at all");
  bad.close();
  // A pipe nobody writes to: opening it to read would wait for ever.
  const QString pipe = dir.filePath("pipe.wav");
  ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  for (const QString& path : {bad.fileName(), dir.filePath("missing.wav"), pipe}) {
    QStringList log;
    TSoundEffectPlayer player([&log](const QString& line) { log << line; });
    QSignalSpy played(&player, &TSoundEffectPlayer::OnPlayed);
    player.PlayFile(path);
    ASSERT_TRUE(played.wait(5000)) << path.toStdString();
    EXPECT_FALSE(played.at(0).at(1).toBool());
    EXPECT_EQ(log, QStringList{"Could not play sound file: " + path});
  }
}

TEST(SoundPlayerTest, EachDefaultSoundPlaysToItsEnd) {
  if (QMediaDevices::audioOutputs().isEmpty()) GTEST_SKIP() << "no audio output device";
  QStringList log;
  TSoundEffectPlayer player([&log](const QString& line) { log << line; });
  for (const char* name : kDefaultSounds) {
    QSignalSpy played(&player, &TSoundEffectPlayer::OnPlayed);
    player.PlayFile(kSounds + u'/' + QLatin1String(name));
    ASSERT_TRUE(played.wait(5000)) << name;
    EXPECT_TRUE(played.at(0).at(1).toBool()) << name;
  }
  EXPECT_TRUE(log.isEmpty());
}

}  // namespace
}  // namespace zorvane
