#pragma once

#include <QFont>
#include <QSize>

class QDialog;
class QWidget;

namespace kwadrill {

// The dialogs' font: "MS Sans Serif" at 8 points, which is 11 pixels at 96 dots
// per inch; given in pixels so the fixed layouts hold at any resolution.
inline constexpr char16_t kDialogFontName[] = u"MS Sans Serif";
inline constexpr int kDialogFontPixels = 11;

QFont DialogFont();

// What every secondary window shares: modal, fixed client size, stays on top,
// the dialog font and the button-face colour as its background.
void SetUpDialog(QDialog& dialog, QSize clientSize);

// Places a window's frame at the centre of the screen it is on.
void CentreOnScreen(QWidget& window);

}  // namespace kwadrill
