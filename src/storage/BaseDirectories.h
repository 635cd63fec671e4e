#pragma once

#include <QStringList>

namespace kwadrill {

// The freedesktop base-directory variables hold absolute paths; a relative
// one is invalid and must be ignored, or the files it names would land
// wherever the game happens to be started. This removes each such variable
// from the process's environment, so that Qt and the game's own reads fall
// back as if it were unset; from a list (XDG_DATA_DIRS, XDG_CONFIG_DIRS) only
// its relative entries go, the variable too when none is left. Call it first
// thing in main, before anything reads them. Returns one line for stderr per
// variable changed.
QStringList IgnoreRelativeBaseDirectories();

}  // namespace kwadrill
