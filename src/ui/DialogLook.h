#pragma once

#include <QFont>
#include <QIcon>
#include <QSize>

class QDialog;
class QWidget;

namespace kwadrill {

// The dialogs' font: "MS Sans Serif" at 8 points, which is 11 pixels at 96 dots
// per inch; given in pixels so the fixed layouts hold at any resolution.
inline constexpr char16_t kDialogFontName[] = u"MS Sans Serif";
inline constexpr int kDialogFontPixels = 11;

QFont DialogFont();

// A title and a close box, nothing else: with the fixed size this is what
// window managers show as a fixed dialog. Asking for no button at all would
// leave them free to add every button, and a system menu takes caption room.
inline constexpr Qt::WindowFlags kFixedDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
    Qt::WindowStaysOnTopHint;

// What every secondary window shares: modal, fixed client size, the flags above,
// the dialog font and the button-face colour as its background.
void SetUpDialog(QDialog& dialog, QSize clientSize);

// The game's own icon, at every size it is drawn in, for its windows.
QIcon GameIcon();

// Places a window's frame at the centre of the screen it is on.
void CentreOnScreen(QWidget& window);

}  // namespace kwadrill
