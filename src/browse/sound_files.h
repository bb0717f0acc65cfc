// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Sounds by name: a name is a file of the program's sound folders (the start directory first,
// then the installed data folders), or "[no sound]". Playing goes through TSoundPlayer, so
// the decisions can be checked without a sound device.

#include <QString>
#include <QStringList>
#include <functional>

namespace zorvane {

inline constexpr const char* kNoSound = "[no sound]";

// Plays one wave file without waiting for it to end. A file that cannot be played is the
// player's to report.
class TSoundPlayer {
 public:
  virtual ~TSoundPlayer() = default;
  virtual void PlayFile(const QString& path) = 0;
};

// The folders a sound name is looked up in, in order: the start directory, then each data
// folder (empty entries and repeats dropped).
QStringList SoundFolders(const QString& startDirectory, const QStringList& dataFolders);

// The data folders of an installed or built program whose binary lives in binaryFolder:
// the binary's own folder (the build tree copies the sounds there) and ../share/zorvane.
QStringList InstalledDataFolders(const QString& binaryFolder);

// The first existing file named name in folders; empty when there is none. Only a plain file
// name is looked up: a name that climbs out of its folder ("../x.wav") is never played.
QString ResolveSoundFile(const QString& name, const QStringList& folders);

// The sound dialog's choices: "[no sound]", then every file (not folder) of the folders whose
// extension is ".wav" in any letter case, each name once (the first folder's wins), in name
// order per folder.
QStringList SoundChoices(const QStringList& folders);

// Plays the named sound: nothing for an empty name or "[no sound]"; a name found in no folder
// gives one log line and no sound.
void PlaySoundFile(const QString& name, const QStringList& folders, TSoundPlayer& player,
                   const std::function<void(const QString&)>& log);

}  // namespace zorvane
