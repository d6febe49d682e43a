#pragma once
// What stands at a report's path, and where reading and writing it would go. The rules keep every
// write inside the folder the path names and never create a file through a link that points
// nowhere:
//
//   at the path                                  read        written
//   nothing                                      -           a new file at the path
//   a file                                       yes         replaced at the path
//   a file without write permission (0444)       yes         no, the report says it is read-only
//   a link to a file in the same folder          the file    the file replaced, the link kept
//   a link to a file in another folder           no          no
//   a link that points nowhere                   no          no (nothing is created through it)
//   a link loop, a link to a folder or a FIFO    no          no
//   a folder, a FIFO or a device                 no          no

#include <cstdint>
#include <filesystem>

namespace report {

struct ReportPlace {
    enum class Kind {
        Absent,            // nothing there yet
        File,              // a regular file, directly or through a link in its own folder
        ReadOnlyFile,      // the same without write permission for anybody, or for us
        Folder,            // a folder at the path itself
        Special,           // a FIFO, socket or device at the path itself
        DanglingLink,      // a link whose end does not exist
        LinkLoop,          // links that never end
        LinkToFolder,      // a link to a folder
        LinkOutsideFolder, // a link to a file in another folder
        LinkToSpecial,     // a link to a FIFO, socket or device
    };
    Kind kind = Kind::Absent;
    std::filesystem::path real; // where reading and writing go (the path, or the end of its links)
    std::uintmax_t size = 0;    // of a file
    bool throughLink = false;

    bool readable() const { return kind == Kind::File || kind == Kind::ReadOnlyFile; }
    bool isRefusedLink() const;
};

ReportPlace inspectReportPlace(const std::filesystem::path& path);

// Russian wording of why a place is not written, for the report's outcomes; empty for places
// that are.
std::u16string describeRefusedPlace(const ReportPlace& place, const std::filesystem::path& path);

} // namespace report
