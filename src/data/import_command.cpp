#include "data/import_command.h"

namespace velmora {

ImportResult runImportCommand(const ImportCommandContext& context) {
    if (context.data == nullptr) return ImportResult{ImportStatus::NoFileSelected, 0, 0, {}};
    ImportResult result;
    const auto read = [&] {
        result = importDelimitedFile(context.fileName, context.delimiter, *context.data);
    };
    if (context.runLongStep) {
        context.runLongStep(read);
    } else {
        read();
    }
    if (result.status != ImportStatus::Completed) {
        // The earlier data set stays loaded, so the user must learn why the
        // new one is not there rather than take the old one for it.
        if (context.messageBox != nullptr) {
            context.messageBox->show(importFailureMessage(result, context.fileName), "Data Editor",
                                     MessageIcon::Warning, MessageButtons::Ok);
        }
        return result;
    }
    if (context.setCurrentFile) context.setCurrentFile(context.selectedBareName);
    if (context.appendToPane) {
        context.appendToPane(buildImportSummary(context.fileName, *context.data));
    }
    // The analysis dialogs list the variables of the data they were built
    // for, so they must be rebuilt for the new data set.
    if (context.discardAnalysisDialogs) context.discardAnalysisDialogs();
    return result;
}

}  // namespace velmora
