#include "data/frm_navigate.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "runtime/number_text.h"
#include "runtime/qt_form_keyboard.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"

namespace velmora {

namespace {

// Design geometry in twips; positions inside the frame are relative to the frame.

constexpr int kFormWidth = 4320;
constexpr int kFormHeight = 3480;
constexpr TwipsRect kNumberOfRows{240, 240, 3840, 255};
constexpr TwipsRect kNumberOfColumns{240, 540, 3840, 255};
constexpr TwipsRect kRow{240, 900, 1800, 255};
constexpr TwipsRect kColumn{2280, 900, 1800, 255};
constexpr TwipsRect kFrame{240, 1320, 3840, 1920};
constexpr TwipsRect kUp{1440, 300, 960, 375};
constexpr TwipsRect kLeft{240, 840, 960, 375};
constexpr TwipsRect kCell{1260, 900, 1320, 255};
constexpr TwipsRect kRight{2640, 840, 960, 375};
constexpr TwipsRect kDown{1440, 1380, 960, 375};

}  // namespace

frmNavigate::frmNavigate(const DataSet& data, QWidget* parent) : QDialog(parent), m_data(data) {
    setObjectName(QStringLiteral("frmNavigate"));
    setWindowTitle(QStringLiteral("Navigate Data File"));
    // The close box is the only way out; no help button either.
    setWindowFlags((windowFlags() | Qt::WindowCloseButtonHint) & ~Qt::WindowContextHelpButtonHint);
    setFont(formControlFont());  // the face of every other window's controls

    auto label = [](QWidget* owner, const char* name, const char* caption,
                          const TwipsRect& r) {
        auto* control = new QLabel(QString::fromLatin1(caption), owner);
        control->setObjectName(QString::fromLatin1(name));
        placeControl(control, r);
        return control;
    };
    auto button = [](QWidget* owner, const char* name, const char* caption,
                           const TwipsRect& r) {
        auto* control = new QPushButton(QString::fromLatin1(caption), owner);
        control->setObjectName(QString::fromLatin1(name));
        control->setAutoDefault(false);
        placeControl(control, r);
        return control;
    };

    setFixedSize(twipsToPixels(kFormWidth, logicalDpiX()), twipsToPixels(kFormHeight, logicalDpiY()));
    m_lblNumberOfRows = label(this, "lblNumberOfRows", "Number of rows: ", kNumberOfRows);
    m_lblNumberOfColumns =
        label(this, "lblNumberOfColumns", "Number of columns:", kNumberOfColumns);
    m_lblRow = label(this, "lblRow", "Row:", kRow);
    m_lblColumn = label(this, "lblColumn", "Column:", kColumn);

    m_fraNavigate = new QGroupBox(QStringLiteral("Navigate"), this);
    m_fraNavigate->setObjectName(QStringLiteral("fraNavigate"));
    placeControl(m_fraNavigate, kFrame);
    m_cmdUp = button(m_fraNavigate, "cmdUp", "Up", kUp);
    m_cmdLeft = button(m_fraNavigate, "cmdLeft", "Left", kLeft);
    m_lblCell = label(m_fraNavigate, "lblCell", "", kCell);
    m_lblCell->setAlignment(Qt::AlignCenter);
    m_cmdRight = button(m_fraNavigate, "cmdRight", "Right", kRight);
    m_cmdDown = button(m_fraNavigate, "cmdDown", "Down", kDown);
    applyFormStyle(this);
    applyFormKeyboard(this);

    connect(m_cmdUp, &QPushButton::clicked, this, &frmNavigate::cmdUp_Click);
    connect(m_cmdDown, &QPushButton::clicked, this, &frmNavigate::cmdDown_Click);
    connect(m_cmdLeft, &QPushButton::clicked, this, &frmNavigate::cmdLeft_Click);
    connect(m_cmdRight, &QPushButton::clicked, this, &frmNavigate::cmdRight_Click);

    Form_Load();
}

void frmNavigate::Form_Load() {
    m_lngRow = 1;
    m_lngColumn = 1;
    m_lblNumberOfRows->setText(QStringLiteral("Number of rows: ") +
                               QString::number(m_data.g_lngNumCases));
    m_lblNumberOfColumns->setText(QStringLiteral("Number of columns: ") +
                                  QString::number(m_data.g_lngNumVariables));
    m_lblRow->setText(QStringLiteral("Row: 1"));
    m_lblColumn->setText(QStringLiteral("Column: 1"));
    showCell();
}

void frmNavigate::cmdUp_Click() {
    if (m_lngRow > 1) --m_lngRow;
    refresh();
}

void frmNavigate::cmdDown_Click() {
    if (m_lngRow < m_data.g_lngNumCases) ++m_lngRow;
    refresh();
}

void frmNavigate::cmdLeft_Click() {
    if (m_lngColumn > 1) --m_lngColumn;
    refresh();
}

void frmNavigate::cmdRight_Click() {
    if (m_lngColumn < m_data.g_lngNumVariables) ++m_lngColumn;
    refresh();
}

void frmNavigate::refresh() {
    m_lblRow->setText(QStringLiteral("Row: ") + QString::number(m_lngRow));
    m_lblColumn->setText(QStringLiteral("Column: ") + QString::number(m_lngColumn));
    showCell();
}

void frmNavigate::showCell() {
    // Before any import, or after an empty file, there is no cell (1, 1); the
    // window then opens without a value instead of reading past the matrix.
    if (!m_data.g_sngData.contains(m_lngRow, m_lngColumn)) {
        m_lblCell->clear();
        return;
    }
    const float value = m_data.g_sngData.at(m_lngRow, m_lngColumn);
    m_lblCell->setText(isMissing(value) ? QStringLiteral(".")
                                        : QString::fromStdString(singleText(value)));
}

}  // namespace velmora
