// Printing end to end: a private cupsd with two PDF queues, the printer list, and a printed
// report read back from the PDF that the cups-pdf backend writes.

#include "events/WideText.h"
#include "platform/print/CairoPrinterDeviceContext.h"
#include "platform/print/PrinterList.h"
#include "screens/IMSelectPrinterDialog.h"
#include "report/ReportPrinter.h"
#include "report_test_support.h"
#include "support/WindowFixture.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace report_test;
using namespace std::chrono_literals;

namespace {

namespace fs = std::filesystem;

std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

bool canConnect(const fs::path& socketPath) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// A cupsd of our own: its configuration, spool and socket live in a temporary folder, it
// listens on that socket only, and it is stopped when the test ends.
class PrivateCupsd {
public:
    PrivateCupsd() {
        fs::permissions(dir_.path(), fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
        for (const char* sub : {"root", "spool", "spool/tmp", "cache", "state", "log"})
            fs::create_directories(dir_ / sub);
        socket_ = dir_ / "cups.sock";
        writeFile(dir_ / "cupsd.conf",
                  "Listen " + socket_.string() +
                      "\nLogLevel info\nWebInterface No\nBrowsing No\n"
                      "DefaultAuthType None\n<Location />\n  Order allow,deny\n"
                      "  Allow all\n</Location>\n");
        const std::string d = dir_.path().string();
        writeFile(dir_ / "cups-files.conf",
                  "ServerRoot " + d + "/root\nRequestRoot " + d + "/spool\nTempDir " + d +
                      "/spool/tmp\nCacheDir " + d + "/cache\nStateDir " + d + "/state\nAccessLog " +
                      d + "/log/access_log\nErrorLog " + d + "/log/error_log\nPageLog " + d +
                      "/log/page_log\nSandboxing Relaxed\n");

        const std::string conf = (dir_ / "cupsd.conf").string();
        const std::string files = (dir_ / "cups-files.conf").string();
        const char* argv[] = {"/usr/sbin/cupsd", "-f",   "-c", conf.c_str(), "-s",
                              files.c_str(),     nullptr};
        if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            pid_ = -1;
        for (auto waited = 0ms; pid_ > 0 && waited < 10s; waited += 50ms) {
            if (canConnect(socket_)) {
                ready_ = true;
                break;
            }
            std::this_thread::sleep_for(50ms);
        }
    }
    ~PrivateCupsd() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    bool ready() const { return ready_; }
    const fs::path& socket() const { return socket_; }
    std::string errorLog() const { return readFile(dir_ / "log/error_log"); }

private:
    TempDir dir_;
    fs::path socket_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

std::vector<fs::path> pdfsIn(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.path().extension() == ".pdf")
            found.push_back(entry.path());
    return found;
}

// The cups-pdf backend writes into ~/PDF of the user the job belongs to.
fs::path cupsPdfOutputFolder() {
    const passwd* user = ::getpwuid(::getuid());
    return fs::path(user && user->pw_dir ? user->pw_dir : "/root") / "PDF";
}

// Waits for a PDF that was not in `before` and holds `marker`, and gives its text (empty when
// none came). The PDF itself is removed.
std::string waitForPrintedText(const fs::path& folder, const std::vector<fs::path>& before,
                               const std::string& marker) {
    for (auto waited = 0ms; waited < 60s; waited += 200ms) {
        std::this_thread::sleep_for(200ms);
        for (const auto& pdf : pdfsIn(folder)) {
            if (std::find(before.begin(), before.end(), pdf) != before.end())
                continue;
            const std::string content = run("/usr/bin/pdftotext -layout '" + pdf.string() + "' -");
            if (content.find(marker) != std::string::npos) {
                fs::remove(pdf);
                return content;
            }
        }
    }
    return {};
}

// The header in label order, then the rows in order, each label before its value.
void expectHeaderAndRowsInOrder(const std::string& text, const std::string& marker) {
    std::size_t at = 0;
    for (const std::string& expected :
         std::vector<std::string>{"Название", "Упражнение", "Номер ЦОР", "00061", "Ученик", "Маша",
                                  "Время начала работы", marker, "Количество повторов инструкции",
                                  "3", "Время работы", "00:04:12"}) {
        const std::size_t found = text.find(expected, at);
        ASSERT_NE(found, std::string::npos)
            << "\"" << expected << "\" missing or out of order in:\n"
            << text;
        at = found + expected.size();
    }
}

const report::PrintHeader kHeader = {
    {u"Номер ЦОР", u"00061"}, {u"Название", u"Упражнение"}, {u"Ученик", u"Маша"}};

// A real window (headless under the test environment) for the printer-selection dialog.
class CupsPrintTest : public WindowFixture {};

TEST_F(CupsPrintTest, ListsThePrintersAndPrintsAReportIntoAPdf) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "starting a private cupsd needs root";
    for (const char* tool :
         {"/usr/sbin/cupsd", "/usr/sbin/lpadmin", "/usr/bin/pdftotext",
          "/usr/lib/cups/backend/cups-pdf", "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"})
        if (!fs::exists(tool))
            GTEST_SKIP() << tool
                         << " is missing (packages cups, printer-driver-cups-pdf, poppler-utils)";

    PrivateCupsd cupsd;
    ASSERT_TRUE(cupsd.ready()) << "cupsd did not start:\n" << cupsd.errorLog();
    ::setenv("CUPS_SERVER", cupsd.socket().c_str(), 1);
    ::unsetenv("PRINTER");
    ::unsetenv("LPDEST");

    for (const char* queue : {"Alpha", "PDF"}) {
        const std::string add = std::string("/usr/sbin/lpadmin -p ") + queue +
                                " -v cups-pdf:/ -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd"
                                " -o pdftops-renderer-default=pdftocairo";
        const std::string output = run(add);
        ASSERT_NE(run(std::string("/usr/bin/lpstat -p ") + queue).find("enabled"),
                  std::string::npos)
            << output;
    }
    run("/usr/sbin/lpadmin -d PDF");

    const platform::PrinterList printers = platform::listPrinters();
    EXPECT_EQ(printers.names, (std::vector<std::u16string>{u"Alpha", u"PDF"}));
    EXPECT_EQ(printers.defaultIndex, std::optional<std::size_t>(1));

    EXPECT_EQ(platform::createPrinterDeviceContext(u"Нет такого принтера"), nullptr);
    auto dc = platform::createPrinterDeviceContext(u"PDF");
    ASSERT_NE(dc, nullptr);
    // 600 units an inch on the queue's default A4 paper, which has no margins; a 12-point font.
    EXPECT_NEAR(dc->pageWidth(), 4960, 3);
    EXPECT_NEAR(dc->pageHeight(), 7015, 3);
    EXPECT_NEAR(dc->lineHeight(), 115, 15);
    EXPECT_GT(dc->averageCharWidth(), 30);
    EXPECT_GT(dc->textWidth(u"Ширина"), dc->textWidth(u"Ш"));

    TempDir dir;
    report::SpreadsheetReport report(u16(dir / "r.xls"), u"Маша");
    const std::u16string marker = u"Метка" + report::fromUtf8(std::to_string(::getpid()));
    report.addRow(u"Время начала работы", marker, u"String");
    report.addRow(u"Количество повторов инструкции", u"3", u"Number");
    report.addEmptyRow();
    report.addRow(u"Время работы", u"00:04:12", u"String");

    const fs::path out = cupsPdfOutputFolder();
    const auto before = pdfsIn(out);
    ASSERT_TRUE(report::printReport(report, dc.get(), kHeader));
    const std::string text = waitForPrintedText(out, before, report::toUtf8(marker));
    ASSERT_FALSE(text.empty()) << "no PDF with the report appeared in " << out << "\n"
                               << cupsd.errorLog();
    expectHeaderAndRowsInOrder(text, report::toUtf8(marker));
    // pdftotext ends every page with a form feed.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 1) << "one page";

    // Rows that fill the first page exactly: the header's lines and a blank one, then rows one
    // line apart until two more lines would reach the bottom. Nothing follows, so one page.
    {
        const int line = dc->lineHeight();
        int y = line * (1 + static_cast<int>(kHeader.size()) + 1);
        int rowsOnFirstPage = 1;
        while (y + 2 * line < dc->pageHeight()) {
            y += line;
            ++rowsOnFirstPage;
        }
        report::SpreadsheetReport full(u16(dir / "full.xls"), u"Маша");
        const std::u16string fullMarker = u"Полная" + report::fromUtf8(std::to_string(::getpid()));
        full.addRow(u"Время начала работы", fullMarker, u"String");
        for (int row = 1; row < rowsOnFirstPage; ++row)
            full.addRow(u"Строка", report::fromUtf8(std::to_string(row)), u"Number");
        auto fullDc = platform::createPrinterDeviceContext(u"PDF");
        ASSERT_NE(fullDc, nullptr);
        const auto beforeFull = pdfsIn(out);
        ASSERT_TRUE(report::printReport(full, fullDc.get(), kHeader));
        const std::string fullText = waitForPrintedText(out, beforeFull, report::toUtf8(fullMarker));
        ASSERT_FALSE(fullText.empty()) << cupsd.errorLog();
        EXPECT_NE(fullText.find(std::to_string(rowsOnFirstPage - 1)), std::string::npos)
            << "the last row is printed";
        EXPECT_EQ(std::count(fullText.begin(), fullText.end(), '\f'), 1)
            << rowsOnFirstPage << " rows fill one page and no empty page follows";
    }

    // The same through the printer-selection dialog, as the completion screen does it: the Print
    // button prints on the device context of the selected printer, then closes the dialog.
    auto* dialog = new IMSelectPrinterDialog(window);
    update();
    update();
    std::vector<std::wstring> listed;
    for (const IMList::Item* item : dialog->printerList->items())
        listed.push_back(item->getText());
    EXPECT_EQ(listed, (std::vector<std::wstring>{L"Alpha", L"PDF"}));
    ASSERT_NE(dialog->printerList->selectedItem(), nullptr);
    EXPECT_EQ(dialog->printerList->selectedItem()->getText(), L"PDF");

    const std::u16string dialogMarker = u"Диалог" + report::fromUtf8(std::to_string(::getpid()));
    report::SpreadsheetReport dialogReport(u16(dir / "d.xls"), u"Маша");
    dialogReport.addRow(u"Время начала работы", dialogMarker, u"String");
    dialogReport.addRow(u"Количество повторов инструкции", u"3", u"Number");
    dialogReport.addRow(u"Время работы", u"00:04:12", u"String");
    bool printed = false;
    int closed = 0;
    dialog->printButton->clicked.connect([&](const IMMouseEvent&) {
        const auto printerDc = dialog->printerDC();
        printed = printerDc && report::printReport(dialogReport, printerDc.get(), kHeader);
        return 0L;
    });
    dialog->printButton->clicked.connect([&](const IMMouseEvent&) {
        dialog->close();
        return 0L;
    });
    dialog->closed.connect([&](const IMEvent&) { return long(++closed); });

    const auto beforeDialog = pdfsIn(out);
    const auto click = [&](std::uint32_t message, WPARAM flags) {
        window->handleMessage(
            platform::NativeMessage{message, flags, 0, 220 + 30 + 40, 125 + 179 + 20});
    };
    click(WM_MOUSEMOVE, 0);
    click(WM_LBUTTONDOWN, MK_LBUTTON);
    click(WM_LBUTTONUP, 0);
    EXPECT_TRUE(printed) << "the job was not handed to the printer";
    EXPECT_EQ(closed, 1);
    update();
    EXPECT_TRUE(window->children().empty()) << "the dialog went at the next update pass";

    const std::string dialogText =
        waitForPrintedText(out, beforeDialog, report::toUtf8(dialogMarker));
    ASSERT_FALSE(dialogText.empty()) << "no PDF from the dialog appeared in " << out << "\n"
                                     << cupsd.errorLog();
    expectHeaderAndRowsInOrder(dialogText, report::toUtf8(dialogMarker));

    // A queue that refuses jobs: the job cannot start and nothing is printed.
    run("/usr/sbin/cupsreject Alpha");
    auto refusing = platform::createPrinterDeviceContext(u"Alpha");
    ASSERT_NE(refusing, nullptr);
    EXPECT_FALSE(report::printReport(report, refusing.get(), {}));
}

} // namespace

namespace {

TEST_F(CupsPrintTest, WithoutAPrintServerThereAreNoPrintersAndNothingToPrintOn) {
    TempDir dir;
    const std::string missing = (dir / "no-such-cupsd.sock").string();
    const char* previous = std::getenv("CUPS_SERVER");
    const std::string saved = previous ? previous : "";
    ::setenv("CUPS_SERVER", missing.c_str(), 1);
    platform::PrinterList printers{{u"untouched"}, 0};
    bool contextMade = true;
    // libcups remembers its server per thread: a fresh thread reads the variable anew.
    std::thread([&] {
        printers = platform::listPrinters();
        contextMade = platform::createPrinterDeviceContext(u"PDF") != nullptr;
    }).join();
    if (previous)
        ::setenv("CUPS_SERVER", saved.c_str(), 1);
    else
        ::unsetenv("CUPS_SERVER");
    EXPECT_TRUE(printers.names.empty());
    EXPECT_FALSE(printers.defaultIndex.has_value());
    EXPECT_FALSE(contextMade);
}

} // namespace
