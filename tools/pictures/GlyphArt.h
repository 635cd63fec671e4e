#pragma once

#include <QString>
#include <QStringList>

#include "Canvas.h"

namespace kwadrill::art {

// Side of a button glyph at scale 1; the art is drawn in these units.
inline constexpr int kGlyphSize = 17;

// Names of the button glyphs: START, PAUSE, SCORES, MUSIC, SOUND, RULES, ABOUT,
// and MUSIC_OFF, SOUND_OFF for the two switches when they are off.
QStringList GlyphNames();

// Draws the named glyph on white (the transparent colour of the buttons).
void DrawGlyph(Canvas& canvas, const QString& name);

}  // namespace kwadrill::art
