#include "DialogLook.h"

#include <QDialog>
#include <QDir>
#include <QPalette>
#include <QScreen>

namespace kwadrill {

QFont DialogFont() {
    QFont font(QString::fromUtf16(kDialogFontName));
    font.setPixelSize(kDialogFontPixels);
    return font;
}

void SetUpDialog(QDialog& dialog, QSize clientSize) {
    dialog.setModal(true);
    dialog.setWindowFlags(kFixedDialogFlags);
    dialog.setFixedSize(clientSize);
    dialog.setFont(DialogFont());
    QPalette palette = dialog.palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    dialog.setPalette(palette);
    dialog.setAutoFillBackground(true);
}

QIcon GameIcon() {
    QIcon icon;
    const QString folder = QStringLiteral(":/icons/");
    for (const QString& size : QDir(folder).entryList(QDir::Files)) {
        icon.addFile(folder + size);
    }
    return icon;
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace kwadrill
