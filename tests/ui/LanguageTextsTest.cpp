#include <QRegularExpression>
#include <QSet>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include "LanguageTexts.h"
#include "Random.h"

namespace kwadrill {
namespace {

using namespace Qt::StringLiterals;

TEST(LanguageTexts, RulesHaveFifteenLinesWithBlanksWhereTheyBelong) {
    for (const bool russian : {false, true}) {
        const QStringList lines = RulesLines(russian);
        ASSERT_EQ(lines.size(), 15);
        EXPECT_EQ(lines[0], u"Kwadrill"_s);
        for (const int blank : {3, 5, 8, 10}) EXPECT_TRUE(lines[blank].isEmpty()) << blank;
        for (const int filled : {1, 2, 4, 6, 7, 9, 11, 12, 13, 14}) {
            EXPECT_FALSE(lines[filled].isEmpty()) << filled;
        }
        EXPECT_EQ(lines[7], HomePageAddress());
    }
    EXPECT_EQ(RulesLines(false)[1], u"A logical game"_s);
    EXPECT_EQ(RulesLines(true)[1], u"Логическая игра"_s);
    EXPECT_EQ(RulesLines(true)[6], u"Посетите домашнюю страницу игры:"_s);
    EXPECT_TRUE(RulesLines(false)[4].startsWith(u' '));
    EXPECT_FALSE(RulesLines(false)[4].startsWith(u"  "_s));
}

// Names and texts are stored as Windows-1251; every Russian text must fit in it.
TEST(LanguageTexts, EveryTextIsWritableInWindows1251) {
    QStringList all = RulesLines(true) + RulesLines(false) + GameOverQuips(true) +
                      GameOverQuips(false) + AboutLabelLines();
    for (const bool russian : {false, true}) {
        const MainWindowTexts m = MainWindowCaptions(russian);
        all << m.start << m.pause << m.highScores << m.about << m.music << m.sound << m.rules
            << m.language << m.groupBox << NameEntryPrompt(russian) << NameEntryButton(russian)
            << EmptyHighScoreMessage(russian).text << LevelLabelText(russian, 3);
        const SettingsTexts t = SettingsDialogTexts(russian);
        all << t.caption << t.menuEntry << t.volumeGroup << t.musicVolume << t.effectsVolume
            << t.keysGroup << t.actions << t.standardKeys << t.pressAKey << t.capturePrompt
            << t.keyTaken << t.keyUnusable << t.keyUnknown << t.repeatGroup << t.ownRepeat
            << t.repeatDelay << t.milliseconds << t.repeatRate << t.windowGroup << t.nextPiece
            << t.landingShadow << t.pauseOnFocusLoss << t.fullScreen << t.zoom << t.zoomAutomatic
            << t.ok << t.cancel;
        all << WatchReplayHint(russian) << ReplayRefusedBox(russian, u"cut short"_s).text;
        for (const bool ended : {false, true}) {
            const ReplaySignTexts sign = ReplaySignText(russian, 4, ended);
            all << sign.title << sign.state << sign.keys;
        }
    }
    all << MusicDeviceErrorCaption();
    for (const QString& text : all) {
        QStringEncoder encoder("windows-1251");
        const QByteArray bytes = encoder(text);
        EXPECT_FALSE(encoder.hasError()) << text.toStdString();
        EXPECT_EQ(bytes.size(), text.size()) << text.toStdString();
    }
}

// The credits, home page and support lines point at nothing that does not
// exist: no example domains, no mail addresses, no account numbers.
TEST(LanguageTexts, NoTextReadsAsAPlaceholder) {
    QStringList all = AboutLabelLines();
    for (const bool russian : {false, true}) all << RulesLines(russian);
    static const QRegularExpression placeholder(u"example|@|https?:|\\d{3}-\\d{3}|account|счет"_s,
                                                QRegularExpression::CaseInsensitiveOption);
    for (const QString& line : all) {
        EXPECT_FALSE(line.contains(placeholder)) << line.toStdString();
    }
    EXPECT_EQ(GameOverButton(true), u"Ладно"_s) << "Qt's OK would stay untranslated";
}

TEST(LanguageTexts, CaptionsFollowTheLanguage) {
    EXPECT_EQ(MainWindowCaptions(false).groupBox.size(), 14);
    EXPECT_EQ(MainWindowCaptions(true).groupBox.size(), 12);
    EXPECT_EQ(RulesCaption(false), MainWindowCaptions(false).rules);
    EXPECT_EQ(RulesCaption(true), u"Правила игры"_s);
    EXPECT_EQ(LevelLabelText(false, 12), u"Level 12"_s);
    EXPECT_EQ(LevelLabelText(true, 3), u"Уровень 3"_s);
    EXPECT_EQ(GameOverCaption(true), u"А жаль!"_s);
    EXPECT_EQ(HighScoreWindowCaption(false), u"Our greatest winners"_s);
    EXPECT_EQ(LanguageDialogCaption(true), u"Выберите язык"_s);
}

TEST(LanguageTexts, EmptyTableMessageComesWithItsFont) {
    const EmptyTableMessage english = EmptyHighScoreMessage(false);
    EXPECT_EQ(english.fontName, u"arial"_s);
    EXPECT_TRUE(english.text.startsWith(u"Why am I not seeing anybody"_s));
    EXPECT_TRUE(english.text.endsWith(u"?!?!?!|"_s));
    const EmptyTableMessage russian = EmptyHighScoreMessage(true);
    EXPECT_EQ(russian.fontName, u"arial cyr"_s);
    EXPECT_TRUE(russian.text.startsWith(u"Почему до сих пор"_s));
}

TEST(LanguageTexts, GameOverQuipDrawsEveryRemarkOfTheLanguage) {
    for (const bool russian : {false, true}) {
        Random random(7);
        QSet<QString> seen;
        for (int draw = 0; draw < 500; ++draw) seen.insert(GameOverQuip(russian, random));
        const QStringList quips = GameOverQuips(russian);
        EXPECT_EQ(seen, QSet<QString>(quips.begin(), quips.end()));
        EXPECT_EQ(seen.size(), 10);
    }
    EXPECT_EQ(GameOverQuips(false)[0], u"Sorry! You lose!"_s);
    EXPECT_EQ(GameOverQuips(true)[9], u"Я бы и дальше блоки кидал, да некуда!"_s);
}

TEST(LanguageTexts, AboutLabelHasSixLines) {
    const QStringList lines = AboutLabelLines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], u"QZ's Kwadrill logical game"_s);
    EXPECT_EQ(lines[1], u"version 1.5"_s);
    EXPECT_EQ(lines[5], u"Kwadrill theme made by me from start to end"_s);
}

}  // namespace
}  // namespace kwadrill
