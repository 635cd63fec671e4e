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

    // Before Start: one more variable for the game's environment.
    void SetEnvironmentValue(const QString& name, const QString& value);
    bool Start(const QStringList& arguments = {});
    // True once the game has started up and turned SIGTERM, SIGINT and SIGHUP
    // into a clean close: only from then on does such a signal lose nothing.
    bool WaitUntilReady(int timeoutMs);
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    void Signal(int signalNumber);
    bool WaitForExit(int timeoutMs);
    // Ended by itself with exit code 0 (not by a signal).
    bool ExitedCleanly() const;
    QString ExitDescription() const;
    QByteArray StandardOutput();
    qint64 Pid() const { return process_.processId(); }

private:
    const GameSandbox& sandbox_;
    QProcess process_;
};

inline constexpr int kStartUpTimeoutMs = 10000;
inline constexpr int kShutdownTimeoutMs = 10000;
