#include "LanguageTexts.h"

#include <cerrno>

namespace kwadrill {

using namespace Qt::StringLiterals;

namespace {

QString Pick(bool russian, const QString& english, const QString& russianText) {
    return russian ? russianText : english;
}

// The game's own pages are its manual page, installed with it; the command
// reads the same in both languages.
const QString kHomePage = u"man 6 kwadrill"_s;

// The rules paragraph: one memo line that the memo wraps.
const QString kEnglishRules =
    u" Kwadrill is played with four keys only: left, right, up and down. Pieces of three "
    u"blocks fall into the well one after another, and you drop them so that blocks of the "
    u"same type line up horizontally, vertically or diagonally. As soon as three or more equal "
    u"blocks stand in a row in any of these directions, they are removed from the field, and "
    u"the whole mass of the remaining blocks drops down to fill the emptied places - which "
    u"may line up new rows and start a chain. If you know the well-known falling-blocks game, "
    u"you will find this one a little more interesting: here several hits at once are "
    u"possible, and so are combos of four blocks or more. The left and right keys move the "
    u"blocks while they fall, the up key rearranges the blocks within the falling piece, and "
    u"the down key drops the whole piece."_s;

const QString kRussianRules =
    u"Kwadrill - увлекательная игра, которой управляют всего четыре клавиши. Пока падают "
    u"фигуры из трех элементов, составляйте их так, чтобы три элемента одного типа оказались "
    u"на одной прямой в любом направлении: по горизонтали, вертикали или диагонали. Такие "
    u"элементы убираются из колодца. По сравнению с известной игрой с падающими фигурами эта "
    u"чуть интереснее: здесь возможны сразу несколько попаданий и комбинации из "
    u"четырех и более элементов. Стрелки влево и вправо двигают фигуру во время падения, "
    u"стрелка вверх меняет порядок элементов внутри фигуры для лучшей укладки, а стрелка вниз "
    u"сбрасывает фигуру."_s;

}  // namespace

MainWindowTexts MainWindowCaptions(bool russian) {
    if (russian) {
        return {u"Игра"_s,  u"Пауза"_s,        u"Наши монстры"_s, u"О программе"_s, u"Музыка"_s,
                u"Звуки"_s, u"Правила игры"_s, u"Язык"_s,         u" Управление "_s};
    }
    return {u"Start"_s, u"Pause"_s,      u"High scores"_s, u"About"_s,         u"Music"_s,
            u"Sound"_s, u"Game rules"_s, u"Language"_s,    u" Game control "_s};
}

QString NextPieceCaption(bool russian) {
    return Pick(russian, u" Next "_s, u" Следующая "_s);
}

QString LevelLabelText(bool russian, int level) {
    return Pick(russian, u"Level "_s, u"Уровень "_s) + QString::number(level);
}

QString GameOverCaption(bool russian) {
    return Pick(russian, u"So miserable..."_s, u"А жаль!"_s);
}

QString GameOverButton(bool russian) {
    return Pick(russian, u"OK"_s, u"Ладно"_s);
}

QStringList GameOverQuips(bool russian) {
    if (russian) {
        return {
            u"А счастье было так возможно, и так возможно, и вот так..."_s,
            u"Когда-нибудь вы должны были проиграть!"_s,
            u"Не огорчайтесь, все наладится!"_s,
            u"Это вам не карты раскладывать!"_s,
            u"Сыграйте лучше в Quake - он попроще и полегче."_s,
            u"Музыку выключите - может поможет."_s,
            u"Извините, но здесь бессмертие не действует."_s,
            u"Вы мой сотый пользователь, вот вам пароль: Ctrl-Alt-Del."_s,
            u"Заведите себе вирус, он блоки жрать будет."_s,
            u"Я бы и дальше блоки кидал, да некуда!"_s,
        };
    }
    return {
        u"Sorry! You lose!"_s,
        u"Once upon a time you must be a loser!"_s,
        u"Don't worry! Be happy!"_s,
        u"It's not a card game! What did you expect? It's much more difficult!"_s,
        u"You better go play Quake - it's much simpler..."_s,
        u"Turn off the music - it might be helpfull to you."_s,
        u"Sorry, but there are no cheatcodes for this game."_s,
        u"You my special user, I can give you a supercode: Ctrl-Alt-Del."_s,
        u"Can you install a virus, that will eat my blocks?"_s,
        u"I drop the blocks again and again, but there is no room for them!"_s,
    };
}

QString GameOverQuip(bool russian, Random& random) {
    const QStringList quips = GameOverQuips(russian);
    return quips[random(static_cast<int>(quips.size()))];
}

QString HighScoreWindowCaption(bool russian) {
    return Pick(russian, u"Our greatest winners"_s, u"Наши победители"_s);
}

QString NameEntryCaption(bool russian) {
    return Pick(russian, u"Congratulations!!!"_s, u"Поздравляю!!!"_s);
}

QString NameEntryPrompt(bool russian) {
    return Pick(russian,
                u"You have a great score! Please type in your name, and you'll stay forever "
                u"in memory of all Kwadrill gamers!"_s,
                u"Вы попали в таблицу рекордов! Введите ваше имя, дабы навеки остаться в "
                u"памяти потомков!"_s);
}

QString NameEntryButton(bool russian) {
    return Pick(russian, u"Memorize a super score"_s, u"Запечатлеть результат навеки"_s);
}

QString NeutralPlayerName(bool russian) {
    return Pick(russian, u"Player"_s, u"Игрок"_s);
}

QString RulesCaption(bool russian) {
    return MainWindowCaptions(russian).rules;
}

QStringList RulesLines(bool russian) {
    const QString credits =
        Pick(russian, u"Music and programming by QZ"_s, u"Музыка и программирование: QZ"_s);
    const QString thanks =
        Pick(russian, u"Many thanks to Polyglot, who made the English version possible."_s,
             u"Спасибо Polyglot за идею английской версии и помощь в ее создании."_s);
    // Support that costs nothing: a plea to pass the game on, one thought a line.
    const QStringList support =
        russian
            ? QStringList{u"Если вам нравится Kwadrill, поддержите его - это ничего не стоит:"_s,
                          u"расскажите о нем друзьям,"_s, u"предложите им побить ваш рекорд"_s,
                          u"и спасибо, что играете!"_s}
            : QStringList{u"If you like Kwadrill, please support it - it costs nothing:"_s,
                          u"tell your friends about it,"_s,
                          u"challenge them to beat your best score,"_s,
                          u"and thank you for playing!"_s};
    return QStringList{
               u"Kwadrill"_s,
               Pick(russian, u"A logical game"_s, u"Логическая игра"_s),
               credits,
               QString(),
               Pick(russian, kEnglishRules, kRussianRules),
               QString(),
               Pick(russian, u"Visit Kwadrill's home page:"_s,
                    u"Посетите домашнюю страницу игры:"_s),
               kHomePage,
               QString(),
               thanks,
               QString(),
           } +
           support;
}

QString LanguageDialogCaption(bool russian) {
    return Pick(russian, u"Select language"_s, u"Выберите язык"_s);
}

QString WriteFailureReason(bool russian, const WriteFailure& failure) {
    const QString& at = failure.at;
    switch (failure.cause) {
        case WriteFailure::Cause::NoFolder:
            return Pick(russian, u"there is no folder for it (the home folder is not known)"_s,
                        u"для него нет папки (неизвестна домашняя папка)"_s);
        case WriteFailure::Cause::NotAFile:
            return Pick(russian, u"something that is not a file (a folder, say) has its name"_s,
                        u"под его именем лежит не файл (например, папка)"_s);
        case WriteFailure::Cause::Unexplained:
            return Pick(russian, u"the system refused without giving a reason"_s,
                        u"система отказала, не назвав причины"_s);
        case WriteFailure::Cause::System:
            break;
    }
    switch (failure.error) {
        case EACCES:
        case EPERM:
            return Pick(russian, u"no permission to write in %1"_s, u"нет права записи в %1"_s)
                .arg(at);
        case EROFS:
            return Pick(russian, u"%1 is on a read-only disk"_s,
                        u"%1 на диске, доступном только для чтения"_s)
                .arg(at);
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return Pick(russian, u"no room left for it on the disk of %1"_s,
                        u"на диске с %1 не осталось места"_s)
                .arg(at);
        case ENOTDIR:
            return Pick(russian, u"%1 is a file where a folder should be"_s,
                        u"%1 - файл там, где должна быть папка"_s)
                .arg(at);
        default:
            // The system's own words, in the system's language.
            return u"%1: %2"_s.arg(at, qt_error_string(failure.error));
    }
}

ResultNotSavedTexts ResultNotSavedBox(bool russian, const WriteFailure& backup,
                                      const WriteFailure& store) {
    const QString places =
        u"%1\n%2\n\n%3\n%4"_s.arg(backup.file, WriteFailureReason(russian, backup), store.file,
                                  WriteFailureReason(russian, store));
    if (russian) {
        return {u"Рекорд не сохранён"_s,
                u"Ваш новый рекорд не удалось сохранить: игра хранит рекорды в двух файлах, "
                u"и ни один из них записать не удалось.\n\n"_s +
                    places +
                    u"\n\nПри закрытии игра попробует ещё раз; если и тогда ни один файл не "
                    u"запишется, рекорд пропадёт."_s,
                u"Понятно"_s};
    }
    return {u"High score not saved"_s,
            u"Your new high score could not be saved: the game keeps its scores in two files, "
            u"and neither of them could be written.\n\n"_s +
                places +
                u"\n\nThe game tries once more when it closes; if neither file can be written "
                u"then, the high score is lost."_s,
            u"OK"_s};
}

ReplaySignTexts ReplaySignText(bool russian, int speed, bool ended) {
    if (ended) {
        return {Pick(russian, u"REPLAY"_s, u"ПОВТОР"_s), Pick(russian, u"ended"_s, u"окончен"_s),
                Pick(russian, u"Esc: back to the game"_s, u"Esc: вернуться к игре"_s)};
    }
    return {Pick(russian, u"REPLAY"_s, u"ПОВТОР"_s),
            Pick(russian, u"speed %1x"_s, u"скорость %1x"_s).arg(speed),
            Pick(russian, u"1, 2, 4: speed   Esc: end"_s, u"1, 2, 4: скорость   Esc: выход"_s)};
}

QString WatchReplayHint(bool russian) {
    return Pick(russian, u"a replay: double-click or Return to watch it"_s,
                u"повтор: двойной щелчок или Enter, чтобы посмотреть"_s);
}

ReplayRefusedTexts ReplayRefusedBox(bool russian, const QString& reason) {
    return {Pick(russian, u"Replay"_s, u"Повтор"_s),
            Pick(russian, u"This replay cannot be watched: %1."_s,
                 u"Этот повтор нельзя посмотреть: %1."_s)
                .arg(reason),
            GameOverButton(russian)};
}

PauseNoticeTexts PauseNoticeText(bool russian) {
    if (russian) return {u"Пауза"_s, u"Нажмите P, чтобы продолжить"_s};
    return {u"Paused"_s, u"Press P to resume"_s};
}

QString NameEntryHint(bool russian, int maxLength) {
    return Pick(russian, u"Your name, up to %1 characters"_s, u"Ваше имя, не более %1 символов"_s)
        .arg(maxLength);
}

SettingsTexts SettingsDialogTexts(bool russian) {
    if (russian) {
        return {
            .caption = u"Настройки"_s,
            .menuEntry = u"Настройки…"_s,
            .volumeGroup = u"Громкость"_s,
            .musicVolume = u"Музыка"_s,
            .effectsVolume = u"Звуки"_s,
            .percent = u"%1 %"_s,
            .keysGroup = u"Клавиши"_s,
            .actions = {u"Сдвиг влево"_s, u"Сдвиг вправо"_s, u"Смена порядка блоков"_s,
                        u"Сброс фигуры"_s, u"Пауза"_s},
            .standardKeys = u"Стандартные клавиши"_s,
            .pressAKey = u"Нажмите клавишу…"_s,
            .capturePrompt = u"Нажмите новую клавишу для действия «%1». Esc оставит прежнюю."_s,
            .keyTaken = u"Клавиша «%1» уже занята действием «%2». Выберите другую."_s,
            .keyUnusable = u"Клавишу «%1» назначить нельзя. Выберите другую."_s,
            .keyUnknown = u"Эту клавишу назначить нельзя. Выберите другую."_s,
            .repeatGroup = u"Удержание клавиш сдвига"_s,
            .ownRepeat = u"Свой темп повтора"_s,
            .repeatDelay = u"Первый повтор через"_s,
            .milliseconds = u" мс"_s,
            .repeatRate = u"Повторов в секунду"_s,
            .windowGroup = u"Окно игры"_s,
            .nextPiece = u"Показывать следующую фигуру"_s,
            .landingShadow = u"Показывать, куда упадет фигура"_s,
            .pauseOnFocusLoss = u"Пауза, когда окно теряет фокус"_s,
            .fullScreen = u"Во весь экран"_s,
            .zoom = u"Масштаб"_s,
            .zoomAutomatic = u"Автоматически"_s,
            .ok = u"ОК"_s,
            .cancel = u"Отмена"_s,
        };
    }
    return {
        .caption = u"Settings"_s,
        .menuEntry = u"Settings…"_s,
        .volumeGroup = u"Volume"_s,
        .musicVolume = u"Music"_s,
        .effectsVolume = u"Effects"_s,
        .percent = u"%1 %"_s,
        .keysGroup = u"Keys"_s,
        .actions = {u"Move left"_s, u"Move right"_s, u"Cycle the blocks"_s, u"Drop the piece"_s,
                    u"Pause"_s},
        .standardKeys = u"Standard keys"_s,
        .pressAKey = u"Press a key…"_s,
        .capturePrompt = u"Press the new key for “%1”. Escape keeps the old one."_s,
        .keyTaken = u"“%1” is already the key for “%2”. Choose another one."_s,
        .keyUnusable = u"“%1” cannot be a game key. Choose another one."_s,
        .keyUnknown = u"This key cannot be a game key. Choose another one."_s,
        .repeatGroup = u"Held left and right keys"_s,
        .ownRepeat = u"Repeat at my own pace"_s,
        .repeatDelay = u"First repeat after"_s,
        .milliseconds = u" ms"_s,
        .repeatRate = u"Repeats per second"_s,
        .windowGroup = u"Game window"_s,
        .nextPiece = u"Show the next piece"_s,
        .landingShadow = u"Show where the piece will land"_s,
        .pauseOnFocusLoss = u"Pause when the window loses focus"_s,
        .fullScreen = u"Full screen"_s,
        .zoom = u"Zoom"_s,
        .zoomAutomatic = u"Automatic"_s,
        .ok = u"OK"_s,
        .cancel = u"Cancel"_s,
    };
}

EmptyTableMessage EmptyHighScoreMessage(bool russian) {
    if (russian) {
        return {
            u"Почему до сих пор никто так и не сыграл в столь прелестнейшую игру на этом "
            u"компьютере?!?!?!|"_s,
            u"arial cyr"_s};
    }
    return {u"Why am I not seeing anybody, who is playing this very beautiful game?!?!?!|"_s,
            u"arial"_s};
}

QString MainWindowTitle() {
    return u"QZ's Kwadrill game"_s;
}
QString ApplicationTitle() {
    return u"Kwadrill"_s;
}
QString SoundInitErrorText() {
    return u"Sound system init error!"_s;
}
QString SoundInitErrorCaption() {
    return u"Error!"_s;
}
QString MusicDeviceErrorCaption() {
    return u"Ошибка звуковой системы"_s;
}
QStringList LanguageItems() {
    return {u"English"_s, u"Russian"_s};
}
QString LanguageDialogButton() {
    return u"Ok"_s;
}
QString HomePageAddress() {
    return kHomePage;
}

QStringList AboutLabelLines() {
    // clang-format off
    return {
        u"QZ's Kwadrill logical game"_s,
        u"version 1.5"_s,
        u"Sound and programming: QZ"_s,
        u"News and help: "_s + kHomePage,
        u"Enjoy it, and pass it on to your friends!"_s,
        u"Kwadrill theme made by me from start to end"_s,
    };
    // clang-format on
}

}  // namespace kwadrill
