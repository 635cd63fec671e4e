#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <optional>

#include "BaseDirectories.h"
#include "GameApplication.h"
#include "LanguageTexts.h"
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
};

// --help and --version answer and exit here, without a display. A start
// without arguments has nothing to parse: it goes straight to the window.
CommandLine HandleCommandLine(int& argc, char** argv) {
    if (argc <= 1) return {};
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
    parser.addOption(zoom);
    parser.process(commandLine);
    if (!parser.isSet(zoom)) return {};
    bool number = false;
    const std::optional<qreal> step = kwadrill::ZoomStepFor(parser.value(zoom).toDouble(&number));
    if (!number || !step) {
        std::fprintf(stderr, "kwadrill: --zoom takes 1, 1.5, 2, 2.5, 3 or 4, not \"%s\"\n",
                     qUtf8Printable(parser.value(zoom)));
        return {.zoom = std::nullopt, .valid = false};
    }
    return {.zoom = step, .valid = true};
}

int RunGame(int& argc, char** argv, std::optional<qreal> zoom) {
    kwadrill::ReportingApplication app(argc, argv);
    DescribeApplication();
    // The desktop matches the windows to the launcher; the icon follows the
    // first paint (GameApplication).
    QGuiApplication::setDesktopFileName(QStringLiteral(KWADRILL_APP_ID));

    kwadrill::GameApplication game(zoom);
    return game.Run();
}

}  // namespace

int main(int argc, char** argv) {
    // Before Qt or the game has looked at where the player's folders are.
    for (const QString& notice : kwadrill::IgnoreRelativeBaseDirectories())
        std::fprintf(stderr, "%s\n", qUtf8Printable(notice));
    const CommandLine options = HandleCommandLine(argc, argv);
    if (!options.valid) return 2;
    const int exitCode = RunGame(argc, argv, options.zoom);
#if defined(__SANITIZE_ADDRESS__)
    // Sanitizer builds judge leaks here, once the game has let go of all it
    // made, and not at exit: there Qt ends its D-Bus thread while the checker
    // runs, and a thread that ends under the checker crashes it or leaves
    // that thread's data looking lost.
    __lsan_do_leak_check();
#endif
    return exitCode;
}
