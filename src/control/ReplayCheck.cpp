#include "ReplayCheck.h"

#include <QDateTime>
#include <QStringList>

#include "GameController.h"
#include "HeadlessParts.h"

namespace kwadrill {

namespace {

// Effects that never sound, so no sound delay holds the main tick.
class NoSound : public SoundEffects {
public:
    void SetSoundEnabled(bool) override {}
    void SetEffectsVolume(int) override {}
    void PlayDissolveSound() override {}
    bool PlayDropSound() override { return false; }
};

class HeadlessGame {
public:
    std::variant<ReplayOutcome, QString> Play(const Replay& replay) {
        controller_.StartReplay(replay);
        while (flags_.gameRunning) {
            controller_.Timer1Timer();
            // The fast tick's work (destruction, collapse, a drop) is done
            // before the next main tick, as it is between two main ticks of
            // the game: the main tick waits for it.
            while (!flags_.paused && (flags_.collapsing || flags_.dropDelayTicks != 0)) {
                controller_.Timer2Timer();
                controller_.Timer3Timer();
            }
            // Also what ends a replay whose game would never end.
            if (controller_.PiecesDealt() > replay.pieces) {
                return QStringLiteral("it deals more than the %1 pieces it claims")
                    .arg(replay.pieces);
            }
        }
        if (const QString problem = controller_.ReplayProblem(); !problem.isEmpty()) {
            return problem;
        }
        if (const std::size_t left = controller_.ReplayInputsLeft(); left != 0) {
            return QStringLiteral("%1 of its inputs come after the end of its game").arg(left);
        }
        const Engine& engine = controller_.engine();
        return ReplayOutcome{.score = engine.score,
                             .level = engine.level,
                             .pieces = controller_.PiecesDealt(),
                             .board = engine.board};
    }

private:
    NoView view_;
    NoSound sound_;
    NoMusic music_;
    GameFlags flags_;
    PersistentState state_;
    Random looks_;
    GameController controller_{flags_,
                               view_,
                               sound_,
                               music_,
                               state_,
                               looks_,
                               [] { return QDateTime(); },
                               [] { return std::uint64_t{0}; }};
};

}  // namespace

std::variant<ReplayOutcome, QString> PlayReplay(const Replay& replay) {
    HeadlessGame game;
    return game.Play(replay);
}

std::variant<ReplayOutcome, QString> VerifyReplay(const Replay& replay) {
    auto played = PlayReplay(replay);
    const auto* outcome = std::get_if<ReplayOutcome>(&played);
    if (outcome == nullptr) return played;
    QStringList differences;
    const auto compare = [&](const char* what, qint64 claimed, qint64 reached) {
        if (claimed != reached) {
            differences << QStringLiteral("%1 %2 claimed, %3 played")
                               .arg(QLatin1String(what))
                               .arg(claimed)
                               .arg(reached);
        }
    };
    compare("score", replay.score, outcome->score);
    compare("level", replay.level, outcome->level);
    compare("pieces", replay.pieces, outcome->pieces);
    if (!differences.isEmpty()) {
        return QStringLiteral("its claims do not follow from its inputs: ") +
               differences.join(QStringLiteral("; "));
    }
    return played;
}

}  // namespace kwadrill
