#pragma once

#include <QVariantMap>

#include "PlayerSettings.h"

namespace kwadrill {

// The player's settings as values of the settings store: each under its own
// key of the group "player", beside "lng" and "hsc", as text.

// A value that is missing, is not text, does not parse or is out of its
// range reads as its default, without a word; five keys that are not all
// bindable and different read as the standard keys.
PlayerSettings PlayerSettingsFromValues(const QVariantMap& values);

// Every key of the group: the value's text, or an invalid QVariant (remove
// the key) for a value at its default, so that a player who never changes
// anything leaves the store as it was.
QVariantMap PlayerSettingsToValues(const PlayerSettings& settings);

}  // namespace kwadrill
