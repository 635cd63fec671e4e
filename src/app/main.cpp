#include <QCommandLineParser>

#include "GameApplication.h"
#include "LanguageTexts.h"
#include "ReportingApplication.h"

int main(int argc, char** argv) {
    kwadrill::ReportingApplication app(argc, argv);
    QApplication::setApplicationName(kwadrill::ApplicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(KWADRILL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A falling-blocks puzzle: line up three or more equal blocks in any direction."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);

    kwadrill::GameApplication game;
    return game.Run();
}
