// Launch-to-settled-screen timer for the side-by-side benchmark: grabs the X screen every few
// milliseconds from just before it starts a program, then reports the first grab after which the
// screen stays within a tolerance of its final look. Works for any program, ours or a peer's,
// because it looks only at the pixels.
//
// Usage: screen_settle [--interval-ms N] [--seconds S] [--tolerance F] -- program [args...]
// Prints "settled <seconds> grabs <n>" and ends the program with SIGTERM.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Every fourth pixel of every fourth row: enough to see a picture arrive, small enough to keep
// several hundred grabs of a large screen in memory.
constexpr int kStep = 4;
// Channels closer than this count as unchanged (dithering, blinking carets are not "drawing").
constexpr int kChannelSlack = 16;

struct Grab {
    double seconds = 0;
    std::vector<std::uint32_t> pixels;
};

struct Options {
    int intervalMs = 25;
    double seconds = 8;
    double tolerance = 0.02;
    char** command = nullptr;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--" && i + 1 < argc) {
            options.command = argv + i + 1;
            return true;
        }
        if (i + 1 >= argc) return false;
        if (arg == "--interval-ms") options.intervalMs = std::atoi(argv[++i]);
        else if (arg == "--seconds") options.seconds = std::atof(argv[++i]);
        else if (arg == "--tolerance") options.tolerance = std::atof(argv[++i]);
        else return false;
    }
    return false;
}

bool differs(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > kChannelSlack) return true;
    }
    return false;
}

double differentShare(const Grab& a, const Grab& b) {
    std::size_t changed = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        if (differs(a.pixels[i], b.pixels[i])) ++changed;
    return a.pixels.empty() ? 0.0 : static_cast<double>(changed) / static_cast<double>(a.pixels.size());
}

class ScreenGrabber {
public:
    explicit ScreenGrabber(Display* display) : display_(display) {
        const int screen = DefaultScreen(display_);
        root_ = RootWindow(display_, screen);
        width_ = DisplayWidth(display_, screen);
        height_ = DisplayHeight(display_, screen);
        image_ = XShmCreateImage(display_, DefaultVisual(display_, screen),
                                 static_cast<unsigned>(DefaultDepth(display_, screen)), ZPixmap,
                                 nullptr, &shm_, static_cast<unsigned>(width_),
                                 static_cast<unsigned>(height_));
        if (!image_) return;
        shm_.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image_->bytes_per_line) *
                                             static_cast<std::size_t>(height_),
                            IPC_CREAT | 0600);
        shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        XShmAttach(display_, &shm_);
        shmctl(shm_.shmid, IPC_RMID, nullptr);
    }
    ~ScreenGrabber() {
        if (!image_) return;
        XShmDetach(display_, &shm_);
        XDestroyImage(image_);
        shmdt(shm_.shmaddr);
    }
    ScreenGrabber(const ScreenGrabber&) = delete;
    ScreenGrabber& operator=(const ScreenGrabber&) = delete;

    bool usable() const { return image_ != nullptr; }

    bool grab(Grab& out) {
        if (!XShmGetImage(display_, root_, image_, 0, 0, AllPlanes)) return false;
        out.pixels.clear();
        out.pixels.reserve(static_cast<std::size_t>(width_ / kStep) *
                           static_cast<std::size_t>(height_ / kStep));
        for (int y = 0; y < height_; y += kStep)
            for (int x = 0; x < width_; x += kStep)
                out.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image_, x, y)));
        return true;
    }

private:
    Display* display_;
    Window root_ = 0;
    int width_ = 0;
    int height_ = 0;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
};

std::vector<Grab> grabWhileRunning(ScreenGrabber& grabber, const Options& options) {
    std::vector<Grab> grabs;
    grabs.reserve(static_cast<std::size_t>(options.seconds * 1000 / options.intervalMs) + 2);
    const auto start = Clock::now();
    Grab before;
    grabber.grab(before);
    before.seconds = 0;
    grabs.push_back(std::move(before));

    const pid_t child = fork();
    if (child == 0) {
        execvp(options.command[0], options.command);
        std::perror("screen_settle: exec");
        _exit(127);
    }
    const auto interval = std::chrono::milliseconds(options.intervalMs);
    auto next = start + interval;
    while (std::chrono::duration<double>(Clock::now() - start).count() < options.seconds) {
        std::this_thread::sleep_until(next);
        next += interval;
        Grab grab;
        if (!grabber.grab(grab)) break;
        grab.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        grabs.push_back(std::move(grab));
        if (waitpid(child, nullptr, WNOHANG) == child) break;
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return grabs;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options) || options.intervalMs <= 0) {
        std::fprintf(stderr, "usage: screen_settle [--interval-ms N] [--seconds S] "
                             "[--tolerance F] -- program [args...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "screen_settle: no X display\n");
        return 2;
    }
    std::vector<Grab> grabs;
    {
        ScreenGrabber grabber(display);
        if (!grabber.usable()) {
            std::fprintf(stderr, "screen_settle: the X server has no shared-memory images\n");
            return 2;
        }
        grabs = grabWhileRunning(grabber, options);
    }
    XCloseDisplay(display);

    // Walk back from the final look to the earliest grab from which every later one stays close.
    const Grab& last = grabs.back();
    std::size_t settled = grabs.size() - 1;
    while (settled > 0 && differentShare(grabs[settled - 1], last) <= options.tolerance) --settled;
    std::printf("settled %.3f grabs %zu\n", grabs[settled].seconds, grabs.size());
    return 0;
}
