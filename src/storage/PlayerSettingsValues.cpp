#include "PlayerSettingsValues.h"

#include <QString>
#include <QStringView>
#include <QVariant>

namespace kwadrill {

namespace {

constexpr QStringView kMusicVolumeKey = u"player/musicVolume";
constexpr QStringView kEffectsVolumeKey = u"player/effectsVolume";
constexpr QStringView kLeftKey = u"player/keyLeft";
constexpr QStringView kRightKey = u"player/keyRight";
constexpr QStringView kCycleKey = u"player/keyCycle";
constexpr QStringView kDropKey = u"player/keyDrop";
constexpr QStringView kPauseKey = u"player/keyPause";
constexpr QStringView kRepeatDelayKey = u"player/repeatDelay";
constexpr QStringView kRepeatRateKey = u"player/repeatRate";
constexpr QStringView kNextPieceKey = u"player/nextPiece";
constexpr QStringView kLandingShadowKey = u"player/landingShadow";
constexpr QStringView kPauseOnFocusLossKey = u"player/pauseOnFocusLoss";
constexpr QStringView kZoomKey = u"player/zoom";
constexpr QStringView kFullScreenKey = u"player/fullScreen";

// QSettings reads a plain value as text; a value with a comma comes as a
// list and one in @-notation as some other type: neither is ours.
std::optional<QString> TextOf(const QVariantMap& values, QStringView key) {
    const QVariant value = values.value(key.toString());
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    return value.toString();
}

std::optional<int> IntegerOf(const QVariantMap& values, QStringView key, bool (*inRange)(int)) {
    const std::optional<QString> text = TextOf(values, key);
    bool ok = false;
    const int number = text ? text->toInt(&ok, 10) : 0;
    if (!ok || !inRange(number)) return std::nullopt;
    return number;
}

std::optional<bool> BoolOf(const QVariantMap& values, QStringView key) {
    const QString text = TextOf(values, key).value_or(QString());
    const auto is = [&text](const char* word) {
        return text.compare(QLatin1StringView(word), Qt::CaseInsensitive) == 0;
    };
    if (is("true") || is("1")) return true;
    if (is("false") || is("0")) return false;
    return std::nullopt;
}

std::optional<double> ZoomOf(const QVariantMap& values, QStringView key) {
    const std::optional<QString> text = TextOf(values, key);
    bool ok = false;
    const double zoom = text ? text->toDouble(&ok) : 0;
    if (!ok || !IsZoomFactor(zoom)) return std::nullopt;
    return zoom;
}

KeyBindings KeysOf(const QVariantMap& values) {
    const KeyBindings standard;
    const auto key = [&](QStringView name, int fallback) {
        return IntegerOf(values, name, IsBindableKey).value_or(fallback);
    };
    const KeyBindings keys{key(kLeftKey, standard.left), key(kRightKey, standard.right),
                           key(kCycleKey, standard.cycle), key(kDropKey, standard.drop),
                           key(kPauseKey, standard.pause)};
    // A key on two actions leaves one of them without a key: all start afresh.
    return keys.Valid() ? keys : standard;
}

QString Text(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

}  // namespace

PlayerSettings PlayerSettingsFromValues(const QVariantMap& values) {
    const PlayerSettings standard;
    PlayerSettings settings;
    settings.musicVolume =
        IntegerOf(values, kMusicVolumeKey, IsVolume).value_or(standard.musicVolume);
    settings.effectsVolume =
        IntegerOf(values, kEffectsVolumeKey, IsVolume).value_or(standard.effectsVolume);
    settings.keys = KeysOf(values);
    settings.repeatDelayMs = IntegerOf(values, kRepeatDelayKey, IsRepeatDelay);
    settings.repeatRate = IntegerOf(values, kRepeatRateKey, IsRepeatRate);
    settings.nextPiecePreview = BoolOf(values, kNextPieceKey).value_or(standard.nextPiecePreview);
    settings.landingShadow = BoolOf(values, kLandingShadowKey).value_or(standard.landingShadow);
    settings.pauseOnFocusLoss =
        BoolOf(values, kPauseOnFocusLossKey).value_or(standard.pauseOnFocusLoss);
    settings.zoom = ZoomOf(values, kZoomKey);
    settings.fullScreen = BoolOf(values, kFullScreenKey).value_or(standard.fullScreen);
    return settings;
}

QVariantMap PlayerSettingsToValues(const PlayerSettings& settings) {
    const PlayerSettings standard;
    QVariantMap values;
    const auto put = [&values](QStringView key, bool isDefault, const QString& text) {
        values.insert(key.toString(), isDefault ? QVariant() : QVariant(text));
    };
    const auto putNumber = [&put](QStringView key, int value, int standardValue) {
        put(key, value == standardValue, QString::number(value));
    };
    putNumber(kMusicVolumeKey, settings.musicVolume, standard.musicVolume);
    putNumber(kEffectsVolumeKey, settings.effectsVolume, standard.effectsVolume);
    putNumber(kLeftKey, settings.keys.left, standard.keys.left);
    putNumber(kRightKey, settings.keys.right, standard.keys.right);
    putNumber(kCycleKey, settings.keys.cycle, standard.keys.cycle);
    putNumber(kDropKey, settings.keys.drop, standard.keys.drop);
    putNumber(kPauseKey, settings.keys.pause, standard.keys.pause);
    put(kRepeatDelayKey, !settings.repeatDelayMs,
        QString::number(settings.repeatDelayMs.value_or(0)));
    put(kRepeatRateKey, !settings.repeatRate, QString::number(settings.repeatRate.value_or(0)));
    put(kNextPieceKey, settings.nextPiecePreview == standard.nextPiecePreview,
        Text(settings.nextPiecePreview));
    put(kLandingShadowKey, settings.landingShadow == standard.landingShadow,
        Text(settings.landingShadow));
    put(kPauseOnFocusLossKey, settings.pauseOnFocusLoss == standard.pauseOnFocusLoss,
        Text(settings.pauseOnFocusLoss));
    put(kZoomKey, !settings.zoom, QString::number(settings.zoom.value_or(0)));
    put(kFullScreenKey, settings.fullScreen == standard.fullScreen, Text(settings.fullScreen));
    return values;
}

}  // namespace kwadrill
