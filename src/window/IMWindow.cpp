#include "window/IMWindow.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Clock.h"
#include "platform/Cursor.h"
#include "platform/MessageQueue.h"
#include "platform/NativeWindow.h"
#include "platform/Platform.h"
#include "resources/EmbeddedAssets.h"
#include "resources/IMResourceManager.h"
#include "resources/ImageDecoder.h"

namespace {
IMWindow* g_window = nullptr;
// Without timers or animation the loop still wakes now and then; input wakes it at once.
constexpr int kLongestIdleWaitMs = 250;
} // namespace

IMWindow* imWindow() { return g_window; }

namespace {
// The window icon is an embedded picture, as the program's icon resource was.
void setProgramIcon(platform::NativeWindow& native) {
    const resources::EmbeddedAsset* asset = resources::findEmbeddedAsset(std::string_view("ProgramIcon"));
    if (!asset) return;
    std::vector<std::uint32_t> pixels;
    int width = 0;
    resources::DecodedPicture picture;
    const bool decoded = resources::decodePicture(
        asset->bytes,
        [&](int w, int h) -> std::optional<resources::TexelTarget> {
            width = w;
            pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
            return resources::TexelTarget{reinterpret_cast<std::uint8_t*>(pixels.data()), w * 4};
        },
        picture);
    if (decoded) native.setIcon(pixels.data(), width, picture.height);
}
} // namespace

IMWindow::IMWindow(std::unique_ptr<platform::NativeWindow> native)
    : IMDialogBase<IMEmptyView>(nullptr, std::nullopt, 0), native_(std::move(native)) {}

IMWindow* IMWindow::create(const RECT& rect, void*, const std::wstring& caption, bool windowed,
                           void*) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        width = SCREEN_WIDTH;
        height = SCREEN_HEIGHT;
    }
    std::string error;
    auto native = platform::NativeWindow::create(caption, width, height, windowed, error);
    if (!native) {
        std::fprintf(stderr, "Не удалось создать окно программы: %s\n", error.c_str());
        std::exit(EXIT_FAILURE);
    }
    platform::discardMessages();
    setProgramIcon(*native);
    startResources(*native, windowed);
    auto* window = new IMWindow(std::move(native));
    g_window = window;
    window->native_->show();
    window->setChanged(true);
    return window;
}

IMWindow::~IMWindow() {
    deletePending();
    shutdownResources();
    if (g_window == this) g_window = nullptr;
    timers_.clear();
    native_.reset();
}

long IMWindow::detach() {
    platform::postQuitMessage(0);
    return 0;
}

long IMWindow::tick() {
    POINT p;
    platform::getCursorPos(p);
    const RECT client{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    const bool inside = ptInRect(client, p.x, p.y);
    if (inside && !isHovered()) onMouseEnter(IMMouseEvent(this, IM_MSG_MOUSE_ENTER, 0, p.x, p.y));
    if (!inside && isHovered()) onMouseLeave(IMMouseEvent(this, WM_MOUSELEAVE, 0, p.x, p.y));
    return 0;
}

void IMWindow::render() {
    IMResourceManager* rm = resourceManager();
    if (paused_ || !rm) return;
    if (isChanged()) {
        rm->clear(0xFF000000);
        rm->beginScene();
        onPaint(IMEvent(this, IM_MSG_PAINT));
        rm->countFrame();
        rm->endScene();
        rm->present();
        setChanged(false);
    } else {
        rm->countFrame();
    }
}

long IMWindow::setCursorPos(int x, int y) {
    POINT origin{0, 0};
    platform::clientToScreen(origin);
    platform::setCursorPos(origin.x + x, origin.y + y);
    return 0;
}

int IMWindow::createTimer(std::uint32_t intervalMs) {
    const int id = ++lastTimerId_;
    auto record = std::make_shared<TimerRecord>();
    record->interval = intervalMs;
    record->lastFired = platform::clock().performanceCounter();
    timers_.emplace(id, std::move(record));
    return id;
}

IMConnection IMWindow::connectTimer(int id, const TimerSlot& slot) {
    auto it = timers_.find(id);
    if (id == 0 || it == timers_.end()) return IMConnection();
    return it->second->fired.connect(slot);
}

void IMWindow::killTimer(int id) {
    auto it = timers_.find(id);
    if (id == 0 || it == timers_.end()) return;
    it->second->fired.disconnect_all_slots();
    timers_.erase(it);
}

void IMWindow::fireDueTimers() {
    if (timers_.empty()) return;
    const platform::Clock& clock = platform::clock();
    const auto now = static_cast<std::int64_t>(clock.performanceCounter());
    const auto freq = static_cast<std::int64_t>(clock.performanceFrequency());
    for (auto it = timers_.begin(); it != timers_.end();) {
        const int id = it->first;
        // Holding the record keeps its signal alive if a slot kills the timer while it runs.
        std::shared_ptr<TimerRecord> record = it->second;
        const std::int64_t elapsed =
            (now - static_cast<std::int64_t>(record->lastFired)) * 1000 / freq;
        if (elapsed >= static_cast<std::int64_t>(record->interval)) {
            record->lastFired = clock.performanceCounter();
            if (!record->fired.empty()) record->fired(IMEvent(this, IM_MSG_STATE));
        }
        // Callbacks may kill their own timer or create new ones: continue after this id.
        it = timers_.upper_bound(id);
    }
}

void IMWindow::updateAndRender() {
    IMResourceManager* rm = resourceManager();
    if (rm && rm->isDeviceLost()) return;
    onUpdate(IMEvent(this, IM_MSG_CLOSE));
    render();
}

bool IMWindow::pumpOnce() {
    platform::NativeMessage message;
    while (platform::peekMessage(message)) {
        if (message.message == WM_QUIT) return false;
        handleMessage(message);
    }
    updateAndRender();
    fireDueTimers();
    return true;
}

int IMWindow::idleWaitMs() const {
    if (!frameRequesters_.empty()) return 1;
    if (timers_.empty()) return kLongestIdleWaitMs;
    const platform::Clock& clock = platform::clock();
    const auto now = static_cast<std::int64_t>(clock.performanceCounter());
    const auto freq = static_cast<std::int64_t>(clock.performanceFrequency());
    std::int64_t soonest = kLongestIdleWaitMs;
    for (const auto& [id, record] : timers_) {
        const std::int64_t dueAt =
            static_cast<std::int64_t>(record->lastFired) +
            (static_cast<std::int64_t>(record->interval) * freq + 999) / 1000;
        const std::int64_t remainingMs = (dueAt - now) * 1000 / freq + 1;
        if (remainingMs < soonest) soonest = remainingMs;
    }
    return soonest < 0 ? 0 : static_cast<int>(soonest);
}

int IMWindow::run(IMWindow* window) {
    while (window && window->pumpOnce()) platform::waitForMessages(window->idleWaitMs());
    return 0;
}

void IMWindow::setRegisteredMessageHandler(
    std::function<void(std::uint32_t, WPARAM, LPARAM)> handler) {
    registeredHandler_ = std::move(handler);
}

void IMWindow::requestFrameTicks(const void* requester, bool on) {
    if (on)
        frameRequesters_.insert(requester);
    else
        frameRequesters_.erase(requester);
}

void IMWindow::handleMessage(const platform::NativeMessage& m) {
    if (m.message >= 0xC000 && registeredHandler_) registeredHandler_(m.message, m.wParam, m.lParam);
    IMResourceManager* rm = resourceManager();
    switch (m.message) {
    case WM_DESTROY: platform::postQuitMessage(0); break;
    case WM_SIZE: paused_ = m.wParam == SIZE_MINIMIZED; break;
    case WM_PAINT:
        if (!rm || !rm->isDeviceLost() || rm->restoreDevice()) setChanged(true);
        break;
    case WM_CLOSE:
        onClose(IMEvent(this, IM_MSG_CLOSE));
        // The default processing destroys the native window, which posts the quit message.
        platform::postQuitMessage(0);
        break;
    case WM_SHOWWINDOW: paused_ = m.wParam == 0; break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: onKey(IMKeyboardEvent(this, m.message, m.wParam, m.lParam)); break;
    case WM_MOUSEMOVE:
        if (!rm || !rm->isDeviceLost()) onMouseMove(IMMouseEvent(this, WM_MOUSEMOVE, m.wParam, m.x, m.y));
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL: onMouseButton(IMMouseEvent(this, m.message, m.wParam, m.x, m.y)); break;
    case WM_ENTERSIZEMOVE: paused_ = true; break;
    case WM_EXITSIZEMOVE: paused_ = false; break;
    default: break;
    }
}
