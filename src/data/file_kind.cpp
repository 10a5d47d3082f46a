#include "data/file_kind.h"

#include <cstdint>

namespace velmora {

namespace {

bool startsWith(std::string_view head, std::string_view magic, std::size_t at = 0) {
    return head.size() >= at + magic.size() && head.substr(at, magic.size()) == magic;
}

// Stata's formats before XML-like headers (versions 104 to 115): the version
// byte, the byte order (1 high first, 2 low first), the file type 1, a 0.
bool isOldStata(std::string_view head) {
    if (head.size() < 4) return false;
    const auto version = static_cast<std::uint8_t>(head[0]);
    const auto order = static_cast<std::uint8_t>(head[1]);
    return version >= 104 && version <= 115 && (order == 1 || order == 2) && head[2] == 1 &&
           head[3] == 0;
}

constexpr std::string_view kSas7bdatMagic{
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xC2\xEA\x81\x60"
    "\xB3\x14\x11\xCF\xBD\x92\x08\x00\x09\xC7\x31\x8C\x18\x1F\x10\x11",
    32};

}  // namespace

FileKind fileKindOf(std::string_view head) {
    if (startsWith(head, "$FL2") || startsWith(head, "$FL3")) return FileKind::SpssData;
    // A portable file starts with 200 bytes of title and 256 of character
    // table; the signature follows them.
    if (startsWith(head, "SPSSPORT", 456) || startsWith(head, "SPSSPORT", 464))
        return FileKind::SpssPortable;
    if (startsWith(head, "<stata_dta>") || isOldStata(head)) return FileKind::StataData;
    if (startsWith(head, kSas7bdatMagic)) return FileKind::SasData;
    if (startsWith(head, "HEADER RECORD*******LIBRARY HEADER RECORD!!!!!!!") ||
        startsWith(head, "HEADER RECORD*******LIBV8   HEADER RECORD!!!!!!!"))
        return FileKind::SasTransport;
    if (startsWith(head, "PK\x03\x04")) {
        // The first entries name what the archive holds: an Office Open XML
        // workbook keeps its sheets under xl/, an OpenDocument file says its
        // type in its first entry, "mimetype".
        if (head.find("xl/") != std::string_view::npos ||
            head.find("application/vnd.oasis.opendocument.spreadsheet") != std::string_view::npos)
            return FileKind::Workbook;
        return FileKind::Archive;
    }
    if (startsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return FileKind::Workbook;  // .xls
    if (startsWith(head, "\x1F\x8B") || startsWith(head, "BZh") ||
        startsWith(head,
                   "\xFD"
                   "7zXZ") ||
        startsWith(head, "7z\xBC\xAF\x27\x1C"))
        return FileKind::Archive;
    // No text of numbers holds a NUL byte.
    if (head.find('\0') != std::string_view::npos) return FileKind::Binary;
    return FileKind::Text;
}

bool isStatisticsFile(FileKind kind) {
    switch (kind) {
        case FileKind::SpssData:
        case FileKind::SpssPortable:
        case FileKind::StataData:
        case FileKind::SasData:
        case FileKind::SasTransport:
            return true;
        default:
            return false;
    }
}

std::string fileKindName(FileKind kind) {
    switch (kind) {
        case FileKind::SpssData:
            return "SPSS data file";
        case FileKind::SpssPortable:
            return "SPSS portable file";
        case FileKind::StataData:
            return "Stata data file";
        case FileKind::SasData:
            return "SAS data file";
        case FileKind::SasTransport:
            return "SAS transport file";
        default:
            return "text file";
    }
}

std::string notTextReason(FileKind kind) {
    switch (kind) {
        case FileKind::Workbook:
            return "a spreadsheet workbook, not a text file: save the sheet as CSV";
        case FileKind::Archive:
            return "an archive, not a text file: unpack it and import the data file it holds";
        case FileKind::Binary:
            return "binary data, not a text file: import a text file of numbers";
        default:
            return {};
    }
}

}  // namespace velmora
