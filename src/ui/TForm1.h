#pragma once

#include <QLocale>
#include <QWidget>

#include <array>
#include <functional>

#include "GameView.h"
#include "HeldKeyRepeat.h"
#include "PersistentState.h"
#include "PictureList.h"
#include "PlayerSettings.h"
#include "QtTranslations.h"
#include "Random.h"
#include "ScoreTable.h"

class QFrame;
class QGroupBox;
class QAction;
class QLabel;
class QMenu;
class QToolButton;

namespace kwadrill {

class GameController;
class NextPieceBox;
class PauseNotice;
class PlayerSettingsOwner;
class ReplaySignBox;
class ScorePaintBox;
class SettingsDialog;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class WellPaintBox;

// The main window: the control panel with its eight buttons, the level label
// and the score counter on the left, the well on the right. It owns the five
// other windows and shows them for game control.
class TForm1 : public QWidget, public GameView {
public:
    // locale: the user's; the high-score window writes dates with it when it
    // speaks the game's language.
    TForm1(const PersistentState& state, Random& random, const QLocale& locale);
    ~TForm1() override;

    // Connects keys, buttons and drawing to the game. Called once, before
    // ArrangeMainWindow.
    void Attach(GameController& controller);
    // The settings dialog (Ctrl+, or the control panel's context menu) hands
    // what the player chose to the owner, which pushes it back here.
    void AttachSettings(PlayerSettingsOwner& owner);
    // What the owner pushes: the window repeats held shift keys by it and
    // keeps it for the dialog.
    void ApplyPlayerSettings(const PlayerSettings& settings);
    // Shows the settings dialog modally.
    void ShowSettings();
    // Sizes and places the panel, counter, well and window from the picture
    // sizes, sets the toggles, starts the ticks, then loads the settings.
    void ArrangeMainWindow(const std::function<void()>& loadRegistrySettings);
    // Asked whenever the window is about to close; false keeps it open.
    void SetFormClose(std::function<bool()> formClose);

    // The windows drawn at a zoom step (see kZoomSteps), at once; another
    // value is ignored. Ctrl++, Ctrl+- and Ctrl+0 step it too.
    void SetZoom(qreal zoom);
    qreal Zoom() const { return zoom_; }
    // F11 toggles it; Escape leaves it when no dialog is open.
    void SetFullScreen(bool fullScreen);
    // Told what the player chose with the keys (or the window manager): a
    // zoom step, full screen on or off.
    void SetViewChosen(std::function<void(qreal)> zoomChosen,
                       std::function<void(bool)> fullScreenChosen);
    // The zoom the game picks itself for the screen it is on.
    qreal AutomaticZoom() const;
    // Shows the window as the settings have it: full screen or not.
    void ShowAsChosen();
    // Which results have a replay to watch; without it none has.
    void SetReplayLookup(std::function<bool(const ScoreEntry&)> hasReplay);

    // GameView
    void DrawField(const Board& board) override;
    void DrawCellImage(ImageList list, int index, int column, int row) override;
    void SetLandingShadow(const LandingShadow& shadow) override;
    void ShowNextPiece(const std::optional<PieceTypes>& next) override;
    void RepaintScore(std::int32_t score) override;
    bool LevelLabelShowsText() const override;
    void ShowLevelLabel(int level) override;
    void ClearLevelLabel() override;
    void ShowPauseNotice(bool shown) override;
    void ShowGameOverBox() override;
    QString ShowNameEntry(const QString& offered) override;
    QString NeutralPlayerName() const override;
    std::optional<int> ShowHighScores(bool offerReplays) override;
    void ShowResultNotSaved(const WriteFailure& backup, const WriteFailure& store) override;
    void ShowAbout() override;
    void ShowRules() override;
    std::optional<std::int32_t> ShowLanguageDialog() override;
    void ApplyLanguage() override;
    void ShowReplaySign(const std::optional<ReplaySign>& sign) override;
    void ShowReplayRefused(const QString& reason) override;

    // Closes whatever modal window is open (the program is being ended).
    void CloseModalWindows();

    // For tests and the end-to-end view of the well.
    const QImage& WellScreen() const;
    QWidget* Well() const;
    QWidget* ScoreCounter() const;
    QWidget* ControlPanel() const;
    QToolButton* SpeedButton(int number) const;  // SpeedButton1 .. SpeedButton8
    QLabel* LevelLabel() const;
    NextPieceBox* NextPiece() const { return nextPiece_; }
    ReplaySignBox* ReplaySignPlate() const { return replaySign_; }
    PauseNotice* PauseNoticeOverWell() const { return pauseNotice_; }
    TForm2* HighScoreWindow() const { return form2_; }
    TForm3* NameEntryDialog() const { return form3_; }
    TForm4* AboutBox() const { return form4_; }
    TForm5* RulesWindow() const { return form5_; }
    TForm6* LanguageDialog() const { return form6_; }
    SettingsDialog* SettingsWindow() const { return settingsDialog_; }
    QMenu* ControlPanelMenu() const { return panelMenu_; }
    const HeldKeyRepeat& KeyRepeat() const { return keyRepeat_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateControls();
    void CreateButtons();
    void CreateShortcuts();
    void LoadImageLists(qreal ratio);
    void ApplyZoomEverywhere();
    void LayOutFullScreen();
    void ChooseZoom(qreal zoom);
    void WindowStateChanged();
    void ConnectButtons();
    void WatchFocus();
    void CreateSettingsAccess();
    const PictureList& Pictures(ImageList list) const;

    const PersistentState& state_;
    Random& random_;
    GameController* controller_ = nullptr;
    Board shownBoard_{};  // what the well shows; a repaint the system asks for draws it again
    LandingShadow landingShadow_;  // drawn over the field, faintly
    int shownLevel_ = 0;  // the level the label was last given, rewritten on a language change
    std::function<bool()> formClose_;
    QtTranslations qtTranslations_;

    PictureList cellPictures_;
    PictureList destructionPictures_;
    PictureList digitPictures_;

    qreal zoom_ = 1.0;
    qreal fullScreenZoom_ = 1.0;
    QPoint fullScreenOrigin_;
    bool arranged_ = false;
    bool automaticZoom_ = true;  // no zoom of the player's own
    bool settingsApplied_ = false;
    std::function<void(qreal)> zoomChosen_;
    std::function<void(bool)> fullScreenChosen_;

    QWidget* stage_ = nullptr;  // the described window's contents
    QGroupBox* controlPanel_ = nullptr;
    std::array<QToolButton*, 8> speedButtons_{};  // SpeedButton1 .. SpeedButton8
    QLabel* levelLabel_ = nullptr;
    ScorePaintBox* scoreCounter_ = nullptr;
    QFrame* wellFrame_ = nullptr;
    WellPaintBox* well_ = nullptr;
    NextPieceBox* nextPiece_ = nullptr;  // under the panel, hidden unless switched on
    PauseNotice* pauseNotice_ = nullptr;
    ReplaySignBox* replaySign_ = nullptr;  // over the next piece while a replay is watched
    std::optional<ReplaySign> replayShown_;

    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    TForm4* form4_ = nullptr;
    TForm5* form5_ = nullptr;
    TForm6* form6_ = nullptr;

    PlayerSettingsOwner* settingsOwner_ = nullptr;
    PlayerSettings playerSettings_;  // as last pushed
    HeldKeyRepeat keyRepeat_;
    QMetaObject::Connection focusWatch_;
    SettingsDialog* settingsDialog_ = nullptr;
    QMenu* panelMenu_ = nullptr;
    QAction* settingsAction_ = nullptr;
};

}  // namespace kwadrill
