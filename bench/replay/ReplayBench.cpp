// Plays many games with the scripted player of the replay tests (random
// styles, random tick orders), writes each game's replay to a file, and
// checks every one twice: in this process with VerifyReplay, and with
// `kwadrill --verify-replay FILE` as a player would run it. Prints how many
// are consistent and the time per replay.
//
//   replay_bench [--games 1000] [--kwadrill PATH] [--keep FOLDER]
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <numeric>
#include <vector>

#include "ReplayCheck.h"
#include "ReplayFile.h"
#include "ScriptedPlayer.h"

namespace kwadrill {
namespace {

struct Options {
    int games = 1000;
    QString executable = QStringLiteral(KWADRILL_EXECUTABLE);
    QString keep;
};

struct Game {
    QString file;
    Replay replay;
    Board board;
};

double Seconds(const timespec& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double CpuNow() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return Seconds(now);
}

double ChildrenCpu() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double WallNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Mean, median and 99th percentile, in the unit given.
void PrintSpread(const char* what, std::vector<double> values, double unit, const char* name) {
    if (values.empty()) return;
    std::sort(values.begin(), values.end());
    const double mean =
        std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
    const auto at = [&](double share) {
        return values[std::min(values.size() - 1, static_cast<std::size_t>(
                                                      share * static_cast<double>(values.size())))];
    };
    std::printf("%-34s mean %8.3f  median %8.3f  p99 %8.3f  max %8.3f %s\n", what, mean * unit,
                at(0.5) * unit, at(0.99) * unit, values.back() * unit, name);
}

test::PlayStyle StyleOf(int game) {
    return {.aimsForLines = game % 3 != 0,
            .pausePercent = game % 4,
            .togglesSound = game % 2 == 1,
            .mainTickPercent = game % 5 == 0 ? 4 : 25};
}

int Run(const Options& options) {
    QTemporaryDir temporary;
    const QString folder = options.keep.isEmpty() ? temporary.path() : options.keep;
    QDir().mkpath(folder);

    std::vector<Game> games;
    std::vector<double> pieces;
    std::vector<double> steps;
    std::vector<double> sizes;
    const double playStart = WallNow();
    for (int i = 0; i < options.games; ++i) {
        test::ScriptedGame played(0x9e3779b97f4a7c15ULL * static_cast<std::uint64_t>(i + 1),
                                  static_cast<std::uint32_t>(i), StyleOf(i));
        if (!played.Play()) {
            std::fprintf(stderr, "game %d did not end\n", i);
            return 1;
        }
        Game game{folder + QStringLiteral("/game-%1.kwreplay").arg(i, 4, 10, QLatin1Char('0')),
                  played.Record(), played.GameEngine().board};
        const QByteArray bytes = EncodeReplay(game.replay);
        QFile file(game.file);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(game.file));
            return 1;
        }
        pieces.push_back(game.replay.pieces);
        steps.push_back(static_cast<double>(game.replay.steps.size()));
        sizes.push_back(static_cast<double>(bytes.size()));
        games.push_back(std::move(game));
    }
    std::printf("%d games played and written to %s in %.1f s\n", options.games, qPrintable(folder),
                WallNow() - playStart);
    PrintSpread("pieces per game", pieces, 1, "");
    PrintSpread("inputs per game", steps, 1, "");
    PrintSpread("file size", sizes, 1.0 / 1024, "KiB");

    int consistentHere = 0;
    std::vector<double> cpuHere;
    for (const Game& game : games) {
        const double start = CpuNow();
        const auto checked = VerifyReplay(game.replay);
        cpuHere.push_back(CpuNow() - start);
        const auto* outcome = std::get_if<ReplayOutcome>(&checked);
        if (outcome != nullptr && outcome->board == game.board) {
            ++consistentHere;
        } else {
            std::fprintf(stderr, "%s: %s\n", qPrintable(game.file),
                         outcome ? "another well" : qPrintable(std::get<QString>(checked)));
        }
    }
    std::printf("VerifyReplay in this process: %d of %d consistent\n", consistentHere,
                options.games);
    PrintSpread("  CPU per replay", cpuHere, 1e3, "ms");

    int consistentCommand = 0;
    std::vector<double> wallCommand;
    std::vector<double> cpuCommand;
    for (const Game& game : games) {
        QProcess verify;
        const double cpuStart = ChildrenCpu();
        const double wallStart = WallNow();
        verify.start(options.executable, {QStringLiteral("--verify-replay"), game.file});
        const bool finished = verify.waitForFinished(60000);
        wallCommand.push_back(WallNow() - wallStart);
        cpuCommand.push_back(ChildrenCpu() - cpuStart);
        const QString expected = QStringLiteral("score %1, level %2, pieces %3\n")
                                     .arg(game.replay.score)
                                     .arg(game.replay.level)
                                     .arg(game.replay.pieces);
        const QString said = QString::fromUtf8(verify.readAllStandardOutput());
        if (finished && verify.exitStatus() == QProcess::NormalExit && verify.exitCode() == 0 &&
            said == expected) {
            ++consistentCommand;
        } else {
            std::fprintf(stderr, "%s: exit %d: %s%s", qPrintable(game.file), verify.exitCode(),
                         qPrintable(said), verify.readAllStandardError().constData());
        }
    }
    std::printf("kwadrill --verify-replay: %d of %d consistent\n", consistentCommand,
                options.games);
    PrintSpread("  wall per replay (whole process)", wallCommand, 1e3, "ms");
    PrintSpread("  CPU per replay (whole process)", cpuCommand, 1e3, "ms");
    return consistentHere == options.games && consistentCommand == options.games ? 0 : 1;
}

Options ParseOptions(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption games(QStringLiteral("games"), QStringLiteral("Games to play."),
                                   QStringLiteral("n"), QStringLiteral("1000"));
    const QCommandLineOption executable(
        QStringLiteral("kwadrill"), QStringLiteral("The game to run --verify-replay with."),
        QStringLiteral("path"), QStringLiteral(KWADRILL_EXECUTABLE));
    const QCommandLineOption keep(QStringLiteral("keep"),
                                  QStringLiteral("Write the replays here and keep them."),
                                  QStringLiteral("folder"));
    parser.addOptions({games, executable, keep});
    parser.process(app);
    Options options;
    options.games = std::max(1, parser.value(games).toInt());
    options.executable = parser.value(executable);
    options.keep = parser.value(keep);
    return options;
}

}  // namespace
}  // namespace kwadrill

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return kwadrill::Run(kwadrill::ParseOptions(app));
}
