#include "XWindows.h"

// Xlib after Qt: its macros clash with Qt's names.
#include <X11/Xatom.h>
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
constexpr QSize kOtherWindowSize{240, 120};

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

std::vector<QImage> WindowIcons(unsigned long window) {
    const DisplayHandle display(XOpenDisplay(nullptr));
    if (!display) return {};
    const Atom property = XInternAtom(display.get(), "_NET_WM_ICON", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    // The whole property at once: 256 x 256 and every smaller size.
    constexpr long kMaxLongs = 1L << 20;
    if (XGetWindowProperty(display.get(), window, property, 0, kMaxLongs, False, XA_CARDINAL, &type,
                           &format, &count, &remaining, &data) != Success ||
        !data) {
        return {};
    }
    const std::unique_ptr<unsigned char, int (*)(void*)> owned(data, XFree);
    if (format != 32) return {};
    // Format-32 items come as longs: width, height, then ARGB pixels, per icon.
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    std::vector<QImage> icons;
    for (unsigned long at = 0; at + 2 <= count;) {
        const auto width = static_cast<int>(items[at]);
        const auto height = static_cast<int>(items[at + 1]);
        at += 2;
        if (width <= 0 || height <= 0 || at + static_cast<unsigned long>(width) * height > count) {
            break;
        }
        QImage icon(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                icon.setPixel(x, y, static_cast<QRgb>(items[at++]));
            }
        }
        icons.push_back(icon);
    }
    return icons;
}

namespace {

// The window a root or check window names in _NET_SUPPORTING_WM_CHECK; 0 for none.
Window SupportingWmCheck(Display* display, Window window) {
    const Atom property = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &remaining, &data) != Success ||
        !data) {
        return 0;
    }
    const std::unique_ptr<unsigned char, int (*)(void*)> owned(data, XFree);
    return format == 32 && count == 1 ? *reinterpret_cast<const Window*>(data) : 0;
}

}  // namespace

bool WindowManagerRunning() {
    const DisplayHandle display = OpenDisplay();
    if (!display) return false;
    const Window check = SupportingWmCheck(display.get(), DefaultRootWindow(display.get()));
    return check != 0 && SupportingWmCheck(display.get(), check) == check;
}

OtherClientWindow::OtherClientWindow(const QString& caption) {
    XSetErrorHandler(IgnoreXError);
    display_ = XOpenDisplay(nullptr);
    if (!display_) return;
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0,
                                  static_cast<unsigned>(kOtherWindowSize.width()),
                                  static_cast<unsigned>(kOtherWindowSize.height()), 1,
                                  BlackPixel(display_, screen), WhitePixel(display_, screen));
    const QByteArray name = caption.toUtf8();
    XStoreName(display_, window_, name.constData());
    // In the top left corner, where the window manager leaves it: clear of
    // the game, which opens in the middle of the screen.
    XSizeHints place{};
    place.flags = USPosition | USSize;
    place.width = kOtherWindowSize.width();
    place.height = kOtherWindowSize.height();
    XSetWMNormalHints(display_, window_, &place);
    XMapRaised(display_, window_);
    XSync(display_, False);
}

OtherClientWindow::~OtherClientWindow() {
    if (!display_) return;
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

QString OtherClientWindow::Id() const {
    return display_ ? QString::number(window_) : QString();
}
