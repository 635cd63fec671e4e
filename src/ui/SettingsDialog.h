#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

#include "PlayerSettings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace kwadrill {

class KeyCaptureButton;

// The keyboard's own repeat, as the system gives it: Qt tells the rate,
// not the delay, which is taken as the usual 500 ms.
struct KeyRepeatTiming {
    int delayMs = 500;
    int perSecond = 30;
};
KeyRepeatTiming SystemKeyRepeat();

// The player's settings beyond the described game: the two volumes, the
// keys of the five actions, the repeat of held shift keys, and what the
// game window shows. Modal and of a fixed size like the game's other
// dialogs. The volume sliders act at once; OK gives back everything,
// Cancel (Escape, the close box) undoes what the sliders did.
class SettingsDialog : public QDialog {
public:
    enum Action { kLeft, kRight, kCycle, kDrop, kPause, kActions };

    SettingsDialog(bool russian, QWidget* parent);

    void ApplyLanguage(bool russian);

    // Shows the dialog modally, starting from current. previewVolumes gets
    // the settings as they were with the volumes as the sliders stand, at
    // each move, and once more with the old volumes when the dialog is
    // cancelled. The settings chosen, or nothing when cancelled.
    std::optional<PlayerSettings> Ask(const PlayerSettings& current, KeyRepeatTiming system,
                                      std::function<void(const PlayerSettings&)> previewVolumes);

    // The settings as the dialog shows them now.
    PlayerSettings Shown() const;
    // For tests and the pictures of the dialog.
    KeyCaptureButton* KeyButton(Action action) const { return keyButtons_[action]; }
    QPushButton* StandardKeysButton() const { return standardKeys_; }
    QSlider* MusicSlider() const { return musicVolume_; }
    QSlider* EffectsSlider() const { return effectsVolume_; }
    QString Message() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    QGroupBox* CreateVolumeGroup();
    QGroupBox* CreateKeysGroup();
    QGroupBox* CreateRepeatGroup();
    QGroupBox* CreateWindowGroup();
    void Show(const PlayerSettings& settings);
    void ShowRepeat(std::optional<int> delayMs, std::optional<int> perSecond);
    void EnableRepeatValues(bool own);
    bool OfferKey(Action action, int qtKey);
    void ShowStandardKeys();
    void VolumesMoved();
    void ShowPercent();

    bool russian_ = false;
    PlayerSettings original_;
    KeyRepeatTiming system_;
    std::function<void(const PlayerSettings&)> previewVolumes_;

    QGroupBox* volumeGroup_ = nullptr;
    QLabel* musicLabel_ = nullptr;
    QLabel* effectsLabel_ = nullptr;
    QSlider* musicVolume_ = nullptr;
    QSlider* effectsVolume_ = nullptr;
    QLabel* musicPercent_ = nullptr;
    QLabel* effectsPercent_ = nullptr;

    QGroupBox* keysGroup_ = nullptr;
    std::array<QLabel*, kActions> actionLabels_{};
    std::array<KeyCaptureButton*, kActions> keyButtons_{};
    QPushButton* standardKeys_ = nullptr;

    QGroupBox* repeatGroup_ = nullptr;
    QCheckBox* ownRepeat_ = nullptr;
    QLabel* delayLabel_ = nullptr;
    QLabel* rateLabel_ = nullptr;
    QSpinBox* repeatDelay_ = nullptr;
    QSpinBox* repeatRate_ = nullptr;

    QGroupBox* windowGroup_ = nullptr;
    QCheckBox* nextPiece_ = nullptr;
    QCheckBox* landingShadow_ = nullptr;
    QCheckBox* pauseOnFocusLoss_ = nullptr;
    QCheckBox* fullScreen_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
    QComboBox* zoom_ = nullptr;

    QLabel* message_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace kwadrill
