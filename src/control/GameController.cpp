#include "GameController.h"

#include <QMetaObject>

#include <array>
#include <cstdlib>
#include <utility>

#include "GameRules.h"
#include "GameTimings.h"
#include "HighScores.h"

namespace kwadrill {

namespace {

// value / 10 rounded to the nearest integer, exact halves to the even one
// (75 -> 8, 65 -> 6, 5 -> 0): this sets the rhythm of the level label's blink.
int RoundedTenth(int value) {
    const int quotient = value / 10;
    const int remainder = value % 10;
    if (remainder > 5 || (remainder == 5 && quotient % 2 != 0)) {
        return quotient + 1;
    }
    return quotient;
}

// Runs its action when the scope ends, also when an error report unwinds it.
template <typename Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() { action_(); }

private:
    Action action_;
};

bool IsPauseCharacter(QChar character) {
    // "p" and "P", and the Cyrillic letters on the same key.
    return character == u'p' || character == u'P' || character == QChar(0x0437) ||
           character == QChar(0x0417);
}

}  // namespace

GameController::GameController(GameFlags& flags, GameView& view, SoundEffects& sound,
                               MusicControl& music, PersistentState& state, Random& random,
                               LocalClock clock)
    : flags_(flags),
      view_(view),
      sound_(sound),
      music_(music),
      state_(state),
      random_(random),
      clock_(std::move(clock)),
      timer1_(kMainTickIdleMs, false, [this] { Timer1Timer(); }),
      timer2_(kFastTickMs, false, [this] { Timer2Timer(); }),
      timer3_(kSoundDelayTickMs, true, [this] { Timer3Timer(); }),
      engine_(random, EngineFlags{flags.matchPending, flags.paused},
              [this](const Board& board) { DrawField(board); }) {
    // The audio follows the switches the record was loaded with.
    music_.SetMusicEnabled(MusicOn());
    sound_.SetSoundEnabled(state_.record.soundOn != 0);
}

// ---- Main tick ----

void GameController::Timer1Timer() {
    if (flags_.paused || flags_.dropDelayTicks != 0 || flags_.musicBusy) {
        return;
    }
    KeepMusicPlaying();
    // Leaving the game from a music error box pauses it within this tick.
    if (shuttingDown_ || flags_.paused || !flags_.gameRunning || flags_.collapsing) {
        return;
    }
    if (!engine_.FieldSettled()) {
        engine_.GravityStep();  // one row per main tick
        return;
    }
    flags_.matchPending = true;
    if (engine_.FindMatches()) {
        StartDestruction();
        lineWave_ = true;
        RefreshNextPiece();
        return;
    }
    flags_.matchPending = false;
    lineWave_ = false;
    if (engine_.TopRowOccupied()) {
        BeginGameOver();
        return;
    }
    engine_.SpawnPiece();
    RefreshNextPiece();
}

void GameController::KeepMusicPlaying() {
    if (music_.IsPlaying()) {
        const std::int64_t position = music_.Position();
        const std::int64_t length = music_.Length();
        if (position >= length && MusicOn()) {
            SwitchMusic();
        }
    }
    if (!music_.IsPlaying() && MusicOn()) {
        SwitchMusic();
    }
}

// Opening a piece waits for the device and may show an error box, so every
// tick stays inert meanwhile.
void GameController::SwitchMusic() {
    if (shuttingDown_) {
        return;
    }
    SetTimersEnabled(false);
    flags_.musicBusy = true;
    const ScopeExit switched([this] {
        flags_.musicBusy = false;
        if (!shuttingDown_) {
            SetTimersEnabled(true);
        }
    });
    PlayMusic(music_.NextMusicFile(flags_.gameRunning));
}

void GameController::SetTimersEnabled(bool enabled) {
    timer1_.SetEnabled(enabled);
    timer2_.SetEnabled(enabled);
    timer3_.SetEnabled(enabled);
}

void GameController::PlayMusic(const QString& path) {
    ++openingMusic_;
    const ScopeExit opened([this] { --openingMusic_; });
    music_.PlayMusicFile(path);
}

void GameController::PlayNamedMusic(const QString& name) {
    PlayMusic(music_.NextMusicFile(flags_.gameRunning, name));
}

void GameController::StartDestruction() {
    flags_.collapsing = true;
    flags_.destructionFramesLeft = kDestructionFrames;
    destroyAnimSet_ = random_(kDestructionAnimSets);
    engine_.ScoreMatches();
    if (const auto fallInterval = engine_.CheckLevelUp(timer1_.Interval())) {
        flags_.levelBlinkTicks = kLevelBlinkTicks;
        timer1_.SetInterval(*fallInterval);
    }
    sound_.PlayDissolveSound();
}

// ---- Fast tick ----

void GameController::Timer2Timer() {
    if (!flags_.gameRunning || flags_.musicBusy) {
        return;
    }
    if (flags_.paused) {
        DrawPauseSprinkle();
        return;
    }
    BlinkLevelLabel();
    RollScoreCounter();
    if (!flags_.collapsing) {
        return;
    }
    if (flags_.matchPending && flags_.destructionFramesLeft >= 1) {
        DrawDestructionFrame();
        return;
    }
    RemoveAndCollapse();
}

// One random block picture per tick covers the well while the game is paused;
// the board itself is left alone.
void GameController::DrawPauseSprinkle() {
    const int column = random_(kColumns) + 1;
    const int row = random_(kRows) + 1;
    const int picture = engine_.RandomBlockType();
    view_.DrawCellImage(ImageList::Cells, picture, column, row);
}

// The label is written only when empty and cleared only when full, so at a
// level-up the old level stays until the first cleared phase has passed.
void GameController::BlinkLevelLabel() {
    if (flags_.levelBlinkTicks < 1) {
        return;
    }
    --flags_.levelBlinkTicks;
    const bool shownPhase = RoundedTenth(flags_.levelBlinkTicks) % 2 == 0;
    if (shownPhase && !view_.LevelLabelShowsText()) {
        view_.ShowLevelLabel(engine_.level);
    } else if (!shownPhase && view_.LevelLabelShowsText()) {
        view_.ClearLevelLabel();
    }
}

void GameController::RollScoreCounter() {
    const std::int32_t score = engine_.score;
    if (displayedScore_ == score) {
        return;
    }
    const std::int64_t distance = std::llabs(std::int64_t{score} - displayedScore_);
    const std::int32_t step = distance > kScoreRollStep ? kScoreRollStep : 1;
    if (displayedScore_ > score) {
        displayedScore_ -= step;
    }
    if (displayedScore_ < score) {
        displayedScore_ += step;
    }
    view_.RepaintScore(displayedScore_);
}

// The countdown t runs 11..1 and picks frames 0..10 of the chosen set; each
// frame is drawn over the last one.
void GameController::DrawDestructionFrame() {
    const int index = destroyAnimSet_ * kDestructionFrames + flags_.destructionFramesLeft - 1;
    for (int column = 1; column <= kColumns; ++column) {
        for (int row = 1; row <= kRows; ++row) {
            if (engine_.matchMask.At(column, row) != 0) {
                view_.DrawCellImage(ImageList::Destruction, index, column, row);
            }
        }
    }
    --flags_.destructionFramesLeft;
}

// Reached after the last frame, and at once for a drop asked with the down key.
void GameController::RemoveAndCollapse() {
    bool removed = false;
    if (flags_.matchPending) {
        engine_.RemoveMarkedCells();
        flags_.matchPending = false;
        removed = true;
    }
    if (engine_.FieldSettled()) {
        flags_.collapsing = false;
        return;
    }
    if (removed && sound_.PlayDropSound()) {
        flags_.dropDelayTicks = kDropDelayTicks;
    }
    engine_.GravityStep();
}

// ---- Sound-delay tick ----

void GameController::Timer3Timer() {
    if (flags_.musicBusy) {
        return;
    }
    if (flags_.dropDelayTicks >= 1) {
        --flags_.dropDelayTicks;
    }
}

// ---- Keys ----

void GameController::FormKeyDown(int qtKey) {
    const int key = LatinLayoutKey(qtKey);
    // A pause key of the player's own acts on its key; P acts on what it types.
    if (keys_.pause != KeyBindings{}.pause && key == keys_.pause) {
        if (!flags_.musicBusy) {
            SpeedButton2Click();
        }
        return;
    }
    if (!flags_.gameRunning || flags_.collapsing || !engine_.PieceCanMove() || flags_.musicBusy) {
        return;
    }
    if (key == keys_.left) {
        engine_.MovePieceLeft();
    } else if (key == keys_.cycle) {
        engine_.RotatePiece();
    } else if (key == keys_.right) {
        engine_.MovePieceRight();
    } else if (key == keys_.drop) {
        flags_.collapsing = true;  // the fast tick lets the board fall
    }
}

void GameController::FormKeyPress(QChar character) {
    if (flags_.musicBusy) {
        return;
    }
    if (keys_.pause == KeyBindings{}.pause && IsPauseCharacter(character)) {
        SpeedButton2Click();
    }
}

// ---- Buttons ----

void GameController::SpeedButton1Click() {
    // A finished game's windows still to come keep the next game waiting.
    if (flags_.gameRunning || gameOverPending_) {
        return;
    }
    flags_.musicBusy = false;
    engine_.ClearField();  // the well keeps the old picture until the first spawn
    timer1_.SetInterval(kMainTickGameMs);
    view_.ClearLevelLabel();
    flags_.destructionFramesLeft = 0;
    flags_.dropDelayTicks = 0;
    flags_.collapsing = false;
    flags_.matchPending = false;
    engine_.score = 0;
    displayedScore_ = 0;
    view_.RepaintScore(displayedScore_);
    flags_.paused = false;
    engine_.level = 1;
    flags_.levelBlinkTicks = kLevelBlinkTicks;
    flags_.gameRunning = true;
    music_.ResetTrackCounter();
    PlayNamedMusic(QStringLiteral("GAME1"));
    view_.RepaintScore(displayedScore_);
    lineWave_ = false;
    RefreshNextPiece();
}

void GameController::SpeedButton2Click() {
    if (!flags_.gameRunning) {
        return;
    }
    SetPaused(!flags_.paused);
}

void GameController::SetPaused(bool paused) {
    flags_.paused = paused;
    view_.ShowPauseNotice(paused && pauseOnFocusLoss_);
    if (paused) {
        music_.StopMusic();
    } else {
        PlayMusic(music_.NextMusicFile(flags_.gameRunning));  // the next piece, not the stopped one
    }
    RefreshLandingShadow();
    RefreshNextPiece();
}

// Pauses, never resumes: a game already paused stays so.
void GameController::PauseAsFocusLeaves() {
    if (!pauseOnFocusLoss_ || shuttingDown_ || !flags_.gameRunning || flags_.paused) {
        return;
    }
    SetPaused(true);
}

void GameController::WindowFocusLost(FocusLoss loss) {
    if (loss == FocusLoss::ToGameWindow && openingMusic_ > 0) {
        return;
    }
    PauseAsFocusLeaves();
}

void GameController::SetPauseOnFocusLoss(bool on) {
    pauseOnFocusLoss_ = on;
    view_.ShowPauseNotice(flags_.paused && on);
}

// The game's own windows take the focus from the main window: the game is
// paused before they open, whatever the window system does with the focus.
void GameController::SpeedButton3Click() {
    PauseAsFocusLeaves();
    view_.ShowHighScores();
}

void GameController::SpeedButton4Click() {
    PauseAsFocusLeaves();
    view_.ShowAbout();
}

void GameController::SpeedButton5Click(bool down) {
    state_.record.musicOn = down ? 1 : 0;
    music_.SetMusicEnabled(down);
    if (!down) {
        music_.StopMusic();  // when switched on, the main tick starts a piece
    }
}

void GameController::SpeedButton6Click(bool down) {
    state_.record.soundOn = down ? 1 : 0;
    sound_.SetSoundEnabled(down);
    if (down) {
        sound_.PlayDissolveSound();  // a sample, heard at once
    }
    RefreshNextPiece();
}

void GameController::SpeedButton7Click() {
    PauseAsFocusLeaves();
    view_.ShowRules();
}

void GameController::SpeedButton8Click() {
    PauseAsFocusLeaves();
    if (const std::optional<std::int32_t> language = view_.ShowLanguageDialog()) {
        state_.language = *language;
    }
    view_.ApplyLanguage();
}

void GameController::LoadStoredSettings(const StoredSettings& stored) {
    state_.language = stored.Language();
    view_.ApplyLanguage();
    if (const std::optional<ScoreTable> table = stored.Table()) {
        MergeScoreTables(state_.record.scoreTable, *table);
    }
}

void GameController::SetNextPiecePreview(bool on) {
    nextPiecePreview_ = on;
    RefreshNextPiece();
}

// The shadow is drawn only over the plain field of a piece in play, so
// redrawing the field at once wipes nothing else off the well.
void GameController::SetLandingShadow(bool on) {
    landingShadow_ = on;
    if (RefreshLandingShadow()) {
        view_.DrawField(engine_.board);
    }
}

// ---- Next piece and landing shadow ----

void GameController::DrawField(const Board& board) {
    RefreshLandingShadow();
    view_.DrawField(board);
}

// Worked out again after every draw from the generator, so that what the
// preview shows is the piece the next spawn places. It stays empty while
// the next piece is still open: during a pause, whose sprinkles draw from
// the generator, and from lines found until a search finds none, since each
// wave draws its animation and sounds (and a chain may follow).
std::optional<PieceTypes> GameController::NextPieceToShow() const {
    if (!nextPiecePreview_) {
        return std::nullopt;
    }
    if (!flags_.gameRunning || flags_.paused || lineWave_) {
        return PieceTypes{};
    }
    return engine_.NextSpawn().types;
}

void GameController::RefreshNextPiece() {
    const std::optional<PieceTypes> next = NextPieceToShow();
    if (next != shownNextPiece_) {
        shownNextPiece_ = next;
        view_.ShowNextPiece(next);
    }
}

// Only while the piece can be steered. Between a Start and the first spawn
// the piece still names the last game's cells, now empty: no shadow then.
LandingShadow GameController::ShadowToShow() const {
    if (!landingShadow_ || !flags_.gameRunning || flags_.collapsing || !engine_.PieceCanMove()) {
        return {};
    }
    const FallingPiece& piece = engine_.fallingPiece;
    const std::array<int, kPieceBlocks> rows = LandingRows(engine_.board, piece);
    LandingShadow shadow;
    for (int k = 0; k < kPieceBlocks; ++k) {
        const CellPosition& block = piece.blocks[k];
        const std::uint8_t type = engine_.board.At(block.column, block.row);
        if (type == 0) {
            return {};
        }
        shadow.push_back({block.column, rows[k], type});
    }
    return shadow;
}

// True when the view was given a new shadow.
bool GameController::RefreshLandingShadow() {
    LandingShadow shadow = ShadowToShow();
    if (shadow == shownShadow_) {
        return false;
    }
    shownShadow_ = std::move(shadow);
    view_.SetLandingShadow(shownShadow_);
    return true;
}

void GameController::EnableTimers() {
    if (shuttingDown_) {
        return;
    }
    timer1_.SetEnabled(true);
    timer2_.SetEnabled(true);
}

void GameController::BeginShutdown() {
    shuttingDown_ = true;
    SetTimersEnabled(false);
}

// ---- Game over ----

// The windows of the sequence open in their own event, after this tick has
// returned: Qt does not run a timer's slot again while that slot still waits
// in a nested event loop, and the main tick must keep the music going
// meanwhile.
void GameController::BeginGameOver() {
    flags_.gameRunning = false;
    displayedScore_ = engine_.score;
    DrawField(engine_.board);
    RefreshNextPiece();
    view_.RepaintScore(displayedScore_);
    PlayNamedMusic(QStringLiteral("GAMEOVER"));
    gameOverPending_ = true;
    QMetaObject::invokeMethod(
        &queueContext_,
        [this, finalScore = engine_.score] {
            const ScopeExit ended([this] { gameOverPending_ = false; });
            RunGameOverWindows(finalScore);
        },
        Qt::QueuedConnection);
}

void GameController::RunGameOverWindows(std::int32_t finalScore) {
    // A session that ends now still keeps the finished game's result: only
    // the windows are skipped.
    if (!shuttingDown_) {
        view_.ShowGameOverBox();
    }
    const int rank = InsertHighScore(state_.record.scoreTable, finalScore);
    if (rank == 0) {
        return;
    }
    EnterHighScore(rank, finalScore);
    if (!shuttingDown_) {
        view_.ShowHighScores();
    }
}

// InsertHighScore has opened the slot at rank; it is always filled, even when
// the program is ending, so the table never keeps a half-moved entry.
void GameController::EnterHighScore(int rank, std::int32_t finalScore) {
    if (!shuttingDown_) {
        PlayNamedMusic(QStringLiteral("SCORE"));
    }
    if (!shuttingDown_) {  // the music's error box may have been open when the end came
        const QString typed = view_.ShowNameEntry(LastPlayerName(state_.record));
        if (!IsBlankName(typed)) {
            SetLastPlayerName(state_.record, typed);
        }
    }
    QString name = LastPlayerName(state_.record);
    if (IsBlankName(name)) {
        name = view_.NeutralPlayerName();  // only when nobody could be asked
    }
    RecordHighScore(state_.record.scoreTable.Rank(rank), name, finalScore, clock_());
    state_.highlightRank = rank;
    KeepNewResult();
}

// A new result is saved at once, not only at the close: if neither place
// takes it, the player hears of it now, in their language, while there is
// still time to make room or write it down; the close tries once more.
void GameController::KeepNewResult() {
    resultUnsaved_ = true;
    const SaveResult saved = SaveState();
    // During a shut-down nobody could answer a box; the keeper has said why on stderr.
    if (!saved.NothingKept() || shuttingDown_) {
        return;
    }
    const WriteFailure store = saved.store->Failure().value_or(UnexplainedFailure({}));
    storeRefusalTold_ = true;
    view_.ShowResultNotSaved(*saved.backup, store);
}

SaveResult GameController::SaveState() {
    if (keeper_ == nullptr) {
        return {};
    }
    SaveResult saved = keeper_->Save(state_);
    // Either place holds every result once it has taken the state.
    if (!saved.NothingKept()) {
        resultUnsaved_ = false;
    }
    return saved;
}

}  // namespace kwadrill
