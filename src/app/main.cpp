#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

#include "BaseDirectories.h"
#include "GameApplication.h"
#include "LanguageTexts.h"
#include "ReportingApplication.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

void DescribeApplication() {
    QCoreApplication::setApplicationName(kwadrill::ApplicationTitle());
    QCoreApplication::setApplicationVersion(QStringLiteral(KWADRILL_VERSION));
}

// --help and --version answer and exit here, without a display. A start
// without arguments has nothing to parse: it goes straight to the window.
void HandleCommandLine(int& argc, char** argv) {
    if (argc <= 1) return;
    QCoreApplication commandLine(argc, argv);
    DescribeApplication();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A falling-blocks puzzle: line up three or more equal blocks in any direction."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(commandLine);
}

int RunGame(int& argc, char** argv) {
    kwadrill::ReportingApplication app(argc, argv);
    DescribeApplication();
    // The desktop matches the windows to the launcher; the icon follows the
    // first paint (GameApplication).
    QGuiApplication::setDesktopFileName(QStringLiteral(KWADRILL_APP_ID));

    kwadrill::GameApplication game;
    return game.Run();
}

}  // namespace

int main(int argc, char** argv) {
    // Before Qt or the game has looked at where the player's folders are.
    for (const QString& notice : kwadrill::IgnoreRelativeBaseDirectories())
        std::fprintf(stderr, "%s\n", qUtf8Printable(notice));
    HandleCommandLine(argc, argv);
    const int exitCode = RunGame(argc, argv);
#if defined(__SANITIZE_ADDRESS__)
    // Sanitizer builds judge leaks here, once the game has let go of all it
    // made, and not at exit: there Qt ends its D-Bus thread while the checker
    // runs, and a thread that ends under the checker crashes it or leaves
    // that thread's data looking lost.
    __lsan_do_leak_check();
#endif
    return exitCode;
}
