// The printer-selection dialog on a real window: its layout, and without a print server an empty
// list, no device context and a Close button that still closes it.

#include <gtest/gtest.h>

#include <cstdlib>

#include "screens/IMSelectPrinterDialog.h"
#include "support/WindowFixture.h"

namespace {

class PrinterDialog : public WindowFixture {
protected:
    PrinterDialog() {
        const char* previous = std::getenv("CUPS_SERVER");
        if (previous) saved_ = previous;
        hadServer_ = previous != nullptr;
        // A socket nobody listens on: the print system answers with no printers.
        ::setenv("CUPS_SERVER", "/nonexistent/tavrelo-no-cupsd.sock", 1);
    }
    ~PrinterDialog() override {
        if (hadServer_)
            ::setenv("CUPS_SERVER", saved_.c_str(), 1);
        else
            ::unsetenv("CUPS_SERVER");
    }
    std::string saved_;
    bool hadServer_ = false;
};

TEST_F(PrinterDialog, LayoutAndNoPrintServer) {
    auto* dialog = new IMSelectPrinterDialog(window);
    update();
    update();
    EXPECT_EQ(dialog->getRect(), (RECT{220, 125, 580, 375}));
    EXPECT_EQ(dialog->printButton->getRect(), (RECT{30, 179, 114, 226}));
    EXPECT_EQ(dialog->closeButton->getRect(), (RECT{221, 179, 332, 226}));
    EXPECT_EQ(dialog->printerList->getRect(), (RECT{30, 58, 330, 158}));
    EXPECT_TRUE(dialog->printerList->items().empty());
    EXPECT_EQ(dialog->printerDC(), nullptr) << "nothing selected: nothing to print on";

    int closed = 0;
    dialog->closed.connect([&](const IMEvent&) { return long(++closed); });
    const auto send = [&](std::uint32_t m, WPARAM flags) {
        window->handleMessage(platform::NativeMessage{m, flags, 0, 220 + 221 + 50, 125 + 179 + 20});
    };
    send(WM_MOUSEMOVE, 0);
    send(WM_LBUTTONDOWN, MK_LBUTTON);
    send(WM_LBUTTONUP, 0);
    EXPECT_EQ(closed, 1);
    update();
    EXPECT_TRUE(window->children().empty()) << "the whole dialog went at the next update pass";
}

} // namespace
