#pragma once

#include <QGroupBox>
#include <QWidget>

class QLabel;

namespace velmora {

// The caption-less frame of the splash window; a click on the frame itself
// (not on a label lying on it) reports clicked().
class SplashFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit SplashFrame(QWidget* parent = nullptr) : QGroupBox(parent) {}
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// frmSplash: shows the product name during start-up, non-modal. A key that
// produces a character, or a click on Frame1, closes it; closing one that is
// already closed does nothing.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    SplashFrame* Frame1() const { return m_Frame1; }
    QLabel* lblProductName() const { return m_lblProductName; }
    QLabel* lblName2() const { return m_lblName2; }
    QLabel* lblCopyright() const { return m_lblCopyright; }
    QLabel* lblCompany() const { return m_lblCompany; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void Frame1_Click();

    SplashFrame* m_Frame1 = nullptr;
    QLabel* m_lblProductName = nullptr;
    QLabel* m_lblName2 = nullptr;
    QLabel* m_lblCopyright = nullptr;
    QLabel* m_lblCompany = nullptr;
};

}  // namespace velmora
