#pragma once

#include <QString>
#include <QStringList>

#include "Random.h"

namespace kwadrill {

// Every text the player reads, in English and Russian. `russian` is true
// exactly when the language setting is 1.

struct MainWindowTexts {
    QString start, pause, highScores, about, music, sound, rules, language, groupBox;
};
MainWindowTexts MainWindowCaptions(bool russian);

QString LevelLabelText(bool russian, int level);
QString GameOverCaption(bool russian);
// One of the ten game-over remarks, drawn with Random(10).
QString GameOverQuip(bool russian, Random& random);

QString HighScoreWindowCaption(bool russian);
QString NameEntryCaption(bool russian);
QString NameEntryPrompt(bool russian);
QString NameEntryButton(bool russian);
QString RulesCaption(bool russian);
QStringList RulesLines(bool russian);   // exactly 15 lines
QString LanguageDialogCaption(bool russian);

struct EmptyTableMessage {
    QString text;
    QString fontName;
};
EmptyTableMessage EmptyHighScoreMessage(bool russian);

}  // namespace kwadrill
