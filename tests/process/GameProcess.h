#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

class GameSandbox;

// One run of the real game in a sandbox. The game is killed if a test leaves
// it running.
class GameProcess {
public:
    explicit GameProcess(const GameSandbox& sandbox,
                         const QString& platform = QStringLiteral("offscreen"));
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // Where the game's start-up ends, as seen from outside: its music files
    // are written last, into the runtime folder or into the temporary folder
    // that stands in for an unusable one; when they cannot be written, the
    // game says so on stderr (which needs CaptureStandardError()).
    enum class Music { InRuntimeFolder, InTemporaryFolder, NotWritten };

    // Before Start: one more variable for the game's environment.
    void SetEnvironmentValue(const QString& name, const QString& value);
    // Before Start: keep what the game writes to stderr for StandardError()
    // instead of passing it on.
    void CaptureStandardError();
    bool Start(const QStringList& arguments = {});
    // True once the game has started up and turned SIGTERM, SIGINT and SIGHUP
    // into a clean close: only from then on does such a signal lose nothing.
    // The signals are caught before start-up ends, so this also waits for the
    // music files.
    bool WaitUntilReady(int timeoutMs, Music music = Music::InRuntimeFolder);
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    void Signal(int signalNumber);
    bool WaitForExit(int timeoutMs);
    // Ended by itself with exit code 0 (not by a signal).
    bool ExitedCleanly() const;
    QString ExitDescription() const;
    QByteArray StandardOutput();
    // All the game has written to stderr so far (with CaptureStandardError()).
    QByteArray StandardError();
    qint64 Pid() const { return process_.processId(); }

private:
    bool StartUpEnded(Music music);

    const GameSandbox& sandbox_;
    QProcess process_;
    QByteArray standardError_;
};

// Bounds that only a hung game reaches: a sanitizer build beside two other
// builds on two cores stays far below them.
inline constexpr int kStartUpTimeoutMs = 30000;
inline constexpr int kShutdownTimeoutMs = 30000;
