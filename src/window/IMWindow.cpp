#include "window/IMWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/Clock.h"
#include "platform/Cursor.h"
#include "platform/MessageQueue.h"
#include "platform/NativeWindow.h"
#include "platform/Platform.h"
#include "resources/EmbeddedAssets.h"
#include "window/IMResourceManager.h"
#include "resources/ImageDecoder.h"

namespace {
IMWindow* g_window = nullptr;
// A control that wants every frame but has not said when its next one is due gets a turn at
// least once a millisecond, so that no frame of it is late.
constexpr int kFrameTickWaitMs = 1;
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
    : IMDialogBase<IMEmptyView>(nullptr, std::nullopt, 0), native_(std::move(native)) {
    setWindowTimers(&timers_);
}

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
    if (windowTimers() == &timers_) setWindowTimers(nullptr);
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
        if (native_) native_->finishShowing();
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

bool IMWindow::canDraw() const {
    IMResourceManager* rm = resourceManager();
    return !paused_ && (!rm || !rm->isDeviceLost());
}

int IMWindow::idleWaitMs() const {
    // A timer or a message changed the tree after this turn's frame: draw it now, not a period
    // later. Not while minimised or without a device, where nothing would be drawn.
    if (canDraw() && isChanged()) return 0;
    const std::optional<int> frame = timers_.msUntilNextFrame(kFrameTickWaitMs);
    const std::optional<int> timer = timers_.msUntilNextDue();
    if (frame && timer) return std::min(*frame, *timer);
    if (frame) return *frame;
    return timer ? *timer : -1;
}

int IMWindow::run(IMWindow* window) {
    while (window && window->pumpOnce()) platform::waitForMessages(window->idleWaitMs());
    return 0;
}

void IMWindow::close() {
    if (closing_) return;
    closing_ = true;
    IMDialogBase<IMEmptyView>::close();
}

void IMWindow::handleMessage(const platform::NativeMessage& m) {
    IMResourceManager* rm = resourceManager();
    if (m.message >= 0xC000 && rm && rm->isSoundMessage(m.message))
        rm->handleSoundMessage(m.message, m.wParam, m.lParam);
    switch (m.message) {
    case WM_DESTROY: platform::postQuitMessage(0); break;
    case WM_SIZE: paused_ = m.wParam == SIZE_MINIMIZED; break;
    case WM_PAINT:
        if (!rm || !rm->isDeviceLost() || rm->restoreDevice()) setChanged(true);
        break;
    case WM_CLOSE:
        // The default processing destroys the native window, which posts the quit message.
        close();
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
