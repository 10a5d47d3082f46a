#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "output/frm_open_output.h"
#include "output/frm_save_output.h"
#include "runtime/output_file_system.h"
#include "runtime/qt_file_system_lists.h"
#include "shell/qt_output_pane.h"
#include "support/caption_of.h"
#include "support/fake_message_box.h"

using velmora::frmOpenOutput;
using velmora::frmSaveOutput;
using velmora::testing::FakeMessageBox;

namespace {

// A pane, the services and both dialogs, whose lists show a fresh directory.
struct Fixture {
    Fixture() {
        for (velmora::OutputFileDialog* dialog :
             std::initializer_list<velmora::OutputFileDialog*>{&save, &open}) {
            dialog->dirDirectory()->setPath(dir.path());
        }
    }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QByteArray read(const char* name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void write(const char* name, const QByteArray& bytes) {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Every entry of the directory, hidden ones too.
    QStringList entries() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    void saveAs(const QString& typed) {
        save.show();
        save.txtSavedFileName()->setText(typed);
        save.cmdSave()->click();
    }
    void openFile(const QString& name) {
        open.show();
        open.filFile()->setPath(dir.path());  // lists a file written since
        const QList<QListWidgetItem*> found = open.filFile()->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        open.filFile()->setCurrentItem(found.first());
        open.cmdOpen()->click();
    }

    QTemporaryDir dir;
    QPlainTextEdit edit;
    velmora::OutputPane pane{&edit};
    FakeMessageBox messageBox;
    velmora::OutputFileSystem files;
    velmora::DataFilePaths dataFiles;  // what the main window would report
    frmSaveOutput save{pane, messageBox, files, [this] { return dataFiles; }};
    frmOpenOutput open{pane, messageBox};
};

QByteArray bytes(const std::string& text) {
    return QByteArray::fromStdString(text);
}

void expectOneWarning(const FakeMessageBox& box, const char* text, const char* title) {
    QCOMPARE(box.shown.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(box.shown[0].text), QString::fromLatin1(text));
    QCOMPARE(QString::fromStdString(box.shown[0].title), QString::fromLatin1(title));
    QVERIFY(box.shown[0].icon == velmora::MessageIcon::Warning);
    QVERIFY(box.shown[0].buttons == velmora::MessageButtons::Ok);
}

}  // namespace

class OutputDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void ControlsFollowTheirTables();
    void FocusStartsOnTheFirstControlAndFollowsTheTabOrder();
    void FileClickPutsTheBareNameIntoTheNameField();
    void SaveWritesThePaneAndCrLfUnderTheNameRule_data();
    void SaveWritesThePaneAndCrLfUnderTheNameRule();
    void EmptyNameWarnsHidesAndWritesNothing();
    void FailedSaveWarnsStaysOpenAndCreatesNothing();
    void ExistingFileIsReplacedOnlyAfterYes_data();
    void ExistingFileIsReplacedOnlyAfterYes();
    void DataFileInUseIsRefused_data();
    void DataFileInUseIsRefused();
    void OpenGivesEveryLineFollowedByCrLf_data();
    void OpenGivesEveryLineFollowedByCrLf();
    void OpenWithoutAFileWarnsHidesAndKeepsThePane();
    void FileGoneSinceListedKeepsThePaneAndTheDialog();
    void SaveAndOpenAddOneEmptyLine();
    void FileBytesSurviveOpenAndSave_data();
    void FileBytesSurviveOpenAndSave();
    void TypedCharactersSurviveSaveAndOpen();
};

void OutputDialogsTest::ControlsFollowTheirTables() {
    struct Control {
        QDialog* dialog;
        const char* name;
        const char* caption;
        QRect rect;  // at 96 dpi, 15 twips a pixel
    };
    Fixture f;
    const QRect drive(16, 16, 161, 21), directory(16, 40, 161, 111), files(192, 16, 161, 136);
    const QRect label(136, 160, 49, 17), left(88, 208, 81, 33), right(200, 208, 81, 33);
    const Control controls[] = {
        {&f.save, "drvDrive", "", drive},
        {&f.open, "drvDrive", "", drive},
        {&f.save, "dirDirectory", "", directory},
        {&f.open, "dirDirectory", "", directory},
        {&f.save, "filFile", "", files},
        {&f.open, "filFile", "", files},
        {&f.save, "txtSavedFileName", "", QRect(192, 160, 161, 19)},
        {&f.save, "lblFileName", "File name:", label},
        {&f.open, "lblFileNameLabel", "File name:", label},
        {&f.open, "lblSelectedFile", "", QRect(192, 160, 161, 17)},
        {&f.save, "cmdSave", "Save", left},
        {&f.open, "cmdOpen", "Open", left},
        {&f.save, "cmdCancel", "Cancel", right},
        {&f.open, "cmdCancel", "Cancel", right},
    };
    QCOMPARE(f.save.objectName() + f.save.windowTitle(),
             QStringLiteral("frmSaveOutputSave Output"));
    QCOMPARE(f.open.objectName() + f.open.windowTitle(),
             QStringLiteral("frmOpenOutputOpen Output"));
    const bool at96 = f.save.logicalDpiX() == 96 && f.save.logicalDpiY() == 96;
    for (velmora::OutputFileDialog* dialog : {static_cast<velmora::OutputFileDialog*>(&f.save),
                                              static_cast<velmora::OutputFileDialog*>(&f.open)}) {
        QCOMPARE(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint |
                                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
                 Qt::WindowCloseButtonHint);
        QCOMPARE(dialog->filFile()->pattern(), QStringLiteral("*.txt"));
    }
    if (at96) {
        QCOMPARE(f.save.size(), QSize(373, 255));
        QCOMPARE(f.open.size(), QSize(369, 256));
    }
    for (const Control& c : controls) {
        auto* widget = c.dialog->findChild<QWidget*>(QString::fromLatin1(c.name));
        QVERIFY2(widget != nullptr, c.name);
        QCOMPARE(widget->toolTip(), QString());
        const QString caption = captionOf(widget);
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QVERIFY(!button->isDefault() && !button->autoDefault());
        }
        QCOMPARE(caption, QString::fromLatin1(c.caption));
        // A caption is never cut: a wider face than the design's widens its label.
        QRect expected = c.rect;
        if (qobject_cast<QLabel*>(widget) != nullptr && !caption.isEmpty()) {
            expected.setWidth(qMax(c.rect.width(), widget->sizeHint().width()));
        }
        if (at96) QCOMPARE(widget->geometry(), expected);
    }
}

void OutputDialogsTest::FocusStartsOnTheFirstControlAndFollowsTheTabOrder() {
    Fixture f;
    const QStringList saveOrder = {"drvDrive",         "dirDirectory", "filFile",
                                   "txtSavedFileName", "cmdSave",      "cmdCancel"};
    const QStringList openOrder = {"cmdCancel", "cmdOpen", "filFile", "dirDirectory", "drvDrive"};
    for (auto [dialog, order] : {std::pair<QDialog*, QStringList>{&f.save, saveOrder},
                                 std::pair<QDialog*, QStringList>{&f.open, openOrder}}) {
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QStringList visited = {QApplication::focusWidget()->objectName()};
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, order);
        // Neither key is bound to a button: away from the buttons (Enter on a
        // focused button presses it) the dialog stays open.
        dialog->findChild<QWidget*>(QStringLiteral("filFile"))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        dialog->hide();
    }
    QVERIFY(f.messageBox.shown.empty());
}

void OutputDialogsTest::FileClickPutsTheBareNameIntoTheNameField() {
    Fixture f;
    f.write("b.txt", "x");
    f.write("c.dat", "x");
    for (velmora::FileListBox* list : {f.save.filFile(), f.open.filFile()}) {
        list->setPath(f.dir.path());
        QCOMPARE(list->count(), 1);
        list->setCurrentRow(0);
    }
    QCOMPARE(f.save.txtSavedFileName()->text(), QStringLiteral("b.txt"));
    QCOMPARE(f.open.lblSelectedFile()->text(), QStringLiteral("b.txt"));
}

void OutputDialogsTest::SaveWritesThePaneAndCrLfUnderTheNameRule_data() {
    QTest::addColumn<QByteArray>("pane");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    // The name rule itself is pinned by the core tests; here the dialog applies it.
    QTest::newRow("empty pane") << QByteArray() << "results"
                                << "results.txt" << QByteArray("\r\n");
    QTest::newRow("ends in .TXT") << QByteArray("abc") << "results.TXT"
                                  << "results.TXT.txt" << QByteArray("abc\r\n");
}

void OutputDialogsTest::SaveWritesThePaneAndCrLfUnderTheNameRule() {
    QFETCH(QByteArray, pane);
    QFETCH(QString, typed);
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    Fixture f;
    f.pane.append(pane.toStdString());
    f.saveAs(typed);
    QCOMPARE(f.read(file.toUtf8().constData()), bytes);
    QVERIFY(!f.save.isVisible());
    QCOMPARE(f.save.result(), int(QDialog::Accepted));
    QVERIFY(f.messageBox.shown.empty());
    QCOMPARE(f.pane.text(), pane.toStdString());
    QCOMPARE(f.entries(), QStringList{file});  // no temporary file left beside it
}

void OutputDialogsTest::EmptyNameWarnsHidesAndWritesNothing() {
    Fixture f;
    f.pane.append("abc\r\n");
    f.saveAs(QString());
    expectOneWarning(f.messageBox, "A file name has not been provided.", "Save Output");
    QVERIFY(!f.save.isVisible());
    QCOMPARE(f.save.result(), int(QDialog::Rejected));
    QVERIFY(f.entries().isEmpty());
}

void OutputDialogsTest::FailedSaveWarnsStaysOpenAndCreatesNothing() {
    Fixture f;
    f.pane.append("abc\r\n");
    f.saveAs(QStringLiteral("missing/results"));
    expectOneWarning(f.messageBox, "The output could not be saved: No such file or directory",
                     "Save Output");
    QVERIFY(f.save.isVisible());
    QVERIFY(f.entries().isEmpty());
}

void OutputDialogsTest::ExistingFileIsReplacedOnlyAfterYes_data() {
    QTest::addColumn<int>("answer");  // -1: the box's default
    QTest::addColumn<bool>("replaced");
    QTest::newRow("yes") << int(velmora::MessageResult::Yes) << true;
    QTest::newRow("no") << int(velmora::MessageResult::No) << false;
    QTest::newRow("default") << -1 << false;
}

void OutputDialogsTest::ExistingFileIsReplacedOnlyAfterYes() {
    QFETCH(int, answer);
    QFETCH(bool, replaced);
    Fixture f;
    f.write("results.txt", "earlier\r\n");
    f.pane.append("new\r\n");
    if (answer >= 0) f.messageBox.script(velmora::MessageResult(answer));
    f.saveAs(QStringLiteral("results"));
    QCOMPARE(f.messageBox.shown.size(), std::size_t(1));
    const auto& question = f.messageBox.shown[0];
    QCOMPARE(question.text, std::string("results.txt already exists. Do you want to replace it?"));
    QCOMPARE(question.title, std::string("Save Output"));
    QVERIFY(question.icon == velmora::MessageIcon::Warning);
    QVERIFY(question.buttons == velmora::MessageButtons::YesNo);
    QCOMPARE(f.read("results.txt"),
             replaced ? QByteArray("new\r\n\r\n") : QByteArray("earlier\r\n"));
    QCOMPARE(f.save.isVisible(), !replaced);  // No returns to the dialog
    QCOMPARE(f.entries(), QStringList{"results.txt"});
}

void OutputDialogsTest::DataFileInUseIsRefused_data() {
    QTest::addColumn<bool>("loaded");  // or only selected
    QTest::addColumn<QString>("message");
    QTest::newRow("loaded") << true
                            << "data.txt is the data file currently loaded. Save the output "
                               "under another name.";
    QTest::newRow("selected") << false
                              << "data.txt is the data file selected for import. Save the output "
                                 "under another name.";
}

void OutputDialogsTest::DataFileInUseIsRefused() {
    QFETCH(bool, loaded);
    QFETCH(QString, message);
    Fixture f;
    f.write("data.txt", "1 2\r\n");
    QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("sub")));
    // The data file as the main window stored it, spelled another way.
    const std::string stored = f.path("sub").toStdString() + "/../data.txt";
    (loaded ? f.dataFiles.loaded : f.dataFiles.selected) = stored;
    f.pane.append("report\r\n");
    f.saveAs(QStringLiteral("data"));
    expectOneWarning(f.messageBox, message.toUtf8().constData(), "Save Output");
    QCOMPARE(f.read("data.txt"), QByteArray("1 2\r\n"));
    QVERIFY(f.save.isVisible());
}

void OutputDialogsTest::OpenGivesEveryLineFollowedByCrLf_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("pane");
    // The line rule itself is pinned by the core tests; here the pane receives it.
    QTest::newRow("no line end at the end") << QByteArray("A\r\nB") << QByteArray("A\r\nB\r\n");
    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("lf line ends") << QByteArray("A\nB\n") << QByteArray("A\r\nB\r\n");
}

void OutputDialogsTest::OpenGivesEveryLineFollowedByCrLf() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, pane);
    Fixture f;
    f.pane.append("earlier\r\n");
    f.write("in.txt", file);
    f.openFile(QStringLiteral("in.txt"));
    QCOMPARE(bytes(f.pane.text()), pane);
    QVERIFY(!f.open.isVisible());
    QCOMPARE(f.open.result(), int(QDialog::Accepted));
    QVERIFY(f.messageBox.shown.empty());
}

void OutputDialogsTest::OpenWithoutAFileWarnsHidesAndKeepsThePane() {
    Fixture f;
    f.pane.append("kept\r\n");
    f.open.show();
    f.open.cmdOpen()->click();
    expectOneWarning(f.messageBox, "A file has not been selected.", "Open Output");
    QVERIFY(!f.open.isVisible());
    QCOMPARE(f.open.result(), int(QDialog::Rejected));
    QCOMPARE(f.pane.text(), std::string("kept\r\n"));
}

void OutputDialogsTest::FileGoneSinceListedKeepsThePaneAndTheDialog() {
    Fixture f;
    f.pane.append("kept\r\n");
    f.write("gone.txt", "A\r\n");
    f.open.filFile()->setPath(f.dir.path());
    f.open.filFile()->setCurrentRow(0);
    QVERIFY(QFile::remove(f.path("gone.txt")));
    f.open.show();
    f.open.cmdOpen()->click();
    expectOneWarning(f.messageBox, "The file could not be opened: No such file or directory",
                     "Open Output");
    QVERIFY(f.open.isVisible());
    QCOMPARE(f.pane.text(), std::string("kept\r\n"));
    QCOMPARE(f.open.lblSelectedFile()->text(), QStringLiteral("gone.txt"));
}

void OutputDialogsTest::SaveAndOpenAddOneEmptyLine() {
    Fixture f;
    f.pane.append("Number of Cases: 3\r\n");
    f.saveAs(QStringLiteral("cycle"));
    f.openFile(QStringLiteral("cycle.txt"));
    QCOMPARE(f.pane.text(), std::string("Number of Cases: 3\r\n\r\n"));
}

void OutputDialogsTest::FileBytesSurviveOpenAndSave_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("not utf-8") << QByteArray("caf\xE9\r\n\xFF\x80\r\n");
    QTest::newRow("utf-8") << QByteArray("\xC3\xA9 \xCE\xB1\r\n");
    // Found by fuzzing: UTF-8 characters the pane shows as line breaks, as the
    // pictures of a lone CR or LF, or takes for frame marks.
    QTest::newRow("line separator") << QByteArray("\xC3\xA9z\xE2\x80\xA8" "b\r\n");
    QTest::newRow("paragraph separator") << QByteArray("\xC3\xA9z\xE2\x80\xA9" "b\r\n");
    QTest::newRow("picture of LF") << QByteArray("\xC3\xA9z\xE2\x90\x8A" "b\r\n");
    QTest::newRow("picture of CR") << QByteArray("\xC3\xA9z\xE2\x90\x8D" "b\r\n");
    QTest::newRow("frame marks") << QByteArray("\xEF\xB7\x90\xEF\xB7\x91\r\n");
}

void OutputDialogsTest::FileBytesSurviveOpenAndSave() {
    QFETCH(QByteArray, file);
    Fixture f;
    f.write("in.txt", file);
    f.openFile(QStringLiteral("in.txt"));
    f.saveAs(QStringLiteral("out"));
    QCOMPARE(f.read("out.txt"), file + "\r\n");
}

void OutputDialogsTest::TypedCharactersSurviveSaveAndOpen() {
    Fixture f;
    f.edit.setPlainText(QStringLiteral("\u00E9 \u03B1"));  // typed or pasted "é α"
    f.saveAs(QStringLiteral("typed"));
    QCOMPARE(f.read("typed.txt"), QByteArray("\xC3\xA9 \xCE\xB1\r\n"));
    f.edit.clear();
    f.openFile(QStringLiteral("typed.txt"));
    QCOMPARE(f.edit.toPlainText(), QStringLiteral("\u00E9 \u03B1\n"));
}

QTEST_MAIN(OutputDialogsTest)
#include "test_output_dialogs.moc"
