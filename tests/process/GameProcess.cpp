#include "GameProcess.h"

#include <QDeadlineTimer>
#include <QFile>

#include <algorithm>
#include <csignal>
#include <initializer_list>

#include <sys/prctl.h>

#include "GameSandbox.h"

namespace {

constexpr int kPollMs = 20;
constexpr int kKillWaitMs = 5000;
// The line the game writes when a music file could not be written.
constexpr char kMusicNotWritten[] = "music files could not be written";

// The signals the game catches, from the "SigCgt" mask of /proc/<pid>/status.
quint64 CaughtSignals(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) return line.mid(7).trimmed().toULongLong(nullptr, 16);
    }
    return 0;
}

quint64 SignalBit(int signalNumber) {
    return quint64{1} << (signalNumber - 1);
}

}  // namespace

GameProcess::GameProcess(const GameSandbox& sandbox, const QString& platform) : sandbox_(sandbox) {
    process_.setProcessEnvironment(sandbox.Environment(platform));
    process_.setWorkingDirectory(sandbox.Path(QStringLiteral("home")));
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test program that is killed takes its game with it instead of
    // leaving it running on its display.
    process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

GameProcess::~GameProcess() {
    if (Running()) {
        process_.kill();
        process_.waitForFinished(kKillWaitMs);
    }
}

void GameProcess::SetEnvironmentValue(const QString& name, const QString& value) {
    QProcessEnvironment env = process_.processEnvironment();
    env.insert(name, value);
    process_.setProcessEnvironment(env);
}

bool GameProcess::Start(const QStringList& arguments) {
    process_.start(sandbox_.Launcher(), sandbox_.LauncherArguments() + arguments);
    return process_.waitForStarted(kStartUpTimeoutMs);
}

void GameProcess::CaptureStandardError() {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
}

bool GameProcess::WaitUntilReady(int timeoutMs, Music music) {
    quint64 wanted = 0;
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) wanted |= SignalBit(signalNumber);
    const QDeadlineTimer deadline(timeoutMs);
    while (Running() && !deadline.hasExpired()) {
        if ((CaughtSignals(Pid()) & wanted) == wanted && StartUpEnded(music)) return true;
        process_.waitForFinished(kPollMs);  // also notices an early end
    }
    return false;
}

// A music file appears only once it is whole (it is renamed into place), so
// all thirteen present means the extraction is over.
bool GameProcess::StartUpEnded(Music music) {
    switch (music) {
        case Music::InRuntimeFolder:
        case Music::InTemporaryFolder: {
            const QStringList files = music == Music::InRuntimeFolder
                                          ? sandbox_.MusicFilePaths()
                                          : sandbox_.MusicFilePaths(sandbox_.TemporaryScratchDir());
            return std::all_of(files.begin(), files.end(),
                               [](const QString& file) { return QFile::exists(file); });
        }
        case Music::NotWritten:
            return StandardError().contains(kMusicNotWritten);
    }
    return false;
}

void GameProcess::Signal(int signalNumber) {
    if (Running()) ::kill(static_cast<pid_t>(Pid()), signalNumber);
}

bool GameProcess::WaitForExit(int timeoutMs) {
    return !Running() || process_.waitForFinished(timeoutMs);
}

bool GameProcess::ExitedCleanly() const {
    return !Running() && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

QString GameProcess::ExitDescription() const {
    if (Running()) return QStringLiteral("still running");
    return process_.exitStatus() == QProcess::NormalExit
               ? QStringLiteral("exit code %1").arg(process_.exitCode())
               : QStringLiteral("killed by a signal (%1)").arg(process_.exitCode());
}

QByteArray GameProcess::StandardOutput() {
    return process_.readAllStandardOutput();
}

QByteArray GameProcess::StandardError() {
    standardError_ += process_.readAllStandardError();
    return standardError_;
}
