#include "PlayerSettings.h"

#include <QChar>

#include <algorithm>
#include <utility>

namespace kwadrill {

namespace {

// The Russian layout's letters (Qt gives a letter's key as the capital) and
// the key of the Latin layout at their place.
constexpr std::pair<char16_t, int> kRussianLayout[] = {
    {u'Й', Qt::Key_Q},         {u'Ц', Qt::Key_W},           {u'У', Qt::Key_E},
    {u'К', Qt::Key_R},         {u'Е', Qt::Key_T},           {u'Н', Qt::Key_Y},
    {u'Г', Qt::Key_U},         {u'Ш', Qt::Key_I},           {u'Щ', Qt::Key_O},
    {u'З', Qt::Key_P},         {u'Х', Qt::Key_BracketLeft}, {u'Ъ', Qt::Key_BracketRight},
    {u'Ф', Qt::Key_A},         {u'Ы', Qt::Key_S},           {u'В', Qt::Key_D},
    {u'А', Qt::Key_F},         {u'П', Qt::Key_G},           {u'Р', Qt::Key_H},
    {u'О', Qt::Key_J},         {u'Л', Qt::Key_K},           {u'Д', Qt::Key_L},
    {u'Ж', Qt::Key_Semicolon}, {u'Э', Qt::Key_Apostrophe},  {u'Я', Qt::Key_Z},
    {u'Ч', Qt::Key_X},         {u'С', Qt::Key_C},           {u'М', Qt::Key_V},
    {u'И', Qt::Key_B},         {u'Т', Qt::Key_N},           {u'Ь', Qt::Key_M},
    {u'Б', Qt::Key_Comma},     {u'Ю', Qt::Key_Period},      {u'Ё', Qt::Key_QuoteLeft},
};

// Keys that only change other keys or that the windows need for themselves.
constexpr int kUnbindableSpecialKeys[] = {
    Qt::Key_Escape,      Qt::Key_Tab,         Qt::Key_Backtab,     Qt::Key_Shift,
    Qt::Key_Control,     Qt::Key_Meta,        Qt::Key_Alt,         Qt::Key_AltGr,
    Qt::Key_CapsLock,    Qt::Key_NumLock,     Qt::Key_ScrollLock,  Qt::Key_Super_L,
    Qt::Key_Super_R,     Qt::Key_Hyper_L,     Qt::Key_Hyper_R,     Qt::Key_Menu,
    Qt::Key_Mode_switch, Qt::Key_Direction_L, Qt::Key_Direction_R, Qt::Key_unknown,
};

constexpr int kFirstSpecialKey = Qt::Key_Escape;  // 0x01000000
constexpr int kLastSpecialKey = Qt::Key_unknown;  // 0x01ffffff
constexpr int kLastCodePoint = 0x10ffff;

bool IsCharacterKey(int qtKey) {
    if (qtKey < Qt::Key_Space || qtKey > kLastCodePoint) return false;
    const auto code = static_cast<char32_t>(qtKey);
    // Qt gives a letter as its capital: a small letter never comes from a key.
    return QChar::isPrint(code) && !QChar::isLower(code) && LatinLayoutKey(qtKey) == qtKey;
}

}  // namespace

bool IsVolume(int percent) {
    return percent >= 0 && percent <= kMaxVolumePercent;
}

bool IsRepeatDelay(int milliseconds) {
    return milliseconds >= kMinRepeatDelayMs && milliseconds <= kMaxRepeatDelayMs;
}

bool IsRepeatRate(int perSecond) {
    return perSecond >= kMinRepeatRate && perSecond <= kMaxRepeatRate;
}

bool IsZoomFactor(double zoom) {
    return std::find(kZoomFactors.begin(), kZoomFactors.end(), zoom) != kZoomFactors.end();
}

bool IsBindableKey(int qtKey) {
    if (qtKey >= kFirstSpecialKey && qtKey <= kLastSpecialKey) {
        return std::find(std::begin(kUnbindableSpecialKeys), std::end(kUnbindableSpecialKeys),
                         qtKey) == std::end(kUnbindableSpecialKeys);
    }
    return IsCharacterKey(qtKey);
}

int LatinLayoutKey(int qtKey) {
    if (qtKey <= 0 || qtKey > 0xffff) return qtKey;
    const char32_t capital = QChar::toUpper(static_cast<char32_t>(qtKey));
    for (const auto& [letter, latin] : kRussianLayout) {
        if (letter == capital) return latin;
    }
    return qtKey;
}

bool KeyBindings::Valid() const {
    std::array<int, 5> keys = All();
    if (!std::all_of(keys.begin(), keys.end(), IsBindableKey)) return false;
    std::sort(keys.begin(), keys.end());
    return std::adjacent_find(keys.begin(), keys.end()) == keys.end();
}

bool PlayerSettings::Valid() const {
    return IsVolume(musicVolume) && IsVolume(effectsVolume) && keys.Valid() &&
           (!repeatDelayMs || IsRepeatDelay(*repeatDelayMs)) &&
           (!repeatRate || IsRepeatRate(*repeatRate)) && (!zoom || IsZoomFactor(*zoom));
}

}  // namespace kwadrill
