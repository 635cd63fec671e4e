#pragma once

#include <QString>
#include <QStringList>

#include "Random.h"
#include "WriteFailure.h"

namespace kwadrill {

// Every text the player reads, in English and Russian. `russian` is true
// exactly when the language setting is 1.

struct MainWindowTexts {
    QString start, pause, highScores, about, music, sound, rules, language, groupBox;
};
MainWindowTexts MainWindowCaptions(bool russian);
// The title of the next-piece preview under the control panel.
QString NextPieceCaption(bool russian);

QString LevelLabelText(bool russian, int level);
QString GameOverCaption(bool russian);
QString GameOverButton(bool russian);  // the game-over box's one button
// One of the ten game-over remarks, drawn with Random(10).
QString GameOverQuip(bool russian, Random& random);
// All ten remarks of one language, in draw order.
QStringList GameOverQuips(bool russian);

QString HighScoreWindowCaption(bool russian);
QString NameEntryCaption(bool russian);
QString NameEntryPrompt(bool russian);
QString NameEntryButton(bool russian);
// The name a result is kept under when the game ends before anyone typed one.
QString NeutralPlayerName(bool russian);
QString RulesCaption(bool russian);
QStringList RulesLines(bool russian);  // exactly 15 lines
QString LanguageDialogCaption(bool russian);

// The box that says a new result could be saved in neither of the game's
// two files: each file, what refused and why, in the player's words.
struct ResultNotSavedTexts {
    QString caption, text, button;
};
ResultNotSavedTexts ResultNotSavedBox(bool russian, const WriteFailure& backup,
                                      const WriteFailure& store);
// Why one file could not be written, as the player reads it.
QString WriteFailureReason(bool russian, const WriteFailure& failure);
// Shown over the well while a game is paused: what happened, then how to go on.
struct PauseNoticeTexts {
    QString title, hint;
};
PauseNoticeTexts PauseNoticeText(bool russian);
// The name field's grey hint while it is empty; says how long a name may be.
QString NameEntryHint(bool russian, int maxLength);
// The settings dialog and the main window's menu entry that opens it.
struct SettingsTexts {
    QString caption, menuEntry;
    QString volumeGroup, musicVolume, effectsVolume, percent;  // percent: "%1 %"
    QString keysGroup;
    QStringList actions;  // left, right, cycle, drop, pause
    QString standardKeys, pressAKey;
    QString capturePrompt;  // %1: the action
    QString keyTaken;       // %1: the key, %2: the action that has it
    QString keyUnusable;    // %1: the key
    QString keyUnknown;     // a key without a name
    QString repeatGroup, ownRepeat, repeatDelay, milliseconds, repeatRate;
    QString windowGroup, nextPiece, landingShadow, pauseOnFocusLoss, fullScreen;
    QString zoom, zoomAutomatic;
    QString ok, cancel;
};
SettingsTexts SettingsDialogTexts(bool russian);

// The sign under the control panel while a replay is watched: what it is,
// how fast it plays or that it has ended, and the keys that steer it.
struct ReplaySignTexts {
    QString title, state, keys;
};
ReplaySignTexts ReplaySignText(bool russian, int speed, bool ended);
// Under the high-score table when an entry's replay can be watched, after
// the mark that entries with a replay carry.
QString WatchReplayHint(bool russian);
// The box that says why a replay cannot be watched.
struct ReplayRefusedTexts {
    QString caption, text, button;
};
ReplayRefusedTexts ReplayRefusedBox(bool russian, const QString& reason);

struct EmptyTableMessage {
    QString text;
    QString fontName;
};
EmptyTableMessage EmptyHighScoreMessage(bool russian);

// Texts that exist in one language only and never change with the setting.
QString MainWindowTitle();     // "QZ's Kwadrill game"
QString ApplicationTitle();    // "Kwadrill"
QString SoundInitErrorText();  // start-up warning when a music file failed
QString SoundInitErrorCaption();
QString MusicDeviceErrorCaption();  // caption of the music device's error box
QStringList LanguageItems();        // "English", "Russian": index = language number
QString LanguageDialogButton();     // "Ok"
QStringList AboutLabelLines();      // the six lines over the about picture
QString HomePageAddress();

}  // namespace kwadrill
