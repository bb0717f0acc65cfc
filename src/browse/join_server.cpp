// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/join_server.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "config/game_edits.h"
#include "config/game_tables.h"
#include "query/server_stash.h"

namespace zorvane {

namespace {

// Each line break is "\r\n": Qt draws a lone carriage return as a blank.
const QString kHint =
    QStringLiteral("\r\nUse System/Game Exes to set up the paths to your game exes.");

}  // namespace

QString TJoinCommand::CommandLine() const {
  return (QStringList(program) + arguments).join(u' ');
}

bool TDetachedLauncher::Start(const TJoinCommand& command) {
  QProcess process;
  process.setProgram(command.program);
  process.setArguments(command.arguments);
  process.setWorkingDirectory(command.workingDirectory);
  process.setProcessEnvironment(command.environment);
  return process.startDetached();
}

bool IsWindowsExecutable(const QString& exePath) {
  return exePath.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive);
}

QString WinePrefixOf(const QString& filePath) {
  QDir dir = QFileInfo(filePath).absoluteDir();
  for (;;) {
    if (QFileInfo(dir.filePath(QStringLiteral("system.reg"))).isFile() &&
        QFileInfo(dir.filePath(QStringLiteral("drive_c"))).isDir())
      return dir.absolutePath();
    if (!dir.cdUp()) return {};
  }
}

QString FindOnPath(const QString& name, const QProcessEnvironment& environment) {
  const QStringList folders =
      environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts);
  // No folders would make the look-up search this process's own PATH.
  if (folders.isEmpty()) return {};
  return QStandardPaths::findExecutable(name, folders);
}

TJoinPlan PlanJoin(const QString& exePath, const QString& host, int queryPort,
                   const QProcessEnvironment& environment) {
  TJoinPlan plan;
  // Relative paths are taken from the current folder; the game starts elsewhere.
  const QString file = QDir::current().absoluteFilePath(exePath);
  const QFileInfo info(file);
  // The folder as the path names it, so an old "C:\..." path has a folder that is not here.
  const QString named = DirectoryPart(exePath);
  const QString folder = named.isEmpty() ? QDir::currentPath()
                                         : QDir::cleanPath(QDir::current().absoluteFilePath(named));
  if (!QFileInfo(folder).isDir()) {
    plan.failure = TJoinFailure::PathNotFound;
    return plan;
  }
  if (!info.exists()) {
    plan.failure = TJoinFailure::FileNotFound;
    return plan;
  }
  const QString address = host + u':' + QString::number(queryPort - 1);
  TJoinCommand& command = plan.command;
  command.workingDirectory = folder;
  command.environment = environment;
  if (IsWindowsExecutable(exePath)) {
    if (!info.isFile()) {
      plan.failure = TJoinFailure::BadExecutable;
      return plan;
    }
    command.program = FindOnPath(QStringLiteral("wine"), environment);
    if (command.program.isEmpty()) {
      plan.failure = TJoinFailure::WineMissing;
      return plan;
    }
    command.arguments = QStringList{file, address};
    const QString prefix = WinePrefixOf(file);
    if (!prefix.isEmpty()) command.environment.insert(QStringLiteral("WINEPREFIX"), prefix);
  } else {
    if (!info.isFile() || !info.isExecutable()) {
      plan.failure = TJoinFailure::BadExecutable;
      return plan;
    }
    command.program = file;
    command.arguments = QStringList{address};
  }
  return plan;
}

QString JoinFailureText(TJoinFailure failure, const QString& exePath) {
  const QString badExe =
      QStringLiteral("The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).");
  switch (failure) {
    case TJoinFailure::None:
      return {};
    case TJoinFailure::FileNotFound:
      return QStringLiteral("The specified file ") + exePath + QStringLiteral(" was not found.") +
             kHint;
    case TJoinFailure::PathNotFound:
      return QStringLiteral("The specified path ") + exePath + QStringLiteral(" is not valid.") +
             kHint;
    case TJoinFailure::BadExecutable:
      return badExe + kHint;
    case TJoinFailure::WineMissing:
      return badExe + kHint +
             QStringLiteral("\r\nWindows games run under Wine, and no \"wine\" was found on PATH.");
    case TJoinFailure::Unknown:
      break;
  }
  return QStringLiteral("Failed to start game, unknown error.") + kHint;
}

TJoinOutcome JoinGame(const QString& key, const TServerStash& stash, const TGameTables& tables,
                      const TAskExePath& askExePath, TGameLauncher& launcher,
                      const QProcessEnvironment& environment) {
  const TServer* server = stash.Find(key);
  if (!server) return {};
  const QString gameType = server->GameType();
  const TGameType* type = tables.FindGameType(gameType);
  if (!type)
    return {TJoinOutcome::Information,
            QStringLiteral("The game type of '") +
                (gameType.isEmpty() ? QStringLiteral("(blank)") : gameType) +
                QStringLiteral("' is currently not supported. See GamePluginHelp.doc for more "
                               "information.")};
  const QString gameName = type->Game.Value;
  if (!tables.FindGame(gameName))
    return {TJoinOutcome::Information,
            QStringLiteral("The game type of '") + gameType +
                QStringLiteral("' does not have a game associated with it. Use the menu "
                               "'System/Game Types' to set this up.")};
  const auto exePath = [&] {
    const TGameInfo* paths = tables.FindPaths(gameName);
    return paths ? paths->ExePath.Value : QString();
  };
  if (exePath().isEmpty() && askExePath) askExePath(gameName);
  const QString exe = exePath();
  if (exe.isEmpty())
    return {TJoinOutcome::Information, QStringLiteral("No exe specified, cannot start game.")};

  // A server added by name and not resolved yet is joined by its name.
  const QString host = server->IP().isEmpty() ? server->DNSName() : server->IP();
  TJoinPlan plan = PlanJoin(exe, host, server->Port, environment);
  if (plan.failure == TJoinFailure::None && !launcher.Start(plan.command))
    plan.failure = TJoinFailure::Unknown;
  if (plan.failure != TJoinFailure::None)
    return {TJoinOutcome::Error, JoinFailureText(plan.failure, exe)};
  return {TJoinOutcome::Started, plan.command.CommandLine()};
}

}  // namespace zorvane
