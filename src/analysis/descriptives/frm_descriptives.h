#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "data/data_set.h"

class QGroupBox;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace velmora {

class MessageBoxService;

// "Descriptives": ticks variables, one by one or as ranges, and lists their
// descriptive statistics on OK. Loading (the constructor) lists "Var 1" ..
// "Var " + g_lngNumVariables (each followed by its name when the data file
// named it: "Var 1 pre"), none ticked, with "Range of Items" selected.
// Cancel and a completed OK hide it with its ticks and mode; the caller
// discards it on the close box. Neither button answers Enter or Escape.
// Everything it reads and calls must outlive it.
class frmDescriptives : public QDialog {
    Q_OBJECT
public:
    // The output pane's append contract.
    using AppendToPane = std::function<void(const std::string& block)>;

    frmDescriptives(const DataSet& data, MessageBoxService& messageBox, AppendToPane appendToPane,
                    QWidget* parent = nullptr);

    // Item `t` (0-based) was ticked or cleared. In range mode a tick also
    // ticks every item between it and the nearest ticked item above it.
    void lstItems_ItemCheck(int t);
    // The Descriptives command; the "Analysis Error" box when nothing is
    // ticked, silence on a fault, otherwise the report appended and hidden.
    void cmdOK_Click();
    void cmdCancel_Click();

    QListWidget* lstItems() const { return m_lstItems; }
    // The tick of every list item, in list order.
    std::vector<bool> ticks() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    bool isTicked(int index) const;

    const DataSet& m_data;
    MessageBoxService& m_messageBox;
    AppendToPane m_appendToPane;

    QGroupBox* m_fraSelectItems = nullptr;
    QListWidget* m_lstItems = nullptr;
    QRadioButton* m_optRanges = nullptr;
    QRadioButton* m_optIndividual = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};

}  // namespace velmora
