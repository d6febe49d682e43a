#include "platform/print/CairoPrinterDeviceContext.h"

#include "report/ReportText.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <cmath>
#include <cstdlib>
#include <cups/cups.h>
#include <string_view>
#include <unistd.h>

namespace platform {
namespace {

constexpr double kDeviceDpi = 600.0;
constexpr double kPointsPerInch = 72.0;
constexpr double kFontSizePoints = 12.0;
constexpr char kFontFamily[] = "Liberation Sans";

double hundredthsMmToPoints(int value) {
    return value / 2540.0 * kPointsPerInch;
}
double pointsToDevice(double points) {
    return points / kPointsPerInch * kDeviceDpi;
}

struct Paper {
    double widthPoints = 595.28; // A4, used when the printer does not say
    double heightPoints = 841.89;
    double leftPoints = 18.0;
    double topPoints = 18.0;
    double rightPoints = 18.0;
    double bottomPoints = 18.0;
};

struct Destination {
    bool found = false;
    bool acceptingJobs = true;
    Paper paper;
};

Paper paperOf(cups_dest_t* dest, cups_dinfo_t* info, const Paper& fallback) {
    // The queue's own default paper: cupsGetDestMediaDefault alone answers US Letter for any
    // queue without a "media" option, whatever its driver says.
    const char* media = cupsGetOption(CUPS_MEDIA, dest->num_options, dest->options);
    if (!media) {
        if (ipp_attribute_t* attr = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA))
            media = ippGetString(attr, 0, nullptr);
    }
    cups_size_t size{};
    const bool known =
        (media && cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, info, media, 0, &size)) ||
        cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size);
    if (!known || size.width <= 0 || size.length <= 0)
        return fallback;
    return {hundredthsMmToPoints(size.width), hundredthsMmToPoints(size.length),
            hundredthsMmToPoints(size.left),  hundredthsMmToPoints(size.top),
            hundredthsMmToPoints(size.right), hundredthsMmToPoints(size.bottom)};
}

Destination lookUp(const std::string& name) {
    Destination result;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    if (cups_dest_t* dest = cupsGetDest(name.c_str(), nullptr, count, dests)) {
        result.found = true;
        const char* accepting =
            cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
        result.acceptingJobs = !accepting || std::string_view(accepting) != "false";
        if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
            result.paper = paperOf(dest, info, result.paper);
            cupsFreeDestInfo(info);
        }
    }
    cupsFreeDests(count, dests);
    return result;
}

void useReportFont(cairo_t* cr) {
    cairo_font_options_t* options = cairo_font_options_create();
    // Unhinted metrics are the ones the PDF keeps, whatever surface measures them.
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_select_font_face(cr, kFontFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, pointsToDevice(kFontSizePoints));
}

class CairoPrinterDeviceContext final : public report::PrinterDeviceContext {
public:
    CairoPrinterDeviceContext(std::string printer, const Paper& paper)
        : printer_(std::move(printer)), paper_(paper) {
        measureSurface_ = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
        measure_ = cairo_create(measureSurface_);
        useReportFont(measure_);
        cairo_font_extents_t font{};
        cairo_font_extents(measure_, &font);
        ascent_ = font.ascent;
        lineHeight_ = static_cast<int>(std::lround(font.height));
        // The width of "x" is what a font's average character width usually is.
        cairo_text_extents_t x{};
        cairo_text_extents(measure_, "x", &x);
        averageCharWidth_ = static_cast<int>(std::lround(x.x_advance));
    }

    ~CairoPrinterDeviceContext() override {
        discardJob();
        cairo_destroy(measure_);
        cairo_surface_destroy(measureSurface_);
    }

    int pageWidth() const override {
        return static_cast<int>(
            pointsToDevice(paper_.widthPoints - paper_.leftPoints - paper_.rightPoints));
    }
    int pageHeight() const override {
        return static_cast<int>(
            pointsToDevice(paper_.heightPoints - paper_.topPoints - paper_.bottomPoints));
    }
    int lineHeight() const override { return lineHeight_; }
    int averageCharWidth() const override { return averageCharWidth_; }

    int textWidth(const std::u16string& text) const override {
        const std::string utf8 = report::toUtf8(text);
        cairo_text_extents_t extents{};
        cairo_text_extents(measure_, utf8.c_str(), &extents);
        return static_cast<int>(std::lround(extents.x_advance));
    }

    bool startDocument(const std::u16string& name) override {
        if (surface_)
            return false;
        const Destination destination = lookUp(printer_);
        if (!destination.found || !destination.acceptingJobs)
            return false;
        paper_ = destination.paper;
        title_ = report::toUtf8(name);

        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tavrelo-print-XXXXXX.pdf";
        const int fd = ::mkstemps(pattern.data(), 4);
        if (fd < 0)
            return false;
        ::close(fd);
        file_ = pattern;

        surface_ = cairo_pdf_surface_create(file_.c_str(), paper_.widthPoints, paper_.heightPoints);
        cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title_.c_str());
        cr_ = cairo_create(surface_);
        if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
            discardJob();
            return false;
        }
        // Device units from the top-left corner of the printable area.
        cairo_translate(cr_, paper_.leftPoints, paper_.topPoints);
        cairo_scale(cr_, kPointsPerInch / kDeviceDpi, kPointsPerInch / kDeviceDpi);
        useReportFont(cr_);
        cairo_set_source_rgb(cr_, 0, 0, 0);
        return true;
    }

    void startPage() override {}

    void textOut(int x, int y, const std::u16string& text) override {
        if (!cr_)
            return;
        const std::string utf8 = report::toUtf8(text);
        cairo_move_to(cr_, x, y + ascent_);
        cairo_show_text(cr_, utf8.c_str());
    }

    void endPage() override {
        if (cr_)
            cairo_show_page(cr_);
    }

    bool endDocument() override {
        if (!cr_)
            return false;
        cairo_destroy(cr_);
        cr_ = nullptr;
        cairo_surface_finish(surface_);
        const bool written = cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
        const bool submitted =
            written && cupsPrintFile2(CUPS_HTTP_DEFAULT, printer_.c_str(), file_.c_str(),
                                      title_.c_str(), 0, nullptr) > 0;
        discardJob();
        return submitted;
    }

private:
    void discardJob() {
        if (cr_)
            cairo_destroy(cr_);
        if (surface_) {
            cairo_surface_finish(surface_);
            cairo_surface_destroy(surface_);
        }
        cr_ = nullptr;
        surface_ = nullptr;
        if (!file_.empty())
            ::unlink(file_.c_str());
        file_.clear();
    }

    std::string printer_;
    Paper paper_;
    std::string title_;
    std::string file_;
    cairo_surface_t* measureSurface_ = nullptr;
    cairo_t* measure_ = nullptr;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    double ascent_ = 0;
    int lineHeight_ = 0;
    int averageCharWidth_ = 0;
};

} // namespace

std::unique_ptr<report::PrinterDeviceContext>
createPrinterDeviceContext(const std::u16string& printerName) {
    const std::string name = report::toUtf8(printerName);
    const Destination destination = lookUp(name);
    if (!destination.found)
        return nullptr;
    return std::make_unique<CairoPrinterDeviceContext>(name, destination.paper);
}

} // namespace platform
