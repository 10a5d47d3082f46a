#include "data/frm_navigate.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "runtime/number_text.h"
#include "runtime/qt_form_keyboard.h"
#include "runtime/qt_form_style.h"
#include "runtime/qt_twips.h"

namespace velmora {

frmNavigate::frmNavigate(const DataSet& data, QWidget* parent) : QDialog(parent), m_data(data) {
    setObjectName(QStringLiteral("frmNavigate"));
    setWindowTitle(QStringLiteral("Navigate Data File"));
    // The close box is the only way out; no help button either.
    setWindowFlags((windowFlags() | Qt::WindowCloseButtonHint) & ~Qt::WindowContextHelpButtonHint);
    setFont(formControlFont());  // the face of every other window's controls

    // Design rectangles in twips; those of controls in a frame are relative to it.
    setFixedSize(twipsToPixels(4320, logicalDpiX()), twipsToPixels(3480, logicalDpiY()));
    m_lblNumberOfRows =
        makeControl<QLabel>(this, "lblNumberOfRows", {240, 240, 3840, 255}, "Number of rows: ");
    m_lblNumberOfColumns = makeControl<QLabel>(this, "lblNumberOfColumns", {240, 540, 3840, 255},
                                               "Number of columns:");
    m_lblRow = makeControl<QLabel>(this, "lblRow", {240, 900, 1800, 255}, "Row:");
    m_lblColumn = makeControl<QLabel>(this, "lblColumn", {2280, 900, 1800, 255}, "Column:");

    m_fraNavigate =
        makeControl<QGroupBox>(this, "fraNavigate", {240, 1320, 3840, 1920}, "Navigate");
    m_cmdUp = makeControl<QPushButton>(m_fraNavigate, "cmdUp", {1440, 300, 960, 375}, "Up");
    m_cmdLeft = makeControl<QPushButton>(m_fraNavigate, "cmdLeft", {240, 840, 960, 375}, "Left");
    m_lblCell = makeControl<QLabel>(m_fraNavigate, "lblCell", {1260, 900, 1320, 255}, "");
    m_lblCell->setAlignment(Qt::AlignCenter);
    m_cmdRight =
        makeControl<QPushButton>(m_fraNavigate, "cmdRight", {2640, 840, 960, 375}, "Right");
    m_cmdDown = makeControl<QPushButton>(m_fraNavigate, "cmdDown", {1440, 1380, 960, 375}, "Down");
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
