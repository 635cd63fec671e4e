#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "GameView.h"
#include "MusicControl.h"

namespace kwadrill {

// The game without a window or a sound card, for a replay checked from the
// command line and for scripted players: a window that shows nothing and is
// never asked anything.
class NoView final : public GameView {
public:
    void DrawField(const Board&) override {}
    void DrawCellImage(ImageList, int, int, int) override {}
    void SetLandingShadow(const LandingShadow&) override {}
    void ShowNextPiece(const std::optional<PieceTypes>&) override {}
    void RepaintScore(std::int32_t) override {}
    bool LevelLabelShowsText() const override { return false; }
    void ShowLevelLabel(int) override {}
    void ClearLevelLabel() override {}
    void ShowPauseNotice(bool) override {}
    void ShowGameOverBox() override {}
    QString ShowNameEntry(const QString&) override { return {}; }
    QString NeutralPlayerName() const override { return {}; }
    std::optional<int> ShowHighScores(bool) override { return std::nullopt; }
    void ShowResultNotSaved(const WriteFailure&, const WriteFailure&) override {}
    void ShowAbout() override {}
    void ShowRules() override {}
    std::optional<std::int32_t> ShowLanguageDialog() override { return std::nullopt; }
    void ApplyLanguage() override {}
    void ShowReplaySign(const std::optional<ReplaySign>&) override {}
    void ShowReplayRefused(const QString&) override {}
};

// A piece that always plays and never ends: the main tick never switches music.
class NoMusic final : public MusicControl {
public:
    void SetMusicEnabled(bool) override {}
    void SetMusicVolume(int) override {}
    QString NextMusicFile(bool, const QString&) override { return {}; }
    void PlayMusicFile(const QString&) override {}
    void StopMusic() override {}
    void ResetTrackCounter() override {}
    bool IsPlaying() override { return true; }
    std::int64_t Position() override { return 0; }
    std::int64_t Length() override { return 1; }
};

}  // namespace kwadrill
