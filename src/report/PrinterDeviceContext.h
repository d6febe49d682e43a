#pragma once
// What printing needs from a printer: the page, the font's measures and text drawing. All
// coordinates are device units of the printable area, origin at its top-left corner, y down.

#include <string>

namespace report {

class PrinterDeviceContext {
public:
    virtual ~PrinterDeviceContext() = default;

    virtual int pageWidth() const = 0;  // printable width
    virtual int pageHeight() const = 0; // printable height
    virtual int lineHeight() const = 0; // the font's cell height plus its external leading
    virtual int averageCharWidth() const = 0;
    virtual int textWidth(const std::u16string& text) const = 0;

    // False when the job cannot be started; nothing else is then called.
    virtual bool startDocument(const std::u16string& name) = 0;
    virtual void startPage() = 0;
    // Draws text with the top of its line at y.
    virtual void textOut(int x, int y, const std::u16string& text) = 0;
    virtual void endPage() = 0;
    // Finishes the job and hands it to the printer; false when that fails.
    virtual bool endDocument() = 0;
};

} // namespace report
