#include "TForm1.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyleOption>
#include <QToolButton>
#include <QWindow>

#include "CrispIcon.h"
#include "DialogLook.h"
#include "GameController.h"
#include "GameTimings.h"
#include "LanguageTexts.h"
#include "NextPieceBox.h"
#include "PauseNotice.h"
#include "PlayerSettingsOwner.h"
#include "ReplaySignBox.h"
#include "ScorePaintBox.h"
#include "SettingsDialog.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TForm4.h"
#include "TForm5.h"
#include "TForm6.h"
#include "WellPaintBox.h"
#include "WindowZoom.h"

namespace kwadrill {

namespace {

constexpr int kPanelWidth = 129;
constexpr QPoint kFirstButtonPos{4, 16};
constexpr QSize kButtonSize{121, 22};
constexpr int kButtonPitch = 24;
constexpr QRect kLevelLabelGeometry{4, 208, 121, 17};
constexpr int kScoreCounterTop = 228;
constexpr int kPanelBottomMargin = 4;
constexpr QPoint kBevelPos{132, 0};
constexpr QPoint kWellPos{136, 4};
constexpr QSize kGlyphSize{17, 17};
// The next piece stands in the room the window leaves under the panel.
constexpr int kNextPieceGap = 4;
// The landing shadow: the block's own picture, faint over the empty cell.
constexpr qreal kShadowOpacity = 0.3;

// The two latching toggles among the eight SpeedButtons.
constexpr int kMusicButton = 5;
constexpr int kSoundButton = 6;

// Top to bottom: which SpeedButton stands at each place of the panel, and its glyph.
struct ButtonPlace {
    int number;
    const char* glyph;  // empty: no glyph
};
constexpr std::array<ButtonPlace, 8> kButtonOrder{{{1, "GLYPH_START"},
                                                   {2, "GLYPH_PAUSE"},
                                                   {3, "GLYPH_SCORES"},
                                                   {5, "GLYPH_MUSIC"},
                                                   {6, "GLYPH_SOUND"},
                                                   {7, "GLYPH_RULES"},
                                                   {4, "GLYPH_ABOUT"},
                                                   {8, ""}}};

QStringList CellPictureNames() {
    QStringList names;
    for (int n = 1; n <= 8; ++n) {
        names << QStringLiteral("BITMAP_%1").arg(n);
    }
    return names;
}

// Index (set - 1) * 11 + (10 - frame) holds frame `frame` of set `set`.
QStringList DestructionPictureNames() {
    QStringList names;
    for (int set = 1; set <= kDestructionAnimSets; ++set) {
        for (int frame = kDestructionFrames - 1; frame >= 0; --frame) {
            names << QStringLiteral("%1DESTR%2").arg(set).arg(frame);
        }
    }
    return names;
}

QStringList DigitPictureNames() {
    QStringList names;
    for (int d = 0; d <= 9; ++d) {
        names << QStringLiteral("DG%1").arg(d);
    }
    return names;
}

QImage GlyphPicture(const QString& name) {
    QImage glyph = ReadBitmap(QStringLiteral(":/glyphs/") + name);
    if (glyph.isNull()) return glyph;
    glyph = glyph.convertToFormat(QImage::Format_ARGB32);
    MakeWhiteTransparent(glyph);
    return glyph;
}

// Crisp at every zoom: the glyphs are pixel art.
QIcon GlyphIcon(const QString& name) {
    return CrispIcon(GlyphPicture(name), GlyphPicture(name + QStringLiteral("@2x")));
}

// Around the game in full screen: calm, darker than the panel, never a pattern.
constexpr QRgb kFullScreenBackground = qRgb(32, 36, 44);

// A switch that is on stands clearly pressed in: a sunken frame around a
// darker face, whatever the platform style draws for a checked flat button.
class SwitchStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_PanelButtonTool && option->state.testFlag(State_On)) {
            const QBrush face = option->palette.brush(QPalette::Mid);
            qDrawShadePanel(painter, option->rect, option->palette, true, 1, &face);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

}  // namespace

TForm1::TForm1(const PersistentState& state, Random& random, const QLocale& locale)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      state_(state),
      random_(random),
      keyRepeat_([this](int key) {
          if (controller_) controller_->FormKeyDown(key);
      }) {
    setWindowTitle(MainWindowTitle());
    setFont(DialogFont());
    setFocusPolicy(Qt::StrongFocus);
    LoadImageLists(devicePixelRatioF());
    CreateControls();
    CreateShortcuts();
    form2_ = new TForm2(state_, locale, this);
    form3_ = new TForm3(state_.Russian(), this);
    form4_ = new TForm4(this);
    form5_ = new TForm5(this);
    form6_ = new TForm6(state_.Russian(), this);
    CreateSettingsAccess();
}

// The focus moves on while the widget part goes down, after the members.
TForm1::~TForm1() {
    disconnect(focusWatch_);
}

void TForm1::LoadImageLists(qreal ratio) {
    using T = PictureList::Transparency;
    cellPictures_ = PictureList(CellPictureNames(), T::Opaque, ratio);
    destructionPictures_ = PictureList(DestructionPictureNames(), T::WhiteIsTransparent, ratio);
    digitPictures_ = PictureList(DigitPictureNames(), T::WhiteIsTransparent, ratio);
}

void TForm1::CreateControls() {
    // Everything of the described window stands on the stage, which full
    // screen centres on a calm background.
    stage_ = new QWidget(this);
    QPalette face = QApplication::palette();
    face.setColor(QPalette::Window, face.color(QPalette::Window));  // its own, not inherited
    stage_->setPalette(face);
    stage_->setAutoFillBackground(true);
    controlPanel_ = new QGroupBox(stage_);
    controlPanel_->setGeometry(0, 0, kPanelWidth, kScoreCounterTop);
    CreateButtons();

    levelLabel_ = new QLabel(controlPanel_);
    levelLabel_->setGeometry(kLevelLabelGeometry);
    levelLabel_->setAlignment(Qt::AlignCenter);
    levelLabel_->setTextFormat(Qt::PlainText);
    levelLabel_->setAutoFillBackground(true);
    QPalette labelColours = levelLabel_->palette();
    labelColours.setColor(QPalette::Window, Qt::red);
    labelColours.setColor(QPalette::WindowText, Qt::white);
    levelLabel_->setPalette(labelColours);
    QFont bold = levelLabel_->font();
    bold.setBold(true);
    levelLabel_->setFont(bold);

    scoreCounter_ = new ScorePaintBox(digitPictures_, controlPanel_);
    scoreCounter_->move(0, kScoreCounterTop);

    wellFrame_ = new QFrame(stage_);
    wellFrame_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    wellFrame_->move(kBevelPos);

    const QSize cell = cellPictures_.PictureSize();
    well_ = new WellPaintBox(QSize(cell.width() * kColumns, cell.height() * kRows),
                             devicePixelRatioF(), stage_);
    well_->move(kWellPos);
    well_->SetRepaintFromBoard([this] { DrawField(shownBoard_); });

    nextPiece_ = new NextPieceBox(cellPictures_, stage_);
    nextPiece_->hide();
    pauseNotice_ = new PauseNotice(*well_);
    pauseNotice_->SetTexts(PauseNoticeText(state_.Russian()));
    replaySign_ = new ReplaySignBox(stage_);
    replaySign_->hide();
}

void TForm1::CreateButtons() {
    auto* switchStyle = new SwitchStyle;
    switchStyle->setParent(this);
    for (std::size_t place = 0; place < kButtonOrder.size(); ++place) {
        const ButtonPlace& entry = kButtonOrder[place];
        auto* button = new QToolButton(controlPanel_);
        button->setGeometry(QRect(
            kFirstButtonPos + QPoint(0, kButtonPitch * static_cast<int>(place)), kButtonSize));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setIconSize(kGlyphSize);
        const QString glyph = QString::fromLatin1(entry.glyph);
        if (!glyph.isEmpty()) {
            button->setIcon(GlyphIcon(glyph));
        }
        // Music and sound latch down while on; off, their glyph is struck through.
        if (entry.number == kMusicButton || entry.number == kSoundButton) {
            button->setCheckable(true);
            button->setStyle(switchStyle);
            const QIcon on = button->icon();
            const QIcon off = GlyphIcon(glyph + QStringLiteral("_OFF"));
            button->setIcon(off);
            connect(button, &QToolButton::toggled, button,
                    [button, on, off](bool down) { button->setIcon(down ? on : off); });
        }
        speedButtons_[static_cast<std::size_t>(entry.number - 1)] = button;
    }
}

void TForm1::Attach(GameController& controller) {
    controller_ = &controller;
    ConnectButtons();
    WatchFocus();
}

// The main window losing the focus to another of the game's windows shows as
// its own deactivation; the game losing it altogether, from any of its
// windows, as the application's.
void TForm1::WatchFocus() {
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive) {
            controller_->WindowFocusLost(GameController::FocusLoss::ToOtherProgram);
        }
    });
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && controller_ && isVisible() &&
        !isActiveWindow()) {
        controller_->WindowFocusLost(QApplication::activeWindow() != nullptr
                                         ? GameController::FocusLoss::ToGameWindow
                                         : GameController::FocusLoss::ToOtherProgram);
    }
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) WindowStateChanged();
}

// Nothing on the described panel changes: the dialog is reached by a key
// and by the panel's context menu.
void TForm1::CreateSettingsAccess() {
    settingsDialog_ = new SettingsDialog(state_.Russian(), this);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this);
    connect(shortcut, &QShortcut::activated, this, &TForm1::ShowSettings);
    panelMenu_ = new QMenu(this);
    settingsAction_ = panelMenu_->addAction(SettingsDialogTexts(state_.Russian()).menuEntry);
    connect(settingsAction_, &QAction::triggered, this, &TForm1::ShowSettings);
    controlPanel_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(controlPanel_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { panelMenu_->popup(controlPanel_->mapToGlobal(at)); });
    // A held key whose release goes to another window must not repeat on.
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != this) keyRepeat_.Stop();
    });
}

void TForm1::AttachSettings(PlayerSettingsOwner& owner) {
    settingsOwner_ = &owner;
    owner.Subscribe([this](const PlayerSettings& settings) { ApplyPlayerSettings(settings); });
}

void TForm1::ApplyPlayerSettings(const PlayerSettings& settings) {
    const bool first = !settingsApplied_;
    const bool zoomChanged = first || settings.zoom != playerSettings_.zoom;
    const bool fullScreenChanged = first || settings.fullScreen != playerSettings_.fullScreen;
    settingsApplied_ = true;
    playerSettings_ = settings;
    if (zoomChanged) {
        // No zoom of the player's own: the one that suits the screen.
        automaticZoom_ = !settings.zoom.has_value();
        SetZoom(settings.zoom ? *settings.zoom : AutomaticZoom());
    }
    // Before the window is shown, the program shows it so (ShowAsChosen).
    if (fullScreenChanged && isVisible()) SetFullScreen(settings.fullScreen);
    const KeyRepeatTiming system = SystemKeyRepeat();
    keyRepeat_.Configure(settings.keys.left, settings.keys.right, settings.repeatDelayMs,
                         settings.repeatRate, system.delayMs, system.perSecond);
}

void TForm1::ShowSettings() {
    if (!settingsOwner_ || settingsDialog_->isVisible()) {
        return;
    }
    PlayerSettingsOwner& owner = *settingsOwner_;
    const std::optional<PlayerSettings> chosen =
        settingsDialog_->Ask(playerSettings_, SystemKeyRepeat(),
                             [&owner](const PlayerSettings& settings) { owner.Apply(settings); });
    if (chosen) {
        owner.Apply(*chosen);
    }
}

void TForm1::ConnectButtons() {
    GameController& c = *controller_;
    // The two toggles pass on the state they were clicked into.
    const std::array<std::function<void(bool)>, 8> handlers{[&c](bool) { c.SpeedButton1Click(); },
                                                            [&c](bool) { c.SpeedButton2Click(); },
                                                            [&c](bool) { c.SpeedButton3Click(); },
                                                            [&c](bool) { c.SpeedButton4Click(); },
                                                            [&c](bool down) { c.SpeedButton5Click(down); },
                                                            [&c](bool down) { c.SpeedButton6Click(down); },
                                                            [&c](bool) { c.SpeedButton7Click(); },
                                                            [&c](bool) { c.SpeedButton8Click(); }};
    for (std::size_t i = 0; i < handlers.size(); ++i) {
        connect(speedButtons_[i], &QToolButton::clicked, this, handlers[i]);
    }
}

void TForm1::ArrangeMainWindow(const std::function<void()>& loadRegistrySettings) {
    const QSize digit = digitPictures_.PictureSize();
    scoreCounter_->resize(kScoreDigits * digit.width(), digit.height());
    scoreCounter_->move((controlPanel_->width() - scoreCounter_->width()) / 2, kScoreCounterTop);
    controlPanel_->resize(kPanelWidth,
                          scoreCounter_->y() + scoreCounter_->height() + kPanelBottomMargin);

    const QSize cell = cellPictures_.PictureSize();
    well_->resize(kColumns * cell.width(), kRows * cell.height());
    wellFrame_->resize(2 * (well_->x() - wellFrame_->x()) + well_->width(),
                       2 * (well_->y() - wellFrame_->y()) + well_->height());
    const QSize size(wellFrame_->x() + wellFrame_->width(),
                     std::max(wellFrame_->height(), controlPanel_->height()));
    const int nextPieceTop = controlPanel_->height() + kNextPieceGap;
    nextPiece_->setGeometry(0, nextPieceTop, kPanelWidth, size.height() - nextPieceTop);
    nextPiece_->PlaceFrame();
    replaySign_->setGeometry(nextPiece_->geometry());
    stage_->resize(size);
    setFixedSize(size);
    ApplyZoom(*this, 1.0);  // keeps the described layout, to be scaled from
    arranged_ = true;
    if (automaticZoom_) zoom_ = AutomaticZoom();
    ApplyZoomEverywhere();

    SpeedButton(kMusicButton)->setChecked(state_.record.musicOn != 0);
    SpeedButton(kSoundButton)->setChecked(state_.record.soundOn != 0);
    if (controller_) {
        controller_->EnableTimers();
    }
    if (loadRegistrySettings) {
        loadRegistrySettings();
    }
}

void TForm1::CreateShortcuts() {
    const auto add = [this](const QKeySequence& keys, std::function<void()> action) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, std::move(action));
    };
    // As in a browser; Ctrl+= is Ctrl++ without Shift on most layouts.
    add(QKeySequence::ZoomIn, [this] { ChooseZoom(NextZoomStep(zoom_)); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { ChooseZoom(NextZoomStep(zoom_)); });
    add(QKeySequence::ZoomOut, [this] { ChooseZoom(PreviousZoomStep(zoom_)); });
    add(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { ChooseZoom(kZoomSteps.front()); });
    add(QKeySequence(Qt::Key_F11), [this] { SetFullScreen(!isFullScreen()); });
}

void TForm1::SetViewChosen(std::function<void(qreal)> zoomChosen,
                           std::function<void(bool)> fullScreenChosen) {
    zoomChosen_ = std::move(zoomChosen);
    fullScreenChosen_ = std::move(fullScreenChosen);
}

void TForm1::ShowAsChosen() {
    if (playerSettings_.fullScreen) {
        SetFullScreen(true);
    } else {
        show();
    }
}

void TForm1::ChooseZoom(qreal zoom) {
    SetZoom(zoom);
    if (zoomChosen_) zoomChosen_(zoom_);
}

// As large as fits comfortably: the main window at most 60 % of the screen's
// available height, in the desktop's logical pixels (its own scale included).
qreal TForm1::AutomaticZoom() const {
    const QScreen* shown = screen();
    if (!shown || !arranged_) return kZoomSteps.front();
    return LargestZoomWithin(LogicalSize(*this).height(), shown->availableGeometry().height());
}

void TForm1::SetZoom(qreal zoom) {
    const std::optional<qreal> step = ZoomStepFor(zoom);
    if (!step || *step == zoom_) return;
    zoom_ = *step;
    if (!arranged_) return;  // the arrangement applies it
    const QPoint centre = frameGeometry().center();
    ApplyZoomEverywhere();
    if (isVisible() && !isFullScreen()) {
        // Grows and shrinks about its centre, as far as the screen allows.
        QRect frame = frameGeometry();
        frame.moveCenter(centre);
        if (const QScreen* shown = screen()) {
            const QRect room = shown->availableGeometry();
            frame.moveLeft(std::clamp(frame.left(), room.left(),
                                      std::max(room.left(), room.right() - frame.width() + 1)));
            frame.moveTop(std::clamp(frame.top(), room.top(),
                                     std::max(room.top(), room.bottom() - frame.height() + 1)));
        }
        move(frame.topLeft());
    }
}

void TForm1::SetFullScreen(bool fullScreen) {
    if (fullScreen == isFullScreen()) return;
    if (fullScreen) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        showFullScreen();
    } else {
        showNormal();
    }
}

void TForm1::ApplyZoomEverywhere() {
    arranged_ = true;
    const qreal zoom = isFullScreen() ? fullScreenZoom_ : zoom_;
    LoadImageLists(devicePixelRatioF() * zoom);
    if (!isFullScreen()) setFixedSize(ZoomedSize(LogicalSize(*this), zoom));
    ApplyZoom(*this, zoom, fullScreenOrigin_);
    well_->SetZoom(zoom, devicePixelRatioF());
    DrawField(shownBoard_);
    scoreCounter_->update();
    // The dialogs keep the player's zoom, in full screen too.
    for (QWidget* dialog :
         std::initializer_list<QWidget*>{form2_, form3_, form4_, form5_, form6_, settingsDialog_}) {
        if (dialog) ApplyZoom(*dialog, zoom_);
    }
}

// In full screen: the largest zoom at which the whole window fits, centred.
void TForm1::LayOutFullScreen() {
    const QSize logical = LogicalSize(*this);
    fullScreenZoom_ = LargestZoomFitting(logical, size());
    const QSize zoomed = ZoomedSize(logical, fullScreenZoom_);
    fullScreenOrigin_ = QPoint((width() - zoomed.width()) / 2, (height() - zoomed.height()) / 2);
    ApplyZoomEverywhere();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (arranged_ && isFullScreen()) LayOutFullScreen();
}

// Also when the window manager takes the window in or out of full screen.
void TForm1::WindowStateChanged() {
    if (!arranged_) return;
    QPalette around = palette();
    around.setColor(QPalette::Window, isFullScreen()
                                          ? QColor(kFullScreenBackground)
                                          : QApplication::palette().color(QPalette::Window));
    setPalette(around);
    setAutoFillBackground(isFullScreen());
    if (isFullScreen()) {
        LayOutFullScreen();
    } else {
        fullScreenOrigin_ = {};
        ApplyZoomEverywhere();
    }
    if (fullScreenChosen_) fullScreenChosen_(isFullScreen());
}

void TForm1::SetFormClose(std::function<bool()> formClose) {
    formClose_ = std::move(formClose);
}

const PictureList& TForm1::Pictures(ImageList list) const {
    return list == ImageList::Cells ? cellPictures_ : destructionPictures_;
}

void TForm1::DrawField(const Board& board) {
    shownBoard_ = board;
    const QSize cell = cellPictures_.PictureSize();
    well_->PaintPictures([&](QPainter& painter) {
        for (int c = 1; c <= kColumns; ++c) {
            for (int r = 1; r <= kRows; ++r) {
                painter.drawPixmap((c - 1) * cell.width(), (r - 1) * cell.height(),
                                   cellPictures_.Picture(board.At(c, r)));
            }
        }
        painter.setOpacity(kShadowOpacity);
        for (const ShadowBlock& block : landingShadow_) {
            painter.drawPixmap((block.column - 1) * cell.width(), (block.row - 1) * cell.height(),
                               cellPictures_.Picture(block.type));
        }
    });
}

void TForm1::SetLandingShadow(const LandingShadow& shadow) {
    landingShadow_ = shadow;
}

void TForm1::ShowNextPiece(const std::optional<PieceTypes>& next) {
    if (next) {
        nextPiece_->ShowPiece(*next);
    }
    nextPiece_->setVisible(next.has_value());
}

void TForm1::DrawCellImage(ImageList list, int index, int column, int row) {
    // Every list is placed on the grid of the cell pictures.
    const QSize cell = cellPictures_.PictureSize();
    well_->PaintPicture(Pictures(list).Picture(index),
                        QPoint((column - 1) * cell.width(), (row - 1) * cell.height()));
}

void TForm1::RepaintScore(std::int32_t score) {
    scoreCounter_->ShowScore(score);
}

bool TForm1::LevelLabelShowsText() const {
    return !levelLabel_->text().isEmpty();
}

void TForm1::ShowLevelLabel(int level) {
    shownLevel_ = level;
    levelLabel_->setText(LevelLabelText(state_.Russian(), level));
}

void TForm1::ClearLevelLabel() {
    levelLabel_->clear();
}

void TForm1::ShowPauseNotice(bool shown) {
    pauseNotice_->setVisible(shown);
}

void TForm1::ShowGameOverBox() {
    const bool russian = state_.Russian();
    QMessageBox box(QMessageBox::Warning, GameOverCaption(russian), GameOverQuip(russian, random_),
                    QMessageBox::Ok, this);
    box.setWindowFlags(kFixedDialogFlags);
    box.setFont(ZoomedFont(box.font(), zoom_));
    box.button(QMessageBox::Ok)->setText(GameOverButton(russian));
    box.exec();
}

QString TForm1::ShowNameEntry(const QString& offered) {
    return form3_->AskName(offered);
}

QString TForm1::NeutralPlayerName() const {
    return kwadrill::NeutralPlayerName(state_.Russian());
}

std::optional<int> TForm1::ShowHighScores(bool offerReplays) {
    form2_->OfferReplays(offerReplays);
    form2_->exec();
    return form2_->ChosenReplay();
}

void TForm1::SetReplayLookup(std::function<bool(const ScoreEntry&)> hasReplay) {
    form2_->SetReplayLookup(std::move(hasReplay));
}

void TForm1::ShowReplaySign(const std::optional<ReplaySign>& sign) {
    replayShown_ = sign;
    if (sign) {
        replaySign_->ShowTexts(ReplaySignText(state_.Russian(), sign->speed, sign->ended),
                               sign->ended);
        replaySign_->raise();
    }
    replaySign_->setVisible(sign.has_value());
}

void TForm1::ShowReplayRefused(const QString& reason) {
    const ReplayRefusedTexts texts = ReplayRefusedBox(state_.Russian(), reason);
    QMessageBox box(QMessageBox::Warning, texts.caption, texts.text, QMessageBox::Ok, this);
    box.setWindowFlags(kFixedDialogFlags);
    box.setFont(ZoomedFont(box.font(), zoom_));
    box.button(QMessageBox::Ok)->setText(texts.button);
    box.exec();
}

void TForm1::ShowResultNotSaved(const WriteFailure& backup, const WriteFailure& store) {
    const ResultNotSavedTexts texts = ResultNotSavedBox(state_.Russian(), backup, store);
    QMessageBox box(QMessageBox::Warning, texts.caption, texts.text, QMessageBox::Ok, this);
    box.setWindowFlags(kFixedDialogFlags);
    box.button(QMessageBox::Ok)->setText(texts.button);
    box.exec();
}

void TForm1::ShowAbout() {
    form4_->exec();
}

void TForm1::ShowRules() {
    form5_->exec();
}

std::optional<std::int32_t> TForm1::ShowLanguageDialog() {
    return form6_->AskLanguage();
}

void TForm1::ApplyLanguage() {
    const bool russian = state_.Russian();
    qtTranslations_.Use(russian);
    const MainWindowTexts texts = MainWindowCaptions(russian);
    const std::array<const QString*, 8> captions{&texts.start, &texts.pause,   &texts.highScores,
                                                 &texts.about, &texts.music,   &texts.sound,
                                                 &texts.rules, &texts.language};
    for (std::size_t i = 0; i < captions.size(); ++i) {
        speedButtons_[i]->setText(*captions[i]);
    }
    controlPanel_->setTitle(texts.groupBox);
    nextPiece_->setTitle(NextPieceCaption(russian));
    // Texts picked during play that are on show now follow at once.
    if (LevelLabelShowsText()) {
        ShowLevelLabel(shownLevel_);
    }
    pauseNotice_->SetTexts(PauseNoticeText(russian));
    ShowReplaySign(replayShown_);
    form2_->ApplyLanguage(russian);
    form3_->ApplyLanguage(russian);
    form5_->ApplyLanguage(russian);
    form6_->ApplyLanguage(russian);
    settingsDialog_->ApplyLanguage(russian);
    settingsAction_->setText(SettingsDialogTexts(russian).menuEntry);
}

void TForm1::CloseModalWindows() {
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == form3_) {
            form3_->CloseForShutdown();
        } else {
            modal->close();
        }
        if (QApplication::activeModalWidget() == modal) {
            break;  // it refused; never loop forever
        }
    }
}

const QImage& TForm1::WellScreen() const {
    return well_->Screen();
}
QWidget* TForm1::Well() const {
    return well_;
}
QWidget* TForm1::ScoreCounter() const {
    return scoreCounter_;
}
QWidget* TForm1::ControlPanel() const {
    return controlPanel_;
}
QToolButton* TForm1::SpeedButton(int number) const {
    return speedButtons_[static_cast<std::size_t>(number - 1)];
}
QLabel* TForm1::LevelLabel() const {
    return levelLabel_;
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    // Only the main window sees it: a dialog open takes Escape itself.
    if (event->key() == Qt::Key_Escape && isFullScreen()) {
        SetFullScreen(false);
        return;
    }
    // Where the player has set a key repeat, the keyboard's repeats of the
    // shift keys give way to the game's. A pad's keys come sent, not from
    // the keyboard, and repeat by themselves.
    const bool repeatReplaced =
        event->spontaneous() &&
        !keyRepeat_.KeyDown(event->key(), event->isAutoRepeat(), event->timestamp());
    if (controller_ && !repeatReplaced) {
        controller_->FormKeyDown(event->key());
        if (!event->text().isEmpty()) {
            controller_->FormKeyPress(event->text().front());
        }
    }
    QWidget::keyPressEvent(event);
}

void TForm1::keyReleaseEvent(QKeyEvent* event) {
    if (event->spontaneous()) {
        keyRepeat_.KeyUp(event->key(), event->isAutoRepeat(), event->timestamp());
    }
    QWidget::keyReleaseEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (formClose_ && !formClose_()) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace kwadrill
