#include "GameController.h"

#include <QMetaObject>

#include <array>
#include <cstdlib>
#include <utility>

#include "GameRules.h"
#include "GameTimings.h"
#include "HighScores.h"
#include "ReplayCheck.h"

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

bool IsPauseInput(ReplayInput input) {
    return input == ReplayInput::Pause || input == ReplayInput::Resume;
}

QString InputName(ReplayInput input) {
    switch (input) {
        case ReplayInput::ShiftLeft:
            return QStringLiteral("shift left");
        case ReplayInput::ShiftRight:
            return QStringLiteral("shift right");
        case ReplayInput::Cycle:
            return QStringLiteral("cycle");
        case ReplayInput::Drop:
            return QStringLiteral("drop");
        case ReplayInput::Pause:
            return QStringLiteral("pause");
        case ReplayInput::Resume:
            return QStringLiteral("resume");
    }
    return {};
}

}  // namespace

GameController::GameController(GameFlags& flags, GameView& view, SoundEffects& sound,
                               MusicControl& music, PersistentState& state, Random& looks,
                               LocalClock clock, SeedSource seeds)
    : flags_(flags),
      view_(view),
      sound_(sound),
      music_(music),
      state_(state),
      looks_(looks),
      clock_(std::move(clock)),
      seeds_(std::move(seeds)),
      timer1_(kMainTickIdleMs, false, [this] { Timer1Timer(); }),
      timer2_(kFastTickMs, false, [this] { Timer2Timer(); }),
      timer3_(kSoundDelayTickMs, true, [this] { Timer3Timer(); }),
      engine_(pieces_, EngineFlags{flags.matchPending, flags.paused},
              [this](const Board& board) { DrawField(board); }) {
    // The audio follows the switches the record was loaded with.
    music_.SetMusicEnabled(MusicOn());
    sound_.SetSoundEnabled(state_.record.soundOn != 0);
}

// ---- Main tick ----

void GameController::Timer1Timer() {
    if (feed_ && !FeedReplay()) {
        return;
    }
    if (flags_.paused || flags_.dropDelayTicks != 0 || flags_.musicBusy) {
        return;
    }
    KeepMusicPlaying();
    // Leaving the game from a music error box pauses it within this tick.
    if (shuttingDown_ || flags_.paused || !flags_.gameRunning || flags_.collapsing) {
        return;
    }
    ++gameTicks_;  // the clock of a replay
    if (!engine_.FieldSettled()) {
        engine_.GravityStep();  // one row per main tick
        return;
    }
    flags_.matchPending = true;
    if (engine_.FindMatches()) {
        StartDestruction();
        RefreshNextPiece();  // a new level deals from a wider range
        return;
    }
    flags_.matchPending = false;
    if (engine_.TopRowOccupied()) {
        BeginGameOver();
        return;
    }
    engine_.SpawnPiece();
    ++piecesDealt_;
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
    destroyAnimSet_ = looks_(kDestructionAnimSets);
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
    const int column = looks_(kColumns) + 1;
    const int row = looks_(kRows) + 1;
    const int picture = DrawBlockType(looks_, engine_.level);
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
    if (feed_) {
        ReplayKey(qtKey);  // nobody steers a replay
        return;
    }
    const int key = LatinLayoutKey(qtKey);
    // A pause key of the player's own acts on its key; P acts on what it types.
    if (keys_.pause != KeyBindings{}.pause && key == keys_.pause) {
        if (!flags_.musicBusy) {
            SpeedButton2Click();
        }
        return;
    }
    if (const std::optional<ReplayInput> input = SteeringInput(key); input && MakeInput(*input)) {
        Record(*input);
    }
}

std::optional<ReplayInput> GameController::SteeringInput(int key) const {
    if (key == keys_.left) return ReplayInput::ShiftLeft;
    if (key == keys_.right) return ReplayInput::ShiftRight;
    if (key == keys_.cycle) return ReplayInput::Cycle;
    if (key == keys_.drop) return ReplayInput::Drop;
    return std::nullopt;
}

// Makes one input the way the keys and the pause button do; true when it
// changed the game. Only such inputs are recorded, and a replay makes each
// of them again at its tick, where it must change the game again. A shift
// or a cycle changes the board. A drop changes the game only while
// something still falls: on a settled board (the piece's cells emptied by
// lines) the fast tick has nothing to do.
bool GameController::MakeInput(ReplayInput input) {
    if (IsPauseInput(input)) {
        if (!flags_.gameRunning || flags_.paused != (input == ReplayInput::Resume)) {
            return false;
        }
        SetPaused(input == ReplayInput::Pause);
        return true;
    }
    if (!flags_.gameRunning || flags_.collapsing || !engine_.PieceCanMove() || flags_.musicBusy) {
        return false;
    }
    const Board before = engine_.board;
    switch (input) {
        case ReplayInput::ShiftLeft:
            engine_.MovePieceLeft();
            break;
        case ReplayInput::ShiftRight:
            engine_.MovePieceRight();
            break;
        case ReplayInput::Cycle:
            engine_.RotatePiece();
            break;
        case ReplayInput::Drop:
            flags_.collapsing = true;  // the fast tick lets the board fall
            return !engine_.FieldSettled();
        case ReplayInput::Pause:
        case ReplayInput::Resume:
            break;
    }
    return engine_.board != before;
}

void GameController::Record(ReplayInput input) {
    record_.steps.push_back({gameTicks_, input});
}

void GameController::FormKeyPress(QChar character) {
    if (flags_.musicBusy) {
        return;
    }
    if (keys_.pause == KeyBindings{}.pause && IsPauseCharacter(character)) {
        SpeedButton2Click();
    }
}

// ---- Replays ----

void GameController::ReplayKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_1:
            SetReplaySpeed(1);
            break;
        case Qt::Key_2:
            SetReplaySpeed(2);
            break;
        case Qt::Key_4:
            SetReplaySpeed(4);
            break;
        case Qt::Key_Escape:
            LeaveReplay();
            break;
        default:
            break;
    }
}

void GameController::WatchReplay(const std::variant<Replay, QString>& loaded) {
    if (flags_.gameRunning && !feed_) {
        return;
    }
    QString problem;
    if (const QString* unread = std::get_if<QString>(&loaded)) {
        problem = *unread;
    } else if (const auto checked = VerifyReplay(std::get<Replay>(loaded));
               const QString* wrong = std::get_if<QString>(&checked)) {
        problem = *wrong;
    }
    if (!problem.isEmpty()) {
        view_.ShowReplayRefused(problem);
        return;
    }
    LeaveReplay();
    StartReplay(std::get<Replay>(loaded));
}

void GameController::StartReplay(const Replay& replay) {
    feed_.emplace();
    feed_->replay = replay;
    StartGame(replay.seed);
    ShowReplaySign();
}

std::size_t GameController::ReplayInputsLeft() const {
    return feed_ ? feed_->replay.steps.size() - feed_->next : 0;
}

void GameController::SetReplaySpeed(int factor) {
    if (!feed_ || feed_->ended) {
        return;
    }
    feed_->speed = factor;
    SetTimerSpeed(factor);
    ShowReplaySign();
}

void GameController::SetTimerSpeed(int factor) {
    for (GameTimer* timer : {&timer1_, &timer2_, &timer3_}) {
        timer->SetSpeed(factor);
    }
}

void GameController::LeaveReplay() {
    if (!feed_) {
        return;
    }
    SetTimerSpeed(1);
    const bool stillPlaying = flags_.gameRunning;
    feed_.reset();
    if (stillPlaying) {
        flags_.gameRunning = false;
        flags_.paused = false;
        flags_.collapsing = false;
        flags_.matchPending = false;
        music_.StopMusic();  // the main tick's upkeep goes back to the menu piece
        RefreshLandingShadow();
        RefreshNextPiece();
    }
    view_.ShowReplaySign(std::nullopt);
}

// The replay's game is over: the well stays as it ended, the ticks go back
// to the game's pace, the sign says so until the replay is left.
void GameController::EndReplay() {
    feed_->ended = true;
    feed_->speed = 1;
    SetTimerSpeed(1);
    ShowReplaySign();
}

void GameController::ShowReplaySign() {
    view_.ShowReplaySign(ReplaySign{.speed = feed_->speed, .ended = feed_->ended});
}

// Makes the inputs recorded for this point of the game, in their order,
// before the tick moves the game on; false when the replay has gone astray.
// A steering input waits for the fast tick to finish what it is doing, as
// the player had to. A pause is shown for one main tick: its length is not
// recorded.
bool GameController::FeedReplay() {
    ReplayFeed& feed = *feed_;
    if (feed.ended || !flags_.gameRunning) {
        return true;
    }
    const std::vector<ReplayStep>& steps = feed.replay.steps;
    while (feed.next < steps.size()) {
        const ReplayStep& step = steps[feed.next];
        // Nothing moves the game on while it is paused: the resume is due now.
        if (flags_.paused && (step.tick != gameTicks_ || step.input != ReplayInput::Resume)) {
            ReplayGoesAstray(QStringLiteral("input %1 (%2 at tick %3) comes while the game is "
                                            "paused at tick %4")
                                 .arg(feed.next + 1)
                                 .arg(InputName(step.input))
                                 .arg(step.tick)
                                 .arg(gameTicks_));
            return false;
        }
        if (step.tick > gameTicks_ || (!IsPauseInput(step.input) && flags_.collapsing)) {
            break;
        }
        if (step.tick < gameTicks_ || !MakeInput(step.input)) {
            ReplayGoesAstray(QStringLiteral("input %1 (%2 at tick %3) does not fit the game")
                                 .arg(feed.next + 1)
                                 .arg(InputName(step.input))
                                 .arg(step.tick));
            return false;
        }
        ++feed.next;
        if (step.input == ReplayInput::Pause) {
            break;
        }
    }
    if (feed.next == steps.size() && flags_.paused) {
        ReplayGoesAstray(QStringLiteral("the game stays paused after its last input"));
        return false;
    }
    return true;
}

// The game stops where it went astray; the sign says the replay has ended.
void GameController::ReplayGoesAstray(const QString& problem) {
    feed_->problem = problem;
    flags_.gameRunning = false;
    flags_.paused = false;
    EndReplay();
}

// ---- Buttons ----

void GameController::SpeedButton1Click() {
    // Start leaves a replay being watched; one that has ended is left for a game.
    if (feed_) {
        const bool watching = !feed_->ended;
        LeaveReplay();
        if (watching) {
            return;
        }
    }
    // A finished game's windows still to come keep the next game waiting.
    if (flags_.gameRunning || gameOverPending_) {
        return;
    }
    StartGame(seeds_());
}

void GameController::StartGame(std::uint64_t seed) {
    pieces_.Seed(seed);
    record_ = Replay{};
    record_.seed = seed;
    gameTicks_ = 0;
    piecesDealt_ = 0;
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
    RefreshNextPiece();
}

void GameController::SpeedButton2Click() {
    // A replay pauses where its player paused, and only there.
    if (!flags_.gameRunning || feed_) {
        return;
    }
    SetPaused(!flags_.paused);
}

// Every pause and resume of a game is recorded, whoever asked for it (the
// key, the button, the focus leaving); a replay makes its own and shows no
// notice for them.
void GameController::SetPaused(bool paused) {
    flags_.paused = paused;
    view_.ShowPauseNotice(paused && pauseOnFocusLoss_ && !feed_);
    if (!feed_) {
        Record(paused ? ReplayInput::Pause : ReplayInput::Resume);
    }
    if (paused) {
        music_.StopMusic();
    } else {
        PlayMusic(music_.NextMusicFile(flags_.gameRunning));  // the next piece, not the stopped one
    }
    RefreshLandingShadow();
    RefreshNextPiece();
}

// Pauses, never resumes: a game already paused stays so. A replay plays on:
// it pauses where its player paused, and only there.
void GameController::PauseAsFocusLeaves() {
    if (!pauseOnFocusLoss_ || shuttingDown_ || !flags_.gameRunning || flags_.paused || feed_) {
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
// A game being played is never abandoned for a replay.
void GameController::SpeedButton3Click() {
    PauseAsFocusLeaves();
    const auto replayMayStart = [this] { return !flags_.gameRunning || feed_; };
    const std::optional<int> rank = view_.ShowHighScores(replayMayStart());
    if (rank && replayMayStart() && !gameOverPending_) {
        WatchEntryReplay(*rank);
    }
}

void GameController::WatchEntryReplay(int rank) {
    if (replays_ != nullptr && rank >= 1 && rank <= kScoreTableSize) {
        WatchReplay(replays_->Load(state_.record.scoreTable.Rank(rank)));
    }
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

// Only spawns draw from the pieces' generator, so what it gives next is
// the piece the next spawn places, whatever happens before it.
std::optional<PieceTypes> GameController::NextPieceToShow() const {
    if (!nextPiecePreview_) {
        return std::nullopt;
    }
    if (!flags_.gameRunning) {
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
    record_.score = engine_.score;
    record_.level = engine_.level;
    record_.pieces = piecesDealt_;
    record_.date = ToDayNumber(clock_());
    // The end of a replay changes nothing of the table and asks nothing.
    if (feed_) {
        EndReplay();
        return;
    }
    KeepFinishedGame();
    gameOverPending_ = true;
    QMetaObject::invokeMethod(
        &queueContext_,
        [this, finalScore = engine_.score] {
            std::optional<int> replayChosen;
            {
                const ScopeExit ended([this] { gameOverPending_ = false; });
                replayChosen = RunGameOverWindows(finalScore);
            }
            if (replayChosen && !shuttingDown_) {
                WatchEntryReplay(*replayChosen);
            }
        },
        Qt::QueuedConnection);
}

// Only the replay of a result that enters the table is kept, and it is kept
// before the first window: an end of the session in any of them keeps it
// with the result.
void GameController::KeepFinishedGame() {
    ScoreTable table = state_.record.scoreTable;
    if (replays_ != nullptr && InsertHighScore(table, engine_.score) != 0) {
        replays_->KeepFinishedGame(record_);
    }
}

std::optional<int> GameController::RunGameOverWindows(std::int32_t finalScore) {
    // A session that ends now still keeps the finished game's result: only
    // the windows are skipped.
    if (!shuttingDown_) {
        view_.ShowGameOverBox();
    }
    const int rank = InsertHighScore(state_.record.scoreTable, finalScore);
    if (rank == 0) {
        return std::nullopt;
    }
    EnterHighScore(rank, finalScore);
    if (shuttingDown_) {
        return std::nullopt;
    }
    return view_.ShowHighScores(true);
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
    if (replays_ != nullptr) {
        replays_->FileUnder(state_.record.scoreTable.Rank(rank), state_.record.scoreTable);
    }
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
