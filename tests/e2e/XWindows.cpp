#include "XWindows.h"

// Xlib after Qt: its macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

struct ImageDestroyer {
    void operator()(XImage* image) const { XDestroyImage(image); }
};

constexpr int kTrueColourDepth = 24;

// A window may go away between finding and grabbing it (a box closes, a game
// ends or crashes): Xlib's default handler would end the test program on the
// spot. The failed request's result then reads as "no window".
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

DisplayHandle OpenDisplay() {
    XSetErrorHandler(IgnoreXError);
    return DisplayHandle(XOpenDisplay(nullptr));
}

}  // namespace

bool SendCloseRequest(unsigned long window) {
    const DisplayHandle display = OpenDisplay();
    if (!display) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] =
        static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display.get(), window, False, NoEventMask, &event);
    XFlush(display.get());
    return sent != 0;
}

QImage GrabWindow(unsigned long window) {
    const DisplayHandle display = OpenDisplay();
    if (!display) return {};
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display.get(), window, &attributes) == 0 ||
        attributes.depth < kTrueColourDepth) {
        return {};
    }
    const std::unique_ptr<XImage, ImageDestroyer> image(
        XGetImage(display.get(), window, 0, 0, static_cast<unsigned>(attributes.width),
                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap));
    if (!image || image->bits_per_pixel != 32) return {};
    // 32-bit TrueColour pixels in the machine's byte order are Qt's RGB32.
    return QImage(reinterpret_cast<const uchar*>(image->data), image->width, image->height,
                  image->bytes_per_line, QImage::Format_RGB32)
        .copy();
}
