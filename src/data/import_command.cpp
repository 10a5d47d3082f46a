#include "data/import_command.h"

namespace velmora {

ImportResult runImportCommand(const ImportCommandContext& context) {
    if (context.data == nullptr) return ImportResult{ImportStatus::NoFileSelected, 0, 0, {}};
    const ImportResult result =
        importDelimitedFile(context.fileName, context.delimiter, *context.data);
    switch (result.status) {
        case ImportStatus::Completed:
            if (context.setCurrentFile) context.setCurrentFile(context.selectedBareName);
            if (context.appendToPane) {
                context.appendToPane(buildImportSummary(context.fileName, *context.data));
            }
            // The analysis dialogs list the variables of the data they were
            // built for, so they must be rebuilt for the new data set.
            if (context.discardAnalysisDialogs) context.discardAnalysisDialogs();
            break;
        case ImportStatus::InvalidEntry:
            if (context.messageBox != nullptr) {
                context.messageBox->show(invalidEntryMessage(result.row, result.column),
                                         "Data Editor", MessageIcon::Warning, MessageButtons::Ok);
            }
            break;
        case ImportStatus::NoFileSelected:
        case ImportStatus::OpenFailed:
        case ImportStatus::NumberOutOfRange:
        case ImportStatus::TooManyFields:
        case ImportStatus::OutOfMemory:
            break;  // these end the command without a word
    }
    return result;
}

}  // namespace velmora
