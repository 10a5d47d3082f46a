#pragma once

#include <QDialog>
#include <cstdint>

#include "data/data_set.h"

class QLabel;
class QPushButton;
class QGroupBox;

namespace velmora {

// "Navigate Data File": steps through the cells of the data set, reading it
// only. Loading (the constructor) starts at row 1, column 1 with the counts as
// they are then; the buttons stop at row 1 and g_lngNumCases, column 1 and
// g_lngNumVariables, reading the bounds at every press. A cell outside the
// allocated matrix is never read: lblCell then stays empty. The dialog has no
// button that closes it; only the close box does.
class frmNavigate : public QDialog {
    Q_OBJECT
public:
    // `data` must outlive the dialog.
    explicit frmNavigate(const DataSet& data, QWidget* parent = nullptr);

    std::int32_t row() const { return m_lngRow; }
    std::int32_t column() const { return m_lngColumn; }

    void cmdUp_Click();
    void cmdDown_Click();
    void cmdLeft_Click();
    void cmdRight_Click();

private:
    void Form_Load();
    void refresh();
    void showCell();

    const DataSet& m_data;
    std::int32_t m_lngRow = 1;
    std::int32_t m_lngColumn = 1;
    QLabel* m_lblNumberOfRows = nullptr;
    QLabel* m_lblNumberOfColumns = nullptr;
    QLabel* m_lblRow = nullptr;
    QLabel* m_lblColumn = nullptr;
    QLabel* m_lblCell = nullptr;
    QGroupBox* m_fraNavigate = nullptr;
    QPushButton* m_cmdUp = nullptr;
    QPushButton* m_cmdDown = nullptr;
    QPushButton* m_cmdLeft = nullptr;
    QPushButton* m_cmdRight = nullptr;
};

}  // namespace velmora
