#include "report/InPlaceWorkbook.h"

namespace report {

InPlaceWorkbook::InPlaceWorkbook(std::string bytes, AppendPoint point, std::u16string sheetName)
    : bytes_(std::move(bytes)), point_(point), sheetName_(std::move(sheetName)) {}

std::optional<std::string> InPlaceWorkbook::serialize(const WorkbookEngine& engine) const {
    // Without rows nothing changes below an existing worksheet (a missing Table comes with the
    // first row, as in the DOM); a new worksheet is written even then.
    if (rows_.empty() && point_.parent != AppendPoint::Parent::Workbook)
        return bytes_;
    const std::optional<std::string> additions =
        engine.serializeAdditions(point_.parent, sheetName_, rows_);
    if (!additions)
        return std::nullopt;
    if (additions->empty())
        return bytes_;

    const std::string_view original(bytes_);
    std::string out;
    out.reserve(bytes_.size() + additions->size() + 16);
    out.append(original.substr(0, point_.offset));
    if (point_.parentIsEmpty) {
        // "<Name .../>" becomes "<Name ...>" + additions + "</Name>".
        out += '>';
        out += *additions;
        switch (point_.parent) {
        case AppendPoint::Parent::Table:
            out += "</Table>";
            break;
        case AppendPoint::Parent::Worksheet:
            out += "</Worksheet>";
            break;
        case AppendPoint::Parent::Workbook:
            out += "</Workbook>";
            break;
        }
        out.append(original.substr(point_.offset + 2));
    } else {
        out += *additions;
        out.append(original.substr(point_.offset));
    }
    return out;
}

bool InPlaceWorkbook::commit(std::string saved) {
    using Parent = AppendPoint::Parent;
    if (saved.size() == bytes_.size()) {
        // Nothing was added (serialize gave the bytes back as they were).
        rows_.clear();
        return true;
    }
    static constexpr std::string_view kTableEnd = "</Table>";
    static constexpr std::string_view kSheetEnd = "</Worksheet>";
    const std::size_t start = point_.offset + (point_.parentIsEmpty ? 1 : 0);
    // What the empty-element parent turned into, "/>" becoming ">" ... "</Name>".
    std::size_t wrapping = 0;
    if (point_.parentIsEmpty) {
        const std::size_t endTag = point_.parent == Parent::Table       ? kTableEnd.size()
                                   : point_.parent == Parent::Worksheet ? kSheetEnd.size()
                                                                        : sizeof "</Workbook>" - 1;
        wrapping = endTag - 1;
    }
    const std::size_t additions = saved.size() - bytes_.size() - wrapping;
    // The additions end with the rows' Table closing, and for a new worksheet its own end after.
    std::size_t tableEnd = start + additions;
    if (point_.parent == Parent::Worksheet)
        tableEnd -= kTableEnd.size();
    else if (point_.parent == Parent::Workbook)
        tableEnd -= kTableEnd.size() + kSheetEnd.size();

    bytes_ = std::move(saved);
    rows_.clear();
    if (std::string_view(bytes_).substr(tableEnd, kTableEnd.size()) == kTableEnd) {
        point_ = AppendPoint{Parent::Table, tableEnd, false};
        return true;
    }
    // Not where it must be: the caller finds it the long way rather than splice at a wrong place.
    return false;
}

} // namespace report
