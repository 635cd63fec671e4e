#pragma once

#include <QImage>
#include <QString>

#include <vector>

// Straight requests to the X server of the test, where no tool offers them.

// Asks a top-level window to close the way a window manager does when its
// close box is clicked: a WM_DELETE_WINDOW client message. The toolkit then
// runs its normal close handling. Without a window manager in the test's X
// server nothing else sends it. False when the display cannot be opened.
bool SendCloseRequest(unsigned long window);

// The window's pixels as the server holds them (parts covered by another
// window show that window); a null image when the window cannot be read.
// Faster than starting a screenshot program for every look at the well.
QImage GrabWindow(unsigned long window);

// The icons a window offers the window manager (_NET_WM_ICON), one image per
// size, in the order given; empty when it offers none.
std::vector<QImage> WindowIcons(unsigned long window);

// Whether a window manager runs on the display: the root names a check window
// that names itself (the EWMH _NET_SUPPORTING_WM_CHECK handshake).
bool WindowManagerRunning();

// A top-level window of a client other than the game, as another program on
// the desktop has one; mapped until it is destroyed.
class OtherClientWindow {
public:
    explicit OtherClientWindow(const QString& caption);
    ~OtherClientWindow();
    OtherClientWindow(const OtherClientWindow&) = delete;
    OtherClientWindow& operator=(const OtherClientWindow&) = delete;

    // Its id in the form xdotool takes; empty when the display cannot be opened.
    QString Id() const;

private:
    struct _XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
};
