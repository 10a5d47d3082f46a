#pragma once

#include <functional>
#include <string>

#include "data/data_set.h"
#include "data/delimited_import.h"
#include "runtime/message_box.h"

namespace velmora {

// What the "Import Selected Data File" button works on. The window fills it
// from its controls; the command itself needs no window, so it is tested alone.
struct ImportCommandContext {
    std::string fileName;         // m_strFileName: the path as stored (may hold "//")
    char delimiter = ' ';         // from the delimiter option buttons
    std::string selectedBareName; // the name selected in the file list now
    DataSet* data = nullptr;
    MessageBoxService* messageBox = nullptr;
    std::function<void(const std::string& block)> appendToPane;       // the pane's append contract
    std::function<void(const std::string& caption)> setCurrentFile;   // lblCurrentFile
    std::function<void()> discardAnalysisDialogs;                     // frmDescriptives, frmVelmora
    // Runs the reading of the file (which touches nothing but the data set);
    // the window runs it off its thread. Empty: at once.
    std::function<void(const std::function<void()>& step)> runLongStep;
};

// cmdImportData_Click: imports, then on completion sets the caption, appends the
// summary and discards the analysis dialogs. An import that does not complete
// (no file selected included) changes none of these nor the data set, and shows
// the "Data Editor" box (warning, OK) with importFailureMessage. Returns the
// import result.
ImportResult runImportCommand(const ImportCommandContext& context);

}  // namespace velmora
