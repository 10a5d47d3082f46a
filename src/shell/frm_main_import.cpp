#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <iterator>

#include "data/import_command.h"
#include "runtime/qt_busy_run.h"
#include "runtime/qt_file_system_lists.h"
#include "shell/frm_main.h"

namespace velmora {

namespace {

// The file types in list order: the item's text and the pattern it sets. A
// type chooses which files are listed only; the delimiter stays as chosen,
// since a .csv file may use any of them (the statistics packages' files are
// told by their content, whatever the delimiter).
struct FileType {
    const char* item;
    const char* pattern;
};
constexpr FileType kFileTypes[] = {
    {"Text (*.txt)", "*.txt"},
    {"Data (*.dat)", "*.dat"},
    {"CSV (*.csv)", "*.csv"},
    {"Tab separated (*.tsv)", "*.tsv"},
    {"All files (*)", "*"},
    {"SPSS, Stata, SAS (*.sav *.zsav *.por *.dta *.sas7bdat *.xpt)",
     "*.sav;*.zsav;*.por;*.dta;*.sas7bdat;*.xpt"},
};

}  // namespace

void frmMain::fillFileTypes() {
    for (const FileType& type : kFileTypes) cmbFileType()->addItem(QString::fromLatin1(type.item));
    cmbFileType()->setCurrentIndex(0);
    // Selecting an item from code raises the combo's Click as a choice by the user would.
    cmbFileType_Click();
}

void frmMain::cmbFileType_Click() {
    const int index = cmbFileType()->currentIndex();
    // No item selected (-1): the pattern stays.
    if (index >= 0 && index < static_cast<int>(std::size(kFileTypes)))
        filFile()->setPattern(QString::fromLatin1(kFileTypes[index].pattern));
}

void frmMain::filFile_Click() {
    const QString bare = filFile()->fileName();
    if (bare.isEmpty()) {
        return;  // no file selected: keep the earlier choice rather than store a bare directory
    }
    // Joined as they stand: a root path already ends in "/", giving "//".
    m_strFileName = storedPath(filFile()->path() + QLatin1Char('/') + bare);
    lblSelectedFile()->setText(bare);
}

char frmMain::selectedDelimiter() const {
    if (optSpace()->isChecked()) {
        return ' ';
    }
    if (optComma()->isChecked()) {
        return ',';
    }
    if (optTab()->isChecked()) {
        return '\t';
    }
    if (optSemicolon()->isChecked()) {
        return kSemicolonDelimiter;
    }
    if (optWhitespace()->isChecked()) {
        return kWhitespaceDelimiter;
    }
    return ' ';
}

void frmMain::cmdImportData_Click() {
    ImportCommandContext context;
    context.fileName = m_strFileName;
    context.delimiter = selectedDelimiter();
    context.selectedBareName = storedPath(filFile()->fileName());
    context.data = &m_data;
    context.messageBox = &m_messageBox;
    context.appendToPane = [this](const std::string& block) { appendToPane(block); };
    context.setCurrentFile = [this](const std::string& caption) {
        lblCurrentFile()->setText(
            QFile::decodeName(QByteArray(caption.data(), static_cast<qsizetype>(caption.size()))));
    };
    context.discardAnalysisDialogs = [this] {
        m_dialogs.discard(QString::fromLatin1(DLG_DESCRIPTIVES));
        m_dialogs.discard(QString::fromLatin1(DLG_VELMORA));
        m_dialogs.discard(QString::fromLatin1(DLG_PAIRED_EFFECTS));
    };
    context.runLongStep = [](const std::function<void()>& step) { runBusy(step); };
    if (runImportCommand(context).status == ImportStatus::Completed) {
        m_loadedFileName = m_strFileName;
    }
}

}  // namespace velmora
