#pragma once

#include <QStringList>

namespace kwadrill::art {

// The fonts of the about picture, read from their files (fonts-liberation2)
// so the picture does not change with the fonts a machine has configured.
inline const QString kFontFolder = "/usr/share/fonts/truetype/liberation2/";
inline const QString kTitleFont = kFontFolder + "LiberationSans-BoldItalic.ttf";
inline const QString kBrandFont = kFontFolder + "LiberationSerif-Bold.ttf";
inline const QString kTaglineFont = kFontFolder + "LiberationSerif-Italic.ttf";
inline const QString kCaptionFont = kFontFolder + "LiberationSans-Regular.ttf";
inline const QString kCaptionBoldFont = kFontFolder + "LiberationSans-Bold.ttf";

inline QStringList AboutFontFiles() {
    return {kTitleFont, kBrandFont, kTaglineFont, kCaptionFont, kCaptionBoldFont};
}

}  // namespace kwadrill::art
