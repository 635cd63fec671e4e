#include "SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyleHints>
#include <QVBoxLayout>

#include <utility>

#include "DialogLook.h"
#include "KeyCaptureButton.h"
#include "LanguageTexts.h"

namespace kwadrill {

using namespace Qt::StringLiterals;

namespace {

constexpr int kSliderWidth = 120;
constexpr int kKeyButtonWidth = 110;
constexpr int kRepeatDelayStepMs = 10;
constexpr int kMessageLines = 2;

QSlider* VolumeSlider(QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, kMaxVolumePercent);
    slider->setPageStep(10);
    slider->setMinimumWidth(kSliderWidth);
    return slider;
}

}  // namespace

KeyRepeatTiming SystemKeyRepeat() {
    KeyRepeatTiming timing;
    if (const int rate = QGuiApplication::styleHints()->keyboardAutoRepeatRate(); rate > 0) {
        timing.perSecond = rate;
    }
    return timing;
}

SettingsDialog::SettingsDialog(bool russian, QWidget* parent) : QDialog(parent) {
    setObjectName(u"SettingsDialog"_s);
    // The look of the game's other dialogs; the size follows the texts of
    // the language and is then fixed.
    setModal(true);
    setWindowFlags(kFixedDialogFlags);
    setFont(DialogFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    setPalette(colours);
    setAutoFillBackground(true);
    CreateControls();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ApplyLanguage(russian);
}

void SettingsDialog::CreateControls() {
    auto* left = new QVBoxLayout;
    left->addWidget(CreateVolumeGroup());
    left->addWidget(CreateKeysGroup());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(CreateRepeatGroup());
    right->addWidget(CreateWindowGroup());
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    // Two lines are kept for it, so the dialog keeps its size as it speaks.
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    message_->setFixedHeight(kMessageLines * message_->fontMetrics().lineSpacing() + 4);

    ok_ = new QPushButton(this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    cancel_ = new QPushButton(this);
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* page = new QVBoxLayout(this);
    page->addLayout(columns);
    page->addWidget(message_);
    page->addLayout(buttons);
}

QGroupBox* SettingsDialog::CreateVolumeGroup() {
    volumeGroup_ = new QGroupBox(this);
    auto* grid = new QGridLayout(volumeGroup_);
    musicLabel_ = new QLabel(volumeGroup_);
    effectsLabel_ = new QLabel(volumeGroup_);
    musicVolume_ = VolumeSlider(volumeGroup_);
    effectsVolume_ = VolumeSlider(volumeGroup_);
    musicPercent_ = new QLabel(volumeGroup_);
    effectsPercent_ = new QLabel(volumeGroup_);
    for (QLabel* percent : {musicPercent_, effectsPercent_}) {
        percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    grid->addWidget(musicLabel_, 0, 0);
    grid->addWidget(musicVolume_, 0, 1);
    grid->addWidget(musicPercent_, 0, 2);
    grid->addWidget(effectsLabel_, 1, 0);
    grid->addWidget(effectsVolume_, 1, 1);
    grid->addWidget(effectsPercent_, 1, 2);
    for (QSlider* slider : {musicVolume_, effectsVolume_}) {
        connect(slider, &QSlider::valueChanged, this, [this] {
            ShowPercent();
            VolumesMoved();
        });
    }
    return volumeGroup_;
}

QGroupBox* SettingsDialog::CreateKeysGroup() {
    keysGroup_ = new QGroupBox(this);
    auto* grid = new QGridLayout(keysGroup_);
    for (int action = 0; action < kActions; ++action) {
        auto* label = new QLabel(keysGroup_);
        auto* button = new KeyCaptureButton(keysGroup_);
        button->setMinimumWidth(kKeyButtonWidth);
        const auto which = static_cast<Action>(action);
        button->offer = [this, which](int qtKey) { return OfferKey(which, qtKey); };
        button->captureStarted = [this, which] {
            message_->setText(SettingsDialogTexts(russian_).capturePrompt.arg(
                SettingsDialogTexts(russian_).actions[which]));
        };
        button->captureCancelled = [this] { message_->clear(); };
        label->setBuddy(button);
        grid->addWidget(label, action, 0);
        grid->addWidget(button, action, 1);
        actionLabels_[action] = label;
        keyButtons_[action] = button;
    }
    standardKeys_ = new QPushButton(keysGroup_);
    standardKeys_->setAutoDefault(false);
    connect(standardKeys_, &QPushButton::clicked, this, &SettingsDialog::ShowStandardKeys);
    grid->addWidget(standardKeys_, kActions, 1);
    return keysGroup_;
}

QGroupBox* SettingsDialog::CreateRepeatGroup() {
    repeatGroup_ = new QGroupBox(this);
    auto* grid = new QGridLayout(repeatGroup_);
    ownRepeat_ = new QCheckBox(repeatGroup_);
    delayLabel_ = new QLabel(repeatGroup_);
    rateLabel_ = new QLabel(repeatGroup_);
    repeatDelay_ = new QSpinBox(repeatGroup_);
    repeatDelay_->setRange(kMinRepeatDelayMs, kMaxRepeatDelayMs);
    repeatDelay_->setSingleStep(kRepeatDelayStepMs);
    repeatRate_ = new QSpinBox(repeatGroup_);
    repeatRate_->setRange(kMinRepeatRate, kMaxRepeatRate);
    grid->addWidget(ownRepeat_, 0, 0, 1, 2);
    grid->addWidget(delayLabel_, 1, 0);
    grid->addWidget(repeatDelay_, 1, 1);
    grid->addWidget(rateLabel_, 2, 0);
    grid->addWidget(repeatRate_, 2, 1);
    // Off, the spin boxes show the system's values, which then apply.
    connect(ownRepeat_, &QCheckBox::toggled, this, [this](bool own) {
        if (!own) ShowRepeat(std::nullopt, std::nullopt);
        EnableRepeatValues(own);
    });
    return repeatGroup_;
}

QGroupBox* SettingsDialog::CreateWindowGroup() {
    windowGroup_ = new QGroupBox(this);
    auto* grid = new QGridLayout(windowGroup_);
    nextPiece_ = new QCheckBox(windowGroup_);
    landingShadow_ = new QCheckBox(windowGroup_);
    pauseOnFocusLoss_ = new QCheckBox(windowGroup_);
    fullScreen_ = new QCheckBox(windowGroup_);
    zoomLabel_ = new QLabel(windowGroup_);
    zoom_ = new QComboBox(windowGroup_);
    zoom_->addItem(QString(), QVariant());
    for (const double factor : kZoomFactors) zoom_->addItem(QString(), factor);
    zoomLabel_->setBuddy(zoom_);
    int row = 0;
    for (QCheckBox* box : {nextPiece_, landingShadow_, pauseOnFocusLoss_, fullScreen_}) {
        grid->addWidget(box, row++, 0, 1, 2);
    }
    grid->addWidget(zoomLabel_, row, 0);
    grid->addWidget(zoom_, row, 1);
    return windowGroup_;
}

void SettingsDialog::ApplyLanguage(bool russian) {
    russian_ = russian;
    const SettingsTexts texts = SettingsDialogTexts(russian);
    setWindowTitle(texts.caption);
    volumeGroup_->setTitle(texts.volumeGroup);
    musicLabel_->setText(texts.musicVolume);
    effectsLabel_->setText(texts.effectsVolume);
    ShowPercent();
    keysGroup_->setTitle(texts.keysGroup);
    for (int action = 0; action < kActions; ++action) {
        actionLabels_[action]->setText(texts.actions[action]);
        keyButtons_[action]->SetPrompt(texts.pressAKey);
    }
    standardKeys_->setText(texts.standardKeys);
    repeatGroup_->setTitle(texts.repeatGroup);
    ownRepeat_->setText(texts.ownRepeat);
    delayLabel_->setText(texts.repeatDelay);
    repeatDelay_->setSuffix(texts.milliseconds);
    rateLabel_->setText(texts.repeatRate);
    windowGroup_->setTitle(texts.windowGroup);
    nextPiece_->setText(texts.nextPiece);
    landingShadow_->setText(texts.landingShadow);
    pauseOnFocusLoss_->setText(texts.pauseOnFocusLoss);
    fullScreen_->setText(texts.fullScreen);
    zoomLabel_->setText(texts.zoom);
    zoom_->setItemText(0, texts.zoomAutomatic);
    for (int item = 1; item < zoom_->count(); ++item) {
        zoom_->setItemText(item, texts.percent.arg(qRound(zoom_->itemData(item).toDouble() * 100)));
    }
    ok_->setText(texts.ok);
    cancel_->setText(texts.cancel);
    message_->clear();
}

std::optional<PlayerSettings> SettingsDialog::Ask(
    const PlayerSettings& current, KeyRepeatTiming system,
    std::function<void(const PlayerSettings&)> previewVolumes) {
    original_ = current;
    system_ = system;
    previewVolumes_ = {};
    Show(current);
    message_->clear();
    previewVolumes_ = std::move(previewVolumes);
    const bool accepted = exec() == QDialog::Accepted;
    for (KeyCaptureButton* button : keyButtons_) button->CancelCapture();
    const PlayerSettings shown = Shown();
    const auto preview = std::exchange(previewVolumes_, {});
    if (accepted) return shown;
    if (preview && (shown.musicVolume != original_.musicVolume ||
                    shown.effectsVolume != original_.effectsVolume)) {
        preview(original_);
    }
    return std::nullopt;
}

void SettingsDialog::Show(const PlayerSettings& settings) {
    musicVolume_->setValue(settings.musicVolume);
    effectsVolume_->setValue(settings.effectsVolume);
    const std::array<int, kActions> keys = settings.keys.All();
    for (int action = 0; action < kActions; ++action) keyButtons_[action]->SetKey(keys[action]);
    ShowRepeat(settings.repeatDelayMs, settings.repeatRate);
    nextPiece_->setChecked(settings.nextPiecePreview);
    landingShadow_->setChecked(settings.landingShadow);
    pauseOnFocusLoss_->setChecked(settings.pauseOnFocusLoss);
    fullScreen_->setChecked(settings.fullScreen);
    const int zoomItem = settings.zoom ? zoom_->findData(*settings.zoom) : 0;
    zoom_->setCurrentIndex(zoomItem < 0 ? 0 : zoomItem);
}

void SettingsDialog::ShowRepeat(std::optional<int> delayMs, std::optional<int> perSecond) {
    const bool own = delayMs.has_value() || perSecond.has_value();
    repeatDelay_->setValue(delayMs.value_or(system_.delayMs));
    repeatRate_->setValue(perSecond.value_or(system_.perSecond));
    ownRepeat_->setChecked(own);
    EnableRepeatValues(own);
}

void SettingsDialog::EnableRepeatValues(bool own) {
    for (QWidget* value :
         std::initializer_list<QWidget*>{delayLabel_, repeatDelay_, rateLabel_, repeatRate_}) {
        value->setEnabled(own);
    }
}

PlayerSettings SettingsDialog::Shown() const {
    PlayerSettings settings = original_;
    settings.musicVolume = musicVolume_->value();
    settings.effectsVolume = effectsVolume_->value();
    settings.keys = {keyButtons_[kLeft]->Key(), keyButtons_[kRight]->Key(),
                     keyButtons_[kCycle]->Key(), keyButtons_[kDrop]->Key(),
                     keyButtons_[kPause]->Key()};
    // The player's own repeat has both values; the system's has neither.
    settings.repeatDelayMs.reset();
    settings.repeatRate.reset();
    if (ownRepeat_->isChecked()) {
        settings.repeatDelayMs = repeatDelay_->value();
        settings.repeatRate = repeatRate_->value();
    }
    settings.nextPiecePreview = nextPiece_->isChecked();
    settings.landingShadow = landingShadow_->isChecked();
    settings.pauseOnFocusLoss = pauseOnFocusLoss_->isChecked();
    settings.fullScreen = fullScreen_->isChecked();
    const QVariant zoom = zoom_->currentData();
    settings.zoom = zoom.isValid() ? std::optional(zoom.toDouble()) : std::nullopt;
    return settings;
}

QString SettingsDialog::Message() const {
    return message_->text();
}

void SettingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    ok_->setFocus();
}

// A key is kept as its key on the Latin layout; one that an action has
// already, or that cannot steer the game, is refused with a word why.
bool SettingsDialog::OfferKey(Action action, int qtKey) {
    const SettingsTexts texts = SettingsDialogTexts(russian_);
    const int key = LatinLayoutKey(qtKey);
    if (!IsBindableKey(key)) {
        // A key Qt cannot name (a symbol of no layout it knows) is refused too.
        const QString name = KeyCaptureButton::KeyName(qtKey);
        message_->setText(name.isEmpty() ? texts.keyUnknown : texts.keyUnusable.arg(name));
        return false;
    }
    for (int other = 0; other < kActions; ++other) {
        if (other != action && keyButtons_[other]->Key() == key) {
            message_->setText(
                texts.keyTaken.arg(KeyCaptureButton::KeyName(key), texts.actions[other]));
            return false;
        }
    }
    keyButtons_[action]->SetKey(key);
    message_->clear();
    return true;
}

void SettingsDialog::ShowStandardKeys() {
    const std::array<int, kActions> keys = KeyBindings{}.All();
    for (int action = 0; action < kActions; ++action) {
        keyButtons_[action]->CancelCapture();
        keyButtons_[action]->SetKey(keys[action]);
    }
    message_->clear();
}

void SettingsDialog::VolumesMoved() {
    if (!previewVolumes_) return;
    PlayerSettings settings = original_;
    settings.musicVolume = musicVolume_->value();
    settings.effectsVolume = effectsVolume_->value();
    previewVolumes_(settings);
}

void SettingsDialog::ShowPercent() {
    const QString percent = SettingsDialogTexts(russian_).percent;
    musicPercent_->setText(percent.arg(musicVolume_->value()));
    effectsPercent_->setText(percent.arg(effectsVolume_->value()));
}

}  // namespace kwadrill
