#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <vector>

#include "runtime/qt_file_system_lists.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"
#include "shell/frm_main.h"

namespace velmora {

namespace {

QFont paneFont() {
    QFont font(QStringLiteral("Courier"));
    font.setPointSizeF(9.75);
    font.setBold(false);  // regular, whatever the frame around it uses
    // The reports align columns with blanks: whatever face stands in for
    // Courier must be fixed-pitch.
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

}  // namespace

namespace {

using Id = MainControlId;
using Kind = MainControlKind;

// clang-format off
constexpr std::array<MainControl, MAIN_CONTROL_COUNT> kControls = {{
    {.id = Id::fraSelectData, .name = "fraSelectData", .kind = Kind::Frame,
     .container = "clientArea", .caption = "Select Data", .rect = {120, 0, 10695, 2295}},
    {.id = Id::fraTypeOfDelimiter, .name = "fraTypeOfDelimiter", .kind = Kind::Frame,
     .container = "fraSelectData", .caption = "Type of Delimiter",
     .toolTip = "Specify the delimiter used", .rect = {240, 360, 1815, 1695}},
    {.id = Id::optSpace, .name = "optSpace", .kind = Kind::OptionButton,
     .container = "fraTypeOfDelimiter", .caption = "Space Delimited",
     .rect = {120, 240, 1455, 255}, .tab = 6},
    {.id = Id::optComma, .name = "optComma", .kind = Kind::OptionButton,
     .container = "fraTypeOfDelimiter", .caption = "Comma Delimited",
     .rect = {120, 525, 1575, 255}, .tab = 7},
    {.id = Id::optTab, .name = "optTab", .kind = Kind::OptionButton,
     .container = "fraTypeOfDelimiter", .caption = "Tab Delimited",
     .rect = {120, 810, 1335, 255}, .tab = 8},
    {.id = Id::optSemicolon, .name = "optSemicolon", .kind = Kind::OptionButton,
     .container = "fraTypeOfDelimiter", .caption = "Semicolon",
     .toolTip = "Semicolons between fields, a comma as the decimal mark",
     .rect = {120, 1095, 1575, 255}},
    {.id = Id::optWhitespace, .name = "optWhitespace", .kind = Kind::OptionButton,
     .container = "fraTypeOfDelimiter", .caption = "Whitespace",
     .toolTip = "Any run of blanks and tabs between fields",
     .rect = {120, 1380, 1575, 255}},
    {.id = Id::drvDrive, .name = "drvDrive", .kind = Kind::DriveList, .container = "fraSelectData",
     .toolTip = "Specify drive of file", .rect = {2280, 480, 2415, 315}, .tab = 3},
    {.id = Id::dirDirectory, .name = "dirDirectory", .kind = Kind::DirectoryList,
     .container = "fraSelectData", .toolTip = "Specify directory of file",
     .rect = {2280, 840, 2415, 1215}, .tab = 1},
    {.id = Id::cmbFileType, .name = "cmbFileType", .kind = Kind::FileTypeBox,
     .container = "fraSelectData", .caption = "File type",
     .toolTip = "Specify file extension (*.txt, *.dat, *.csv, *.tsv, all files, or SPSS, Stata and SAS files)",
     .rect = {4920, 480, 2295, 315}, .tab = 9},
    {.id = Id::filFile, .name = "filFile", .kind = Kind::FileList, .container = "fraSelectData",
     .toolTip = "Specify file", .rect = {4920, 840, 2295, 1065}, .tab = 2},
    {.id = Id::lblSelectedFileLabel, .name = "lblSelectedFileLabel", .kind = Kind::Label,
     .container = "fraSelectData", .caption = "Selected File:", .rect = {7440, 360, 1332, 240}},
    {.id = Id::lblSelectedFile, .name = "lblSelectedFile", .kind = Kind::ValueLabel,
     .container = "fraSelectData", .toolTip = "The file selected for import",
     .rect = {7440, 600, 2055, 255}},
    {.id = Id::lblCurrentFileLabel, .name = "lblCurrentFileLabel", .kind = Kind::Label,
     .container = "fraSelectData", .caption = "File Currently in Processor:",
     .rect = {7440, 960, 2055, 255}},
    {.id = Id::lblCurrentFile, .name = "lblCurrentFile", .kind = Kind::ValueLabel,
     .container = "fraSelectData", .toolTip = "File currently contained in KORVA processor",
     .rect = {7440, 1200, 2055, 255}},
    {.id = Id::cmdImportData, .name = "cmdImportData", .kind = Kind::Button,
     .container = "fraSelectData", .caption = "Import Selected Data File",
     .toolTip = "Click to import selected file", .rect = {7440, 1560, 2055, 495}, .tab = 4},
    {.id = Id::fraOutput, .name = "fraOutput", .kind = Kind::Frame, .container = "clientArea",
     .caption = "Output", .rect = {120, 4320, 9375, 3735}},
    {.id = Id::txtOutput, .name = "txtOutput", .kind = Kind::Pane, .container = "fraOutput",
     .rect = {480, 720, 7095, 2295}, .tab = 5},
}};
// clang-format on

QWidget* makeMainControl(const MainControl& c, QWidget* container) {
    switch (c.kind) {
        case Kind::Frame:
            return makeControl<QGroupBox>(container, c.name, c.rect, c.caption);
        case Kind::OptionButton:
            return makeControl<QRadioButton>(container, c.name, c.rect, c.caption);
        case Kind::DriveList:
            return makeControl<DriveListBox>(container, c.name, c.rect);
        case Kind::DirectoryList:
            return makeControl<DirListBox>(container, c.name, c.rect);
        case Kind::FileTypeBox: {
            auto* box = makeControl<QComboBox>(container, c.name, c.rect);
            box->setEditable(true);
            box->setEditText(QString::fromLatin1(c.caption));
            return box;
        }
        case Kind::FileList:
            return makeControl<FileListBox>(container, c.name, c.rect);
        case Kind::Label:
            return makeControl<QLabel>(container, c.name, c.rect, c.caption);
        case Kind::ValueLabel: {
            auto* label = makeControl<QLabel>(container, c.name, c.rect);
            makeDisplayLabel(label);
            return label;
        }
        case Kind::Button:
            return makeControl<QPushButton>(container, c.name, c.rect, c.caption);
        case Kind::Pane:
            return makeControl<QPlainTextEdit>(container, c.name, c.rect);
    }
    return nullptr;
}

}  // namespace

std::span<const MainControl, MAIN_CONTROL_COUNT> mainControlTable() {
    return kControls;
}

template <class Control>
Control* frmMain::control(MainControlId id) const {
    return static_cast<Control*>(m_controls[static_cast<std::size_t>(id)]);
}

// clang-format off
QGroupBox* frmMain::fraSelectData() const { return control<QGroupBox>(Id::fraSelectData); }
QGroupBox* frmMain::fraOutput() const { return control<QGroupBox>(Id::fraOutput); }
QGroupBox* frmMain::fraTypeOfDelimiter() const {
    return control<QGroupBox>(Id::fraTypeOfDelimiter);
}
QRadioButton* frmMain::optSpace() const { return control<QRadioButton>(Id::optSpace); }
QRadioButton* frmMain::optComma() const { return control<QRadioButton>(Id::optComma); }
QRadioButton* frmMain::optTab() const { return control<QRadioButton>(Id::optTab); }
QRadioButton* frmMain::optSemicolon() const { return control<QRadioButton>(Id::optSemicolon); }
QRadioButton* frmMain::optWhitespace() const { return control<QRadioButton>(Id::optWhitespace); }
DriveListBox* frmMain::drvDrive() const { return control<DriveListBox>(Id::drvDrive); }
DirListBox* frmMain::dirDirectory() const { return control<DirListBox>(Id::dirDirectory); }
FileListBox* frmMain::filFile() const { return control<FileListBox>(Id::filFile); }
QComboBox* frmMain::cmbFileType() const { return control<QComboBox>(Id::cmbFileType); }
QLabel* frmMain::lblSelectedFile() const { return control<QLabel>(Id::lblSelectedFile); }
QLabel* frmMain::lblCurrentFile() const { return control<QLabel>(Id::lblCurrentFile); }
QPushButton* frmMain::cmdImportData() const { return control<QPushButton>(Id::cmdImportData); }
QPlainTextEdit* frmMain::txtOutput() const { return control<QPlainTextEdit>(Id::txtOutput); }
// clang-format on

void frmMain::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFont(formControlFont());
    setCentralWidget(client);

    for (const MainControl& c : kControls) {
        QWidget* container = client->objectName() == QLatin1String(c.container)
                                 ? client
                                 : client->findChild<QWidget*>(QString::fromLatin1(c.container));
        QWidget* made = makeMainControl(c, container);
        if (*c.toolTip != '\0') made->setToolTip(QString::fromLatin1(c.toolTip));
        m_controls[static_cast<std::size_t>(c.id)] = made;
    }

    optSpace()->setChecked(true);
    QComboBox* fileType = cmbFileType();
    // Typed text is never added as an item: only the two items change the pattern.
    fileType->setInsertPolicy(QComboBox::NoInsert);
    // Nor may typed text pick an item: no completion, and Enter in the text
    // field (which would choose an item of the same text) is swallowed.
    fileType->setCompleter(nullptr);
    fileType->lineEdit()->installEventFilter(this);
    QPlainTextEdit* pane = txtOutput();
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in every other text box of the program.
    pane->setTabChangesFocus(true);

    applyFrameCaptionFont(fraSelectData());
    applyFrameCaptionFont(fraOutput());
    pane->setFont(paneFont());

    linkFileSelection(drvDrive(), dirDirectory(), filFile());
    connect(fileType, &QComboBox::activated, this, [this](int) { cmbFileType_Click(); });
    connect(filFile(), &FileListBox::clicked, this, &frmMain::filFile_Click);
    connect(cmdImportData(), &QPushButton::clicked, this, [this] { cmdImportData_Click(); });
}

void frmMain::setTabOrderChain() {
    // The option group sits between the pane and the combo box; within the
    // group the arrow keys move between the three buttons.
    std::vector<const MainControl*> stops;
    for (const MainControl& c : kControls)
        if (c.tab > 0) stops.push_back(&c);
    std::sort(stops.begin(), stops.end(),
              [](const MainControl* a, const MainControl* b) { return a->tab < b->tab; });
    for (std::size_t i = 0; i + 1 < stops.size(); ++i)
        QWidget::setTabOrder(m_controls[static_cast<std::size_t>(stops[i]->id)],
                             m_controls[static_cast<std::size_t>(stops[i + 1]->id)]);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cmbFileType()->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace velmora
