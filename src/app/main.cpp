#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <optional>

#include "BaseDirectories.h"
#include "GameApplication.h"
#include "LanguageTexts.h"
#include "ReplayCommand.h"
#include "ReportingApplication.h"
#include "WindowZoom.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

void DescribeApplication() {
    QCoreApplication::setApplicationName(kwadrill::ApplicationTitle());
    QCoreApplication::setApplicationVersion(QStringLiteral(KWADRILL_VERSION));
}

struct CommandLine {
    std::optional<qreal> zoom;
    bool valid = true;
    std::optional<int> exitCode;  // a command that needs no window has run
    QString replayToPlay;
};

// --help, --version and --verify-replay answer and exit here, without a
// display. A start without arguments has nothing to parse: it goes straight
// to the window.
CommandLine HandleCommandLine(int& argc, char** argv) {
    CommandLine options;
    if (argc <= 1) return options;
    QCoreApplication commandLine(argc, argv);
    DescribeApplication();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A falling-blocks puzzle: line up three or more equal blocks in any direction."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption zoom(
        QStringLiteral("zoom"),
        QStringLiteral("Draw the windows this many times larger for this run: 1, 1.5, 2, 2.5, 3 "
                       "or 4."),
        QStringLiteral("factor"));
    const QCommandLineOption verifyReplay(
        QStringLiteral("verify-replay"),
        QStringLiteral("Play the replay in the file without a window and check that it comes to "
                       "the score, level and pieces it claims (exit 0), or say why not (exit 1)."),
        QStringLiteral("file"));
    const QCommandLineOption playReplay(
        QStringLiteral("play-replay"),
        QStringLiteral("Start the game and watch the replay in the file."), QStringLiteral("file"));
    parser.addOptions({zoom, verifyReplay, playReplay});
    parser.process(commandLine);
    if (parser.isSet(verifyReplay) && parser.isSet(playReplay)) {
        std::fprintf(stderr, "kwadrill: --verify-replay and --play-replay exclude each other\n");
        options.valid = false;
        return options;
    }
    if (parser.isSet(verifyReplay)) {
        options.exitCode = kwadrill::VerifyReplayCommand(parser.value(verifyReplay));
        return options;
    }
    options.replayToPlay = parser.value(playReplay);
    if (!parser.isSet(zoom)) return options;
    bool number = false;
    options.zoom = kwadrill::ZoomStepFor(parser.value(zoom).toDouble(&number));
    if (!number || !options.zoom) {
        std::fprintf(stderr, "kwadrill: --zoom takes 1, 1.5, 2, 2.5, 3 or 4, not \"%s\"\n",
                     qUtf8Printable(parser.value(zoom)));
        options.valid = false;
    }
    return options;
}

int RunGame(int& argc, char** argv, std::optional<qreal> zoom, const QString& replayToPlay) {
    kwadrill::ReportingApplication app(argc, argv);
    DescribeApplication();
    // The desktop matches the windows to the launcher; the icon follows the
    // first paint (GameApplication).
    QGuiApplication::setDesktopFileName(QStringLiteral(KWADRILL_APP_ID));

    kwadrill::GameApplication game(zoom, replayToPlay);
    return game.Run();
}

}  // namespace

int main(int argc, char** argv) {
    // Before Qt or the game has looked at where the player's folders are.
    for (const QString& notice : kwadrill::IgnoreRelativeBaseDirectories())
        std::fprintf(stderr, "%s\n", qUtf8Printable(notice));
    const CommandLine options = HandleCommandLine(argc, argv);
    if (!options.valid) return 2;
    if (options.exitCode) return *options.exitCode;
    const int exitCode = RunGame(argc, argv, options.zoom, options.replayToPlay);
#if defined(__SANITIZE_ADDRESS__)
    // Sanitizer builds judge leaks here, once the game has let go of all it
    // made, and not at exit: there Qt ends its D-Bus thread while the checker
    // runs, and a thread that ends under the checker crashes it or leaves
    // that thread's data looking lost.
    __lsan_do_leak_check();
#endif
    return exitCode;
}
