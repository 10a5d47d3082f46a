#include <QCloseEvent>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

#include "shell/dialog_host.h"
#include "shell/shell_tests.h"

using velmora::DialogHost;
using velmora::DialogLifetime;

namespace {

// A dialog with one piece of state, a typed name.
class NameDialog : public QDialog {
public:
    NameDialog() {
        name = new QLineEdit(this);
        name->setObjectName(QStringLiteral("txtName"));
    }
    QLineEdit* name = nullptr;
};

// Refuses to be closed, as a dialog busy with a run might.
class StubbornDialog : public NameDialog {
protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

// Runs `action` on the dialog once its modal run has started.
void whileOpen(DialogHost& host, const QString& name, std::function<void(QDialog*)> action) {
    QTimer::singleShot(0, [&host, name, action] {
        QDialog* dialog = host.existing(name);
        QVERIFY(dialog != nullptr);
        action(dialog);
    });
}

QString typedName(QDialog* dialog) { return static_cast<NameDialog*>(dialog)->name->text(); }

}  // namespace

class DialogHostTest : public QObject {
    Q_OBJECT
private slots:
    void openShowsTheDialogModalToTheApplicationWithoutOwner();
    void hiddenDialogKeepsItsStateForTheNextOpening();
    void closeBoxDiscardsTheDialog();
    void refusedCloseKeepsTheDialog();
    void discardFromOutsideStartsAfresh();
    void discardWhileShownEndsTheRunAndDiscards();
    void discardOfAMissingDialogDoesNothing();
    void dialogLoadedAnewOnEveryOpening();
    void openingWithoutFactoryOrWithFailingFactoryOpensNothing();
    void hostDeletesItsHiddenDialogs();
    void openReturnsTheResultTheRunEndedWith();
};

void DialogHostTest::openShowsTheDialogModalToTheApplicationWithoutOwner() {
    DialogHost host;
    host.registerDialog(QStringLiteral("frmTest"), [] { return new NameDialog; });
    bool checked = false;
    whileOpen(host, QStringLiteral("frmTest"), [&](QDialog* dialog) {
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QCOMPARE(dialog->parentWidget(), nullptr);
        checked = true;
        dialog->hide();
    });
    host.open(QStringLiteral("frmTest"));
    QVERIFY(checked);
}

void DialogHostTest::hiddenDialogKeepsItsStateForTheNextOpening() {
    DialogHost host;
    int created = 0;
    host.registerDialog(QStringLiteral("frmTest"), [&] {
        ++created;
        return new NameDialog;
    });
    whileOpen(host, QStringLiteral("frmTest"), [](QDialog* dialog) {
        static_cast<NameDialog*>(dialog)->name->setText(QStringLiteral("results.txt"));
        dialog->hide();  // what the dialog's own buttons do
    });
    host.open(QStringLiteral("frmTest"));
    QPointer<QDialog> first = host.existing(QStringLiteral("frmTest"));
    QVERIFY(!first.isNull());
    QVERIFY(!first->isVisible());

    QString seen;
    whileOpen(host, QStringLiteral("frmTest"), [&](QDialog* dialog) {
        seen = typedName(dialog);
        dialog->hide();
    });
    host.open(QStringLiteral("frmTest"));
    QCOMPARE(seen, QStringLiteral("results.txt"));
    QCOMPARE(host.existing(QStringLiteral("frmTest")), first.data());
    QCOMPARE(created, 1);
}

void DialogHostTest::closeBoxDiscardsTheDialog() {
    DialogHost host;
    int created = 0;
    host.registerDialog(QStringLiteral("frmTest"), [&] {
        ++created;
        return new NameDialog;
    });
    QPointer<QDialog> first;
    whileOpen(host, QStringLiteral("frmTest"), [&](QDialog* dialog) {
        first = dialog;
        static_cast<NameDialog*>(dialog)->name->setText(QStringLiteral("typed"));
        dialog->close();
    });
    host.open(QStringLiteral("frmTest"));
    QCOMPARE(host.existing(QStringLiteral("frmTest")), nullptr);
    QVERIFY(first.isNull());

    QString seen = QStringLiteral("not opened");
    whileOpen(host, QStringLiteral("frmTest"), [&](QDialog* dialog) {
        seen = typedName(dialog);
        dialog->hide();
    });
    host.open(QStringLiteral("frmTest"));
    QCOMPARE(seen, QString());
    QCOMPARE(created, 2);
}

void DialogHostTest::refusedCloseKeepsTheDialog() {
    DialogHost host;
    host.registerDialog(QStringLiteral("frmTest"), [] { return new StubbornDialog; });
    whileOpen(host, QStringLiteral("frmTest"), [](QDialog* dialog) {
        QVERIFY(!dialog->close());
        QVERIFY(dialog->isVisible());
        dialog->hide();
    });
    host.open(QStringLiteral("frmTest"));
    QVERIFY(host.existing(QStringLiteral("frmTest")) != nullptr);
}

void DialogHostTest::discardFromOutsideStartsAfresh() {
    DialogHost host;
    int created = 0;
    host.registerDialog(QStringLiteral("frmVelmora"), [&] {
        ++created;
        return new NameDialog;
    });
    whileOpen(host, QStringLiteral("frmVelmora"), [](QDialog* dialog) {
        static_cast<NameDialog*>(dialog)->name->setText(QStringLiteral("Var 1"));
        dialog->hide();
    });
    host.open(QStringLiteral("frmVelmora"));
    QPointer<QDialog> first = host.existing(QStringLiteral("frmVelmora"));

    host.discard(QStringLiteral("frmVelmora"));
    QVERIFY(first.isNull());
    QCOMPARE(host.existing(QStringLiteral("frmVelmora")), nullptr);

    QString seen = QStringLiteral("not opened");
    whileOpen(host, QStringLiteral("frmVelmora"), [&](QDialog* dialog) {
        seen = typedName(dialog);
        dialog->hide();
    });
    host.open(QStringLiteral("frmVelmora"));
    QCOMPARE(seen, QString());
    QCOMPARE(created, 2);
}

void DialogHostTest::discardWhileShownEndsTheRunAndDiscards() {
    DialogHost host;
    host.registerDialog(QStringLiteral("frmTest"), [] { return new NameDialog; });
    QPointer<QDialog> first;
    whileOpen(host, QStringLiteral("frmTest"), [&](QDialog* dialog) {
        first = dialog;
        host.discard(QStringLiteral("frmTest"));
        // Still alive until its modal run has returned.
        QVERIFY(!first.isNull());
    });
    host.open(QStringLiteral("frmTest"));
    QVERIFY(first.isNull());
    QCOMPARE(host.existing(QStringLiteral("frmTest")), nullptr);
}

void DialogHostTest::discardOfAMissingDialogDoesNothing() {
    DialogHost host;
    host.discard(QStringLiteral("frmDescriptives"));  // never registered
    host.registerDialog(QStringLiteral("frmTest"), [] { return new NameDialog; });
    host.discard(QStringLiteral("frmTest"));  // registered, never created
    QCOMPARE(host.existing(QStringLiteral("frmTest")), nullptr);
}

void DialogHostTest::dialogLoadedAnewOnEveryOpening() {
    DialogHost host;
    int created = 0;
    host.registerDialog(
        QStringLiteral("frmNavigate"),
        [&] {
            ++created;
            return new NameDialog;
        },
        DialogLifetime::DiscardAfterEachOpening);
    for (int opening = 1; opening <= 2; ++opening) {
        QString seen;
        whileOpen(host, QStringLiteral("frmNavigate"), [&](QDialog* dialog) {
            seen = typedName(dialog);
            static_cast<NameDialog*>(dialog)->name->setText(QStringLiteral("moved"));
            dialog->hide();  // even a hide does not keep it
        });
        host.open(QStringLiteral("frmNavigate"));
        QCOMPARE(seen, QString());
        QCOMPARE(host.existing(QStringLiteral("frmNavigate")), nullptr);
        QCOMPARE(created, opening);
    }
}

void DialogHostTest::openingWithoutFactoryOrWithFailingFactoryOpensNothing() {
    DialogHost host;
    host.open(QStringLiteral("frmOpenOutput"));  // not registered: returns at once
    host.registerDialog(QStringLiteral("frmNull"), [] { return static_cast<QDialog*>(nullptr); });
    host.open(QStringLiteral("frmNull"));
    QCOMPARE(host.existing(QStringLiteral("frmNull")), nullptr);
    host.registerDialog(QStringLiteral("frmThrows"), []() -> QDialog* { throw std::runtime_error("load"); });
    host.open(QStringLiteral("frmThrows"));
    QCOMPARE(host.existing(QStringLiteral("frmThrows")), nullptr);
}

void DialogHostTest::hostDeletesItsHiddenDialogs() {
    QPointer<QDialog> kept;
    {
        DialogHost host;
        host.registerDialog(QStringLiteral("frmTest"), [] { return new NameDialog; });
        whileOpen(host, QStringLiteral("frmTest"), [](QDialog* dialog) { dialog->hide(); });
        host.open(QStringLiteral("frmTest"));
        kept = host.existing(QStringLiteral("frmTest"));
        QVERIFY(!kept.isNull());
    }
    QVERIFY(kept.isNull());
}

void DialogHostTest::openReturnsTheResultTheRunEndedWith() {
    DialogHost host;
    host.registerDialog(QStringLiteral("frmTest"), [] { return new NameDialog; });
    whileOpen(host, QStringLiteral("frmTest"), [](QDialog* dialog) {
        dialog->setResult(QDialog::Accepted);
        dialog->hide();
    });
    QCOMPARE(host.open(QStringLiteral("frmTest")), int(QDialog::Accepted));
    // The next run starts without the earlier result; its close box rejects.
    whileOpen(host, QStringLiteral("frmTest"), [](QDialog* dialog) { dialog->close(); });
    QCOMPARE(host.open(QStringLiteral("frmTest")), int(QDialog::Rejected));
    QCOMPARE(host.open(QStringLiteral("frmMissing")), int(QDialog::Rejected));
}

int runDialogHostTests(int argc, char** argv) {
    DialogHostTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_dialog_host.moc"
