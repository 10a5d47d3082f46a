#include "output/output_file.h"

#include <sys/stat.h>

#include "runtime/atomic_replace.h"
#include "runtime/line_reader.h"
#include "runtime/output_target.h"
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

Status saveOutputFile(OutputFileSystem& files, const std::string& path, std::string_view paneText) {
    // A FIFO nobody reads fails the save rather than freeze the window.
    return replaceFile(files, path, outputFileContent(paneText), false);
}

SaveTarget classifySaveTarget(const std::string& path, const DataFilePaths& dataFiles) {
    const FileIdentity target = fileIdentity(path);
    if (!dataFiles.loaded.empty() && sameFile(target, fileIdentity(dataFiles.loaded)))
        return SaveTarget::LoadedDataFile;
    if (!dataFiles.selected.empty() && sameFile(target, fileIdentity(dataFiles.selected)))
        return SaveTarget::SelectedDataFile;
    // A link counts as the name in use even when what it names is gone.
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? SaveTarget::Existing : SaveTarget::New;
}

std::string replaceQuestion(std::string_view name) {
    return std::string(name) + " already exists. Do you want to replace it?";
}

std::string dataFileRefusal(std::string_view name, SaveTarget which) {
    return std::string(name) +
           (which == SaveTarget::LoadedDataFile ? " is the data file currently loaded."
                                                : " is the data file selected for import.") +
           " Save the output under another name.";
}

}  // namespace velmora
