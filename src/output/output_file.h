#pragma once

#include <string>
#include <string_view>

#include "runtime/expected.h"
#include "runtime/text_encoding.h"

namespace velmora {

// The output file: the pane's text followed by one CR LF, nothing else.
// Reading one back gives every line of the file followed by CR LF, so each
// save-and-open cycle adds one empty line at the end.

class OutputFileSystem;

// The name a saved file gets: `typed` unchanged, with ".txt" added unless its
// last four characters are exactly ".txt" (case-sensitive).
std::string outputFileName(std::string_view typed);

// The bytes a save writes for the pane text `paneText`.
std::string outputFileContent(std::string_view paneText);

// The pane text that the file content `fileBytes` gives: each of its lines,
// as the runtime line reader splits them, followed by CR LF.
std::string paneTextOfFile(std::string_view fileBytes);

// How a file's bytes are read into the pane: as UTF-8 when they are valid
// UTF-8 and hold no character the pane uses for marks of its own (U+2028,
// U+2029, U+240A, U+240D, U+FDD0, U+FDD1), otherwise byte for byte as Latin-1,
// so that saving the pane always writes the file's bytes back.
TextEncoding outputFileEncoding(std::string_view fileBytes);

// Writes outputFileContent(paneText) to `path` by replaceFile(): a failure
// never destroys a file, and a FIFO nobody reads fails at once ("No such
// device or address"). A Failure as replaceFile's: the system's reason (e.g.
// "No space left on device") for `path`.
Status saveOutputFile(OutputFileSystem& files, const std::string& path, std::string_view paneText);

// The data files a save must never replace: the one the last completed import
// read and the one selected for import (the path as stored; empty for none).
struct DataFilePaths {
    std::string loaded;
    std::string selected;
};

enum class SaveTarget {
    New,               // nothing of that name yet
    Existing,          // replaced only when the user says so
    LoadedDataFile,    // refused
    SelectedDataFile,  // refused
};

// What saving to `path` would write over.
SaveTarget classifySaveTarget(const std::string& path, const DataFilePaths& dataFiles);

// "NAME already exists. Do you want to replace it?"
std::string replaceQuestion(std::string_view name);
// Why a save to one of the data files is refused, `name` as the save built it.
std::string dataFileRefusal(std::string_view name, SaveTarget which);

}  // namespace velmora
