// Plays whole games at full speed against the real main window, effects and
// music (on whatever SDL audio driver the environment names; the disk driver
// by default), answers the game-over windows, and prints the resident memory
// every few pieces.
//
//   soak_player [--pieces N] [--sample-every N] [--seed N]
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "BackupFile.h"
#include "GameAudio.h"
#include "GameSession.h"
#include "TForm3.h"

namespace kwadrill {
namespace {

constexpr int kPieceWidth = 3;
constexpr int kPauseEveryPieces = 25;  // a pause and resume switches the music piece

struct Options {
    int pieces = 600;
    int sampleEvery = 50;
    std::uint32_t seed = 1;
};

struct Memory {
    long rssKb = 0;
    long peakKb = 0;
};

Memory ReadMemory() {
    Memory memory;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return memory;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2) continue;
        if (fields[0] == "VmRSS:") memory.rssKb = fields[1].toLong();
        if (fields[0] == "VmHWM:") memory.peakKb = fields[1].toLong();
    }
    return memory;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

SessionSetup NewPlayersSetup(std::uint32_t seed) {
    SessionSetup setup;
    SetBackupDefaults(setup.record);
    setup.seed = seed;
    setup.gameSeeds = CountingSeeds(seed);
    return setup;
}

// The game session on real effects and music, with the music files in a
// private folder and the game's own timers stopped: the player calls the
// tick handlers itself, as fast as they return.
class SoakGame {
public:
    explicit SoakGame(const Options& options)
        : options_(options),
          plan_(options.seed + 1),
          audio_(
              AudioOutput::Opening::Now, scratch_.path() + QLatin1Char('/'),
              [this](int n) { return session_->random()(n); },
              [this](const QString& text) {
                  ++musicErrors_;
                  std::fprintf(stderr, "music error: %s\n", qPrintable(text));
              }) {
        session_ = std::make_unique<GameSession>(audio_.effects(), audio_.music(),
                                                 NewPlayersSetup(options.seed));
        controller_ = &session_->controller();
        session_->Arrange();
        session_->window().show();
        if (!audio_.music().ExtractMusicFiles()) std::fprintf(stderr, "music files not written\n");
    }

    ~SoakGame() {
        controller_->BeginShutdown();
        audio_.music().StopMusic();
        audio_.music().DeleteMusicFiles();
    }

    bool AudioSilent() const { return audio_.Silent(); }

    // One round of the player: answer a window, start a game, or press a key
    // and run the three ticks once. False when the soak is over.
    bool Step() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            Answer(modal);
            return true;
        }
        if (controller_->GameOverSequenceRunning()) return true;
        if (!session_->flags().gameRunning) {
            if (pieces_ >= options_.pieces) return false;
            ++games_;
            controller_->SpeedButton1Click();
            return true;
        }
        StopOwnTimers();
        Steer();
        controller_->Timer3Timer();
        controller_->Timer2Timer();
        MainTick();
        return true;
    }

    int Pieces() const { return pieces_; }
    int Games() const { return games_; }
    int MusicErrors() const { return musicErrors_; }

private:
    // The ticks re-enable themselves after every change of music piece.
    void StopOwnTimers() {
        controller_->timer1().SetEnabled(false);
        controller_->timer2().SetEnabled(false);
        controller_->timer3().SetEnabled(false);
    }

    void MainTick() {
        const FallingPiece before = controller_->engine().fallingPiece;
        controller_->Timer1Timer();
        const FallingPiece& after = controller_->engine().fallingPiece;
        const bool spawned =
            after != before &&
            std::ranges::all_of(after.blocks, [](const CellPosition& b) { return b.row == 1; });
        if (spawned) OnSpawn();
    }

    void OnSpawn() {
        ++pieces_;
        targetColumn_ = plan_(kColumns - kPieceWidth + 1) + 1;
        rotations_ = plan_(kPieceWidth);
        if (pieces_ % kPauseEveryPieces == 0) {
            Press(Qt::Key_P, QStringLiteral("p"));
            Press(Qt::Key_P, QStringLiteral("p"));
        }
        if (pieces_ % options_.sampleEvery == 0) PrintSample();
    }

    // One key per round while the piece falls freely: turn, shift, then drop.
    void Steer() {
        const Engine& engine = controller_->engine();
        if (session_->flags().collapsing || !engine.PieceCanMove()) return;
        const int column = engine.fallingPiece.blocks[0].column;
        if (rotations_ > 0) {
            --rotations_;
            Press(Qt::Key_Up);
        } else if (column > targetColumn_) {
            Press(Qt::Key_Left);
        } else if (column < targetColumn_) {
            Press(Qt::Key_Right);
        } else {
            Press(Qt::Key_Down);
        }
    }

    void Press(int key, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&session_->window(), &press);
    }

    void Answer(QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->accept();
        } else if (auto* nameEntry = dynamic_cast<TForm3*>(modal)) {
            if (auto* edit = nameEntry->findChild<QLineEdit*>())
                edit->setText(QStringLiteral("Soak"));
            nameEntry->accept();
        } else {
            modal->close();
        }
    }

    void PrintSample() const {
        const Memory memory = ReadMemory();
        std::printf("pieces %5d  games %3d  rss %7.1f MiB  peak %7.1f MiB  score %d\n", pieces_,
                    games_, memory.rssKb / 1024.0, memory.peakKb / 1024.0,
                    controller_->engine().score);
        std::fflush(stdout);
    }

    const Options& options_;
    QTemporaryDir scratch_;
    Random plan_;  // the player's own choices, apart from the game's generator
    GameAudio audio_;
    std::unique_ptr<GameSession> session_;
    GameController* controller_ = nullptr;  // the session's
    int pieces_ = 0;
    int games_ = 0;
    int targetColumn_ = 1;
    int rotations_ = 0;
    int musicErrors_ = 0;
};

Options ParseOptions(const QApplication& app) {
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption pieces(QStringLiteral("pieces"), QStringLiteral("Pieces to play."),
                                    QStringLiteral("n"), QStringLiteral("600"));
    const QCommandLineOption every(QStringLiteral("sample-every"),
                                   QStringLiteral("Print memory every n pieces."),
                                   QStringLiteral("n"), QStringLiteral("50"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Random seed."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    parser.addOptions({pieces, every, seed});
    parser.process(app);
    Options options;
    options.pieces = std::max(1, parser.value(pieces).toInt());
    options.sampleEvery = std::max(1, parser.value(every).toInt());
    options.seed = parser.value(seed).toUInt();
    return options;
}

}  // namespace
}  // namespace kwadrill

int main(int argc, char** argv) {
    using namespace kwadrill;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "disk");
    if (qEnvironmentVariableIsEmpty("SDL_DISKAUDIOFILE")) qputenv("SDL_DISKAUDIOFILE", "/dev/null");
    QApplication app(argc, argv);
    const Options options = ParseOptions(app);

    QElapsedTimer clock;
    clock.start();
    const double cpuStart = CpuSeconds();
    int exitCode = 0;
    {
        SoakGame game(options);
        const Memory start = ReadMemory();
        std::printf("audio driver %s%s, rss at start %.1f MiB\n",
                    qgetenv("SDL_AUDIODRIVER").constData(),
                    game.AudioSilent() ? " (silent fallback)" : "", start.rssKb / 1024.0);
        QTimer player;
        QObject::connect(&player, &QTimer::timeout, &app, [&] {
            if (!game.Step()) QApplication::quit();
        });
        player.start(0);
        QApplication::exec();
        const Memory end = ReadMemory();
        std::printf(
            "done: %d pieces, %d games, %.1f s wall, %.1f s CPU, rss start %.1f end %.1f "
            "peak %.1f MiB, music errors %d\n",
            game.Pieces(), game.Games(), clock.elapsed() / 1000.0, CpuSeconds() - cpuStart,
            start.rssKb / 1024.0, end.rssKb / 1024.0, end.peakKb / 1024.0, game.MusicErrors());
        exitCode = game.MusicErrors() == 0 ? 0 : 1;
    }
    return exitCode;
}
