#include <QCommandLineParser>
#include <QFont>

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

    // The Cyrillic variant of the empty-table font is the same face here.
    QFont::insertSubstitution(QStringLiteral("arial cyr"), QStringLiteral("Arial"));

    kwadrill::GameApplication game;
    return game.Run();
}
