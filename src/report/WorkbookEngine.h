#pragma once
// What only the XML library does with a workbook: parse it, find where new rows go, write it out.
// That library and the score of libraries it brings (ICU, curl and its TLS stacks) live in a
// module of their own, loaded while a report is read or written and unloaded after: a lesson's
// clips and screens never share memory with them, and start-up does not load them at all.

#include "report/AppendPoint.h"
#include "report/ReportRow.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace report {

using TableRows = std::vector<std::vector<std::u16string>>;

// A workbook as bytes (the file as read, or the template) with the rows added below the worksheet
// named sheetName; parsed under systemId.
struct WorkbookSource {
    std::string_view bytes;
    const std::u16string& systemId;
    const std::u16string& sheetName;
    const std::vector<ReportRow>& addedRows;
};

// Every call is complete in itself (no document outlives it) and never throws: a failure is an
// empty answer. Visible by default, so that the program and the module, built with hidden names,
// agree on the one type.
class __attribute__((visibility("default"))) WorkbookEngine {
public:
    enum class Verdict { Taken, Damaged, TooLarge };
    struct Reading {
        Verdict verdict = Verdict::Taken;
        std::string problem; // why not, for diagnostics (English, from the parser)
    };

    // Whether the bytes are a workbook the report can extend.
    virtual Reading read(std::string_view bytes, const std::u16string& systemId) const = 0;
    // Where rows go when the bytes are in the serializer's own form; nothing otherwise.
    virtual std::optional<AppendPoint> findAppendPoint(std::string_view bytes,
                                                       std::u16string_view sheetName,
                                                       const std::u16string& systemId) const = 0;
    // The nodes the rows add below `parent`, as they are written in place: the rows, or a Table
    // holding them, or a new Worksheet named sheetName.
    virtual std::optional<std::string> serializeAdditions(AppendPoint::Parent parent,
                                                          const std::u16string& sheetName,
                                                          const std::vector<ReportRow>& rows) const = 0;
    // The whole workbook with the rows added, as the serializer writes it.
    virtual std::optional<std::string> serializeWhole(const WorkbookSource& source) const = 0;
    // The texts of the Data elements of every Row of the worksheet's table, rows added included;
    // nothing when the worksheet has no Table.
    virtual std::optional<TableRows> tableRows(const WorkbookSource& source) const = 0;

protected:
    ~WorkbookEngine() = default; // the module that made it ends it
};

// The engine, its module loaded if no one holds it yet and unloaded when the last holder lets
// go; null when the module cannot be loaded (then no report can be read or written, and the
// reasons are on standard error). Holders on several threads share one engine.
std::shared_ptr<const WorkbookEngine> useWorkbookEngine();

// Where the module is looked for, in order, for the program at `executable`: beside it (a build
// tree, or a copy of the program with its module), where an installation of it puts its modules,
// and, for a program inside the build tree the module was built in (the test programs), there.
std::vector<std::filesystem::path> workbookModulePlaces(const std::filesystem::path& executable);

// What the module exports, by these names: makes the engine (null on failure) and ends it.
using WorkbookEngineOpen = WorkbookEngine* (*)();
using WorkbookEngineClose = void (*)(WorkbookEngine*);
inline constexpr char kWorkbookEngineOpenSymbol[] = "tavrelo_workbook_engine_open";
inline constexpr char kWorkbookEngineCloseSymbol[] = "tavrelo_workbook_engine_close";

} // namespace report
