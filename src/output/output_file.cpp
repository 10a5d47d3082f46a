#include "output/output_file.h"

#include <cerrno>
#include <cstring>

#include "output/output_file_system.h"
#include "runtime/line_reader.h"

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
    content.append("\r\n");
    return content;
}

std::string paneTextOfFile(std::string_view fileBytes) {
    std::string text;
    text.reserve(fileBytes.size() + 2);
    LineReader reader(fileBytes);
    while (!reader.atEnd()) {
        text.append(reader.nextLine());
        text.append("\r\n");
    }
    return text;
}

TextEncoding outputFileEncoding(std::string_view fileBytes) {
    return isValidUtf8(fileBytes) ? TextEncoding::Utf8 : TextEncoding::Latin1;
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
