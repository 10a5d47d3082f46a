#pragma once

#include <QDialog>

#include "data/data_set.h"

class QLabel;
class QPushButton;
class QGroupBox;

namespace velmora {

// "Navigate Data File": steps through the cells of the data set, reading it only.
class frmNavigate : public QDialog {
    Q_OBJECT
public:
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
};

}  // namespace velmora
