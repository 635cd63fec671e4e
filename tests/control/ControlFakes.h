#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "GameView.h"
#include "MusicControl.h"
#include "ReplayKeeper.h"
#include "SoundEffects.h"
#include "StateKeeper.h"

namespace kwadrill {

inline void PrintTo(const WriteFailure& failure, std::ostream* out) {
    *out << qPrintable(Describe(failure)) << " (cause " << static_cast<int>(failure.cause) << ")";
}

}  // namespace kwadrill

namespace kwadrill::testing {

// One ordered record of what game control asked of the windows and of audio.
struct CallLog {
    std::vector<std::string> calls;

    void Add(std::string call) { calls.push_back(std::move(call)); }
    void Clear() { calls.clear(); }
    // The calls that start with prefix, in order.
    std::vector<std::string> Starting(const std::string& prefix) const;
    int Count(const std::string& call) const;
    // The calls of the named kinds (a call's first word), in order.
    std::vector<std::string> Of(std::initializer_list<std::string> kinds) const;
};

class FakeGameView : public GameView {
public:
    explicit FakeGameView(CallLog& log) : log_(log) {}

    void DrawField(const Board& board) override {
        log_.Add("DrawField");
        drawnBoard = board;
    }
    void DrawCellImage(ImageList list, int index, int column, int row) override;
    // Logged as "SetLandingShadow" and column:row:type of each block.
    void SetLandingShadow(const LandingShadow& shadow) override;
    // Logged as "ShowNextPiece" and the three types, or "ShowNextPiece off".
    void ShowNextPiece(const std::optional<PieceTypes>& next) override;
    void RepaintScore(std::int32_t score) override {
        log_.Add("RepaintScore");
        shownScore = score;
    }

    bool LevelLabelShowsText() const override { return label.has_value(); }
    void ShowLevelLabel(int level) override;
    void ClearLevelLabel() override;
    void ShowPauseNotice(bool shown) override { pauseNotice = shown; }

    void ShowGameOverBox() override { Modal("ShowGameOverBox", onGameOverBox); }
    QString ShowNameEntry(const QString& offered) override {
        offeredName = offered;
        Modal("ShowNameEntry", onNameEntry);
        return typedName;
    }
    QString NeutralPlayerName() const override { return QStringLiteral("Somebody"); }
    std::optional<int> ShowHighScores(bool offerReplays) override {
        replaysOffered = offerReplays;
        Modal("ShowHighScores", onHighScores);
        return replayChosen;
    }
    void ShowResultNotSaved(const WriteFailure& backup, const WriteFailure& store) override {
        notSaved = {backup, store};
        Modal("ShowResultNotSaved", {});
    }
    void ShowAbout() override { Modal("ShowAbout", {}); }
    void ShowRules() override { Modal("ShowRules", {}); }
    std::optional<std::int32_t> ShowLanguageDialog() override {
        Modal("ShowLanguageDialog", {});
        return chosenLanguage;
    }
    void ApplyLanguage() override { log_.Add("ApplyLanguage"); }
    // Logged as "ShowReplaySign" and the speed ("2x") or "ended", or "off".
    void ShowReplaySign(const std::optional<ReplaySign>& sign) override;
    void ShowReplayRefused(const QString& reason) override {
        refusedReason = reason;
        Modal("ShowReplayRefused", {});
    }

    std::optional<int> label;                    // the level the label shows, if any
    bool pauseNotice = false;                    // whether the well says the game is paused
    Board drawnBoard{};                          // the board the well was last given
    LandingShadow shadow;                        // the landing shadow last given
    std::optional<PieceTypes> nextPiece;         // what the preview was last given
    std::int32_t shownScore = -1;                // what the counter was last given; -1 never
    QString offeredName;                         // what the name entry last offered
    QString typedName;                           // what the name entry gives back
    std::optional<std::int32_t> chosenLanguage;  // what the language dialog gives back
    bool replaysOffered = false;                 // what the high-score window was last told
    std::optional<int> replayChosen;             // what the high-score window gives back
    std::optional<ReplaySign> replaySign;        // the replay sign last shown
    QString refusedReason;                       // why the last replay was refused
    // What the last "not saved" box named: the backup file's and the store's failure.
    std::optional<std::pair<WriteFailure, WriteFailure>> notSaved;
    // Run while the window is "open".
    std::function<void()> onGameOverBox;
    std::function<void()> onNameEntry;
    std::function<void()> onHighScores;

private:
    void Modal(const char* name, const std::function<void()>& whileOpen);

    CallLog& log_;
};

class FakeSoundEffects : public SoundEffects {
public:
    explicit FakeSoundEffects(CallLog& log) : log_(log) {}

    void SetSoundEnabled(bool enabled) override {
        log_.Add(enabled ? "SetSoundEnabled on" : "SetSoundEnabled off");
    }
    void SetEffectsVolume(int percent) override {
        log_.Add("SetEffectsVolume " + std::to_string(percent));
    }
    void PlayDissolveSound() override { log_.Add("PlayDissolveSound"); }
    bool PlayDropSound() override {
        log_.Add("PlayDropSound");
        return soundsOn;
    }

    bool soundsOn = true;  // whether a drop sound really starts

private:
    CallLog& log_;
};

// Paths are "music/<name>", or "music/next" for the rotation's choice.
class FakeMusicControl : public MusicControl {
public:
    explicit FakeMusicControl(CallLog& log) : log_(log) {}

    void SetMusicEnabled(bool enabled) override {
        log_.Add(enabled ? "SetMusicEnabled on" : "SetMusicEnabled off");
    }
    void SetMusicVolume(int percent) override {
        log_.Add("SetMusicVolume " + std::to_string(percent));
    }
    // Logs the rotation's choice as "(next)" during a game, "(menu)" outside.
    QString NextMusicFile(bool gameRunning, const QString& name = {}) override;
    void PlayMusicFile(const QString& path) override;
    void StopMusic() override;
    void ResetTrackCounter() override { log_.Add("ResetTrackCounter"); }

    bool IsPlaying() override {
        ++modeQueries;
        return playing;
    }
    std::int64_t Position() override { return position; }
    std::int64_t Length() override { return length; }

    bool playing = true;
    std::int64_t position = 0;
    std::int64_t length = 1000;
    int modeQueries = 0;
    std::function<void()> onPlay;  // runs inside PlayMusicFile

private:
    CallLog& log_;
};

// Answers every save with what it is told to; logs "Save" and keeps the
// score table each save was given.
class FakeStateKeeper : public StateKeeper {
public:
    explicit FakeStateKeeper(CallLog& log) : log_(log) {}

    SaveResult Save(const PersistentState& state) override {
        log_.Add("Save");
        tables.push_back(state.record.scoreTable);
        return answer;
    }

    SaveResult answer;  // all kept unless told otherwise
    std::vector<ScoreTable> tables;

private:
    CallLog& log_;
};

// Keeps what it is given in memory; logs "KeepFinishedGame" and "FileUnder"
// with the entry's score, and answers Load with what it is told to.
class FakeReplayKeeper : public ReplayKeeper {
public:
    explicit FakeReplayKeeper(CallLog& log) : log_(log) {}

    void KeepFinishedGame(const Replay& replay) override {
        log_.Add("KeepFinishedGame");
        kept.push_back(replay);
    }
    void FileUnder(const ScoreEntry& entry, const ScoreTable&) override {
        log_.Add("FileUnder " + std::to_string(entry.score));
        filedScores.push_back(entry.score);
    }
    std::variant<Replay, QString> Load(const ScoreEntry& entry) const override {
        log_.Add("Load " + std::to_string(entry.score));
        return loaded;
    }

    std::vector<Replay> kept;
    std::vector<std::int32_t> filedScores;
    std::variant<Replay, QString> loaded = QStringLiteral("no replay");

private:
    CallLog& log_;
};

}  // namespace kwadrill::testing
