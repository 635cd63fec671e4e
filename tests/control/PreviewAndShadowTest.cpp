#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>

#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "ControlFixture.h"

namespace kwadrill::testing {
namespace {

// ---- A whole game with and without the additions ----

// Draws its variants from the generator of what only looks and sounds, as
// the real effects do, between two spawns and as often as they play.
class DrawingSound : public SoundEffects {
public:
    DrawingSound(Random& random, CallLog& log) : random_(random), log_(log) {}

    void SetSoundEnabled(bool enabled) override { enabled_ = enabled; }
    void SetEffectsVolume(int) override {}
    void PlayDissolveSound() override {
        if (enabled_) log_.Add("PlayDissolveSound " + std::to_string(random_(2)));
    }
    bool PlayDropSound() override {
        if (!enabled_) return false;
        log_.Add("PlayDropSound " + std::to_string(random_(6)));
        return true;
    }

private:
    Random& random_;
    CallLog& log_;
    bool enabled_ = true;
};

struct Game {
    explicit Game(bool additions) {
        controller.SetNextPiecePreview(additions);
        controller.SetLandingShadow(additions);
    }

    Random random{4711};
    CallLog log;
    FakeGameView view{log};
    DrawingSound sound{random, log};
    FakeMusicControl music{log};
    GameFlags flags;
    PersistentState state;
    GameController controller{flags,
                              view,
                              sound,
                              music,
                              state,
                              random,
                              [] { return QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)); },
                              CountingSeeds(4711)};
};

struct PlayCounts {
    int spawns = 0;
    int waves = 0;
    int pauses = 0;
    int games = 0;
    int previewsExact = 0;      // showed the piece that spawned
    int wavesBeforeSpawns = 0;  // spawns that lines came before, since the last spawn
};

bool MainTickSearches(const Game& game) {
    const GameFlags& f = game.flags;
    return f.gameRunning && !f.paused && f.dropDelayTicks == 0 && !f.musicBusy && !f.collapsing &&
           game.controller.engine().FieldSettled();
}

// A player who steers, drops, pauses and switches the sound, following its
// own script (never the game's generator), over several games.
PlayCounts Play(Game& game, int steps) {
    std::mt19937 script(99);
    const auto chance = [&script](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(script) < percent;
    };
    PlayCounts counts;
    bool waveSinceSpawn = false;
    GameController& controller = game.controller;
    const Engine& engine = controller.engine();
    for (int step = 0; step < steps; ++step) {
        if (!game.flags.gameRunning) {
            // The game-over windows, then a new game.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
            controller.SpeedButton1Click();
            ++counts.games;
            waveSinceSpawn = false;
        }
        if (game.flags.paused) {
            if (chance(30)) controller.SpeedButton2Click();
        } else if (chance(3)) {
            controller.SpeedButton2Click();
            ++counts.pauses;
        } else if (chance(2)) {
            controller.SpeedButton6Click(!chance(50));
        } else {
            const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
            controller.FormKeyDown(keys[std::uniform_int_distribution<int>(0, 3)(script)]);
        }

        const bool searches = MainTickSearches(game);
        const std::optional<PieceTypes> preview = game.view.nextPiece;
        controller.Timer1Timer();
        if (searches && game.flags.collapsing) {
            ++counts.waves;
            waveSinceSpawn = true;
        }
        if (searches && game.flags.gameRunning && !game.flags.collapsing) {
            ++counts.spawns;
            if (preview) {
                PieceTypes spawned{};
                for (int k = 0; k < 3; ++k) {
                    const CellPosition& block = engine.fallingPiece.blocks[k];
                    spawned[k] = engine.board.At(block.column, block.row);
                }
                // Lines, sounds and pauses before it draw nothing of the pieces.
                EXPECT_EQ(*preview, spawned) << "spawn " << counts.spawns;
                counts.previewsExact += *preview == spawned ? 1 : 0;
                counts.wavesBeforeSpawns += waveSinceSpawn ? 1 : 0;
            }
            waveSinceSpawn = false;
        }
        for (int i = 0; i < 4; ++i) controller.Timer2Timer();
        for (int i = 0; i < 3; ++i) controller.Timer3Timer();
        if (game.view.nextPiece && game.flags.paused) {
            EXPECT_EQ(*game.view.nextPiece, engine.NextSpawn().types) << "shown while paused";
        }
    }
    return counts;
}

std::vector<std::string> Without(const std::vector<std::string>& calls,
                                 std::initializer_list<std::string> prefixes) {
    std::vector<std::string> kept;
    for (const std::string& call : calls) {
        bool drop = false;
        for (const std::string& prefix : prefixes) drop = drop || call.rfind(prefix, 0) == 0;
        if (!drop) kept.push_back(call);
    }
    return kept;
}

// Line waves, drop sounds and pause sprinkles draw from the generator of
// looks between two spawns; the preview takes nothing from either generator
// and shows every piece before it comes, lines or pauses before it or not.
TEST(NextPieceAndShadow, ASeededGamePlaysTheSameWithThemOnOrOff) {
    Game plain(false);
    Game extended(true);
    const PlayCounts counts = Play(plain, 3000);
    const PlayCounts extendedCounts = Play(extended, 3000);

    EXPECT_GT(counts.spawns, 50);
    EXPECT_GT(counts.waves, 5);
    EXPECT_GT(counts.pauses, 20);
    EXPECT_GT(counts.games, 1);
    EXPECT_EQ(plain.log.Starting("ShowNextPiece"), std::vector<std::string>{});
    EXPECT_EQ(plain.log.Starting("SetLandingShadow"), std::vector<std::string>{});

    EXPECT_EQ(extendedCounts.spawns, counts.spawns);
    EXPECT_EQ(extendedCounts.previewsExact, counts.spawns);
    EXPECT_GT(extendedCounts.wavesBeforeSpawns, 5);
    EXPECT_GT(extended.log.Starting("SetLandingShadow").size(), 50u);
    EXPECT_EQ(Without(extended.log.calls, {"ShowNextPiece", "SetLandingShadow"}), plain.log.calls);
    EXPECT_EQ(extended.controller.engine().board, plain.controller.engine().board);
    EXPECT_EQ(extended.random(1 << 30), plain.random(1 << 30));
}

// ---- The preview's states ----

TEST_F(ControlTest, PreviewIsEmptyOutsideAGameShownWhilePausedAndGoneWhenOff) {
    controller.SetNextPiecePreview(true);
    EXPECT_EQ(view.nextPiece, PieceTypes{});
    StartGame();
    const PieceTypes next = engine().NextSpawn().types;
    EXPECT_NE(next, PieceTypes{});
    EXPECT_EQ(view.nextPiece, next);

    controller.SpeedButton2Click();
    RunFastTicks(5);  // the sprinkles draw from the looks' generator only
    EXPECT_EQ(view.nextPiece, next);
    controller.SpeedButton2Click();
    controller.Timer1Timer();
    EXPECT_EQ(engine().board.At(engine().fallingPiece.blocks[0].column, 1), next[0]);
    EXPECT_EQ(view.nextPiece, engine().NextSpawn().types);

    log.Clear();
    controller.SetNextPiecePreview(false);
    EXPECT_EQ(log.calls, std::vector<std::string>{"ShowNextPiece off"});
    controller.SetNextPiecePreview(false);
    EXPECT_EQ(log.calls.size(), 1u) << "only changes are pushed";
}

// ---- The landing shadow ----

// Ground of three heights under the piece: each block's shadow stands on
// its own column.
class ShadowTest : public ControlTest {
protected:
    void SetUpPiece() {
        StartGame();
        board().At(1, kRows) = 1;
        PutColumn(2, kRows - 2, {2, 3, 3});
        PlacePiece(1, 2, {4, 1, 4});
        log.Clear();
    }
};

TEST_F(ShadowTest, ShadowMarksWhereEachBlockComesToRest) {
    SetUpPiece();
    controller.SetLandingShadow(true);
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"SetLandingShadow 1:14:4 2:12:1 3:15:4", "DrawField"}));
    const LandingShadow shadow = view.shadow;

    for (int tick = 0; tick < kRows && !engine().FieldSettled(); ++tick) {
        controller.Timer1Timer();
        // Shown exactly while the piece can be steered, and given before the
        // field it belongs to is drawn.
        EXPECT_EQ(view.shadow.empty(), !engine().PieceCanMove()) << "tick " << tick;
    }
    ASSERT_TRUE(engine().FieldSettled());
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(engine().fallingPiece.blocks[k].row, shadow[k].row) << "block " << k;
    }
}

TEST_F(ShadowTest, ShadowFollowsTheSteeringBeforeTheFieldIsDrawn) {
    SetUpPiece();
    controller.SetLandingShadow(true);
    log.Clear();
    controller.FormKeyDown(Qt::Key_Right);
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"SetLandingShadow 2:12:4 3:15:1 4:15:4", "DrawField"}));
    log.Clear();
    controller.FormKeyDown(Qt::Key_Up);
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"SetLandingShadow 2:12:4 3:15:4 4:15:1", "DrawField"}));
}

TEST_F(ShadowTest, ShadowGoesWhenThePieceCannotBeSteered) {
    struct Case {
        const char* name;
        std::function<void(GameController&)> act;
    };
    const std::vector<Case> cases = {
        {"paused", [](GameController& c) { c.SpeedButton2Click(); }},
        {"dropped",
         [](GameController& c) {
             c.FormKeyDown(Qt::Key_Down);
             c.Timer2Timer();
         }},
        {"switched off", [](GameController& c) { c.SetLandingShadow(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        flags = GameFlags{};
        SetUpPiece();
        controller.SetLandingShadow(true);
        ASSERT_FALSE(view.shadow.empty());
        c.act(controller);
        EXPECT_TRUE(view.shadow.empty());
        controller.SetLandingShadow(false);
    }
}

}  // namespace
}  // namespace kwadrill::testing
