#include "output/output_file.h"

#include <cerrno>
#include <cstring>

#include "output/output_file_system.h"
#include "runtime/line_reader.h"
#include "runtime/report_text.h"

namespace velmora {

std::string outputFileName(std::string_view typed) {
    std::string name(typed);
    if (!name.ends_with(".txt")) name += ".txt";
    return name;
}

std::string outputFileContent(std::string_view paneText) {
    std::string content;
    content.reserve(paneText.size() + 2);
    content.append(paneText);
    content.append(CRLF);
    return content;
}

std::string paneTextOfFile(std::string_view fileBytes) {
    std::string text;
    text.reserve(fileBytes.size() + 2);
    LineReader reader(fileBytes);
    while (!reader.atEnd()) {
        text.append(reader.nextLine());
        text.append(CRLF);
    }
    return text;
}

namespace {

// Characters the pane cannot hold as themselves, in UTF-8: it shows the line
// and paragraph separators as line breaks and a lone LF or CR as the pictures
// U+240A and U+240D, and its document uses U+FDD0 and U+FDD1 as frame marks.
// In valid UTF-8 these bytes can stand for nothing else.
constexpr std::string_view kPaneMarks[] = {"\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x90\x8A",
                                           "\xE2\x90\x8D", "\xEF\xB7\x90", "\xEF\xB7\x91"};

}  // namespace

TextEncoding outputFileEncoding(std::string_view fileBytes) {
    if (!isValidUtf8(fileBytes)) return TextEncoding::Latin1;
    for (const std::string_view mark : kPaneMarks)
        if (fileBytes.find(mark) != std::string_view::npos) return TextEncoding::Latin1;
    return TextEncoding::Utf8;
}

std::optional<std::string> saveOutputFile(OutputFileSystem& files, const std::string& path,
                                          std::string_view paneText) {
    const std::string content = outputFileContent(paneText);
    std::string tempPath;
    int handle = -1;
    int error = files.createTemporary(path, tempPath, handle);
    if (error != 0) return std::string(std::strerror(error));

    std::string_view rest = content;
    while (error == 0 && !rest.empty()) {
        std::size_t written = 0;
        error = files.write(handle, rest, written);
        if (error == 0 && (written == 0 || written > rest.size())) error = EIO;
        if (error == 0) rest.remove_prefix(written);
    }
    const int closeError = files.syncAndClose(handle);
    if (error == 0) error = closeError;
    // Only a complete, flushed file may take the target's place.
    if (error == 0) error = files.rename(tempPath, path);
    if (error != 0) {
        files.remove(tempPath);
        return std::string(std::strerror(error));
    }
    return std::nullopt;
}

}  // namespace velmora
