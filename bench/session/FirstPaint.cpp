// Starts a program and reports when its first top-level window was mapped
// and when that window first showed a painted picture (not one flat colour),
// both in milliseconds from the moment before the program was started. The
// program is left running; its process id is printed for the caller.
//
//   session_first_paint [--timeout ms] -- program [arguments...]
// Output, one line: "pid <pid> mapped_ms <t> painted_ms <t> window <id> <w>x<h>"
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMinWindowSide = 64;  // smaller windows are toolkit helpers, not the game
constexpr int kMinColours = 4;      // a painted window shows more than a flat ground
constexpr int kSampleStride = 3;    // every third pixel in each direction
constexpr auto kPollInterval = std::chrono::milliseconds(2);

struct Found {
    Window window = 0;
    int width = 0;
    int height = 0;
};

// Windows vanish between the query and the read: their errors are expected.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

std::optional<Found> FirstViewableWindow(Display* display) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0)
        return std::nullopt;
    std::optional<Found> found;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) == 0) continue;
        if (attributes.map_state == IsViewable && attributes.width >= kMinWindowSide &&
            attributes.height >= kMinWindowSide && attributes.c_class == InputOutput) {
            found = Found{children[i], attributes.width, attributes.height};
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

bool LooksPainted(Display* display, const Found& found) {
    XImage* image = XGetImage(display, found.window, 0, 0, static_cast<unsigned>(found.width),
                              static_cast<unsigned>(found.height), AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    std::set<unsigned long> colours;
    for (int y = 0; y < found.height && colours.size() < kMinColours; y += kSampleStride) {
        for (int x = 0; x < found.width && colours.size() < kMinColours; x += kSampleStride) {
            colours.insert(XGetPixel(image, x, y));
        }
    }
    XDestroyImage(image);
    return colours.size() >= kMinColours;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    int timeoutMs = 30000;
    int first = 1;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "--timeout") == 0 && first + 1 < argc) {
            timeoutMs = std::atoi(argv[++first]);
        } else if (std::strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        }
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: %s [--timeout ms] -- program [arguments...]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreXError);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[first], argv + first);
        std::perror("exec");
        _exit(127);
    }
    std::optional<double> mappedMs;
    while (MsSince(start) < timeoutMs) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "the program ended before it painted a window\n");
            return 1;
        }
        if (const std::optional<Found> found = FirstViewableWindow(display)) {
            if (!mappedMs) mappedMs = MsSince(start);
            if (LooksPainted(display, *found)) {
                std::printf("pid %d mapped_ms %.1f painted_ms %.1f window 0x%lx %dx%d\n", child,
                            *mappedMs, MsSince(start), found->window, found->width, found->height);
                XCloseDisplay(display);
                return 0;
            }
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    std::printf("pid %d timeout\n", child);
    XCloseDisplay(display);
    return 1;
}
