#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>

#include "shell/qt_edit_commands.h"
#include "shell/qt_output_pane.h"
#include "shell/shell_tests.h"
#include "support/fake_clipboard.h"

using velmora::OutputPane;
using velmora::testing::FakeClipboard;

namespace {

void select(QPlainTextEdit& edit, int from, int to) {
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
}

}  // namespace

class OutputPaneTest : public QObject {
    Q_OBJECT
private slots:
    void appendAfterTypedTextContinuesTheLastLine();
    void appendToEmptyPaneGivesTheBlock();
    void appendsFollowEachOtherWithNothingBetween();
    void appendLeavesTheCaretAtTheStart();
    void appendKeepsCharactersTypedBeyondLatin1();
    void paneTextKeepsEveryByte();
    void strayCrAndLfSurviveAsBytes();
    void typedCharacterBeyondLatin1ReadsAsQuestionMark();
    void clearEmptiesThePane();
    void fileTextKeepsEveryCharacter_data();
    void fileTextKeepsEveryCharacter();
    void paneRemembersTheEncodingItWasOpenedInUntilCleared();

    void editCommandsFollowTheFocusedControlAndTheSelection();
};

void OutputPaneTest::appendAfterTypedTextContinuesTheLastLine() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    QTest::keyClicks(&edit, "abc");
    QCOMPARE(pane.text(), std::string("abc"));
    pane.append("Number of Cases: 3\r\nNumber of Variables: 2\r\n");
    QCOMPARE(pane.text(), std::string("abcNumber of Cases: 3\r\nNumber of Variables: 2\r\n"));
    QCOMPARE(edit.toPlainText(), QStringLiteral("abcNumber of Cases: 3\nNumber of Variables: 2\n"));
    QCOMPARE(edit.blockCount(), 3);
}

void OutputPaneTest::appendToEmptyPaneGivesTheBlock() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("Line 1\r\n\r\n");
    QCOMPARE(pane.text(), std::string("Line 1\r\n\r\n"));
    QCOMPARE(edit.blockCount(), 3);
}

void OutputPaneTest::appendsFollowEachOtherWithNothingBetween() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("first\r\n");
    pane.append("second\r\n");
    pane.append("");
    QCOMPARE(pane.text(), std::string("first\r\nsecond\r\n"));
}

void OutputPaneTest::appendLeavesTheCaretAtTheStart() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("one\r\ntwo\r\n");
    edit.moveCursor(QTextCursor::End);
    select(edit, 2, 5);
    pane.append("three\r\n");
    QCOMPARE(edit.textCursor().position(), 0);
    QVERIFY(!edit.textCursor().hasSelection());

    // As after assigning the whole text: the view shows the start, and undo
    // cannot take the report out again.
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.resize(200, 100);
    edit.show();
    std::string lines;
    for (int i = 0; i < 200; ++i) lines += "a long line that reaches beyond the pane's width\r\n";
    pane.append(lines);
    for (QScrollBar* bar : {edit.verticalScrollBar(), edit.horizontalScrollBar()}) {
        bar->setValue(bar->maximum());
        QVERIFY(bar->value() > 0);
    }
    pane.append("four\r\n");
    QCOMPARE(edit.verticalScrollBar()->value(), 0);
    QCOMPARE(edit.horizontalScrollBar()->value(), 0);
    QVERIFY(!edit.document()->isUndoAvailable());
}

void OutputPaneTest::appendKeepsCharactersTypedBeyondLatin1() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    QTest::keyClicks(&edit, "x");
    // The euro sign has no key of its own in the test keyboard: send its text.
    QKeyEvent euro(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\u20AC"));
    QApplication::sendEvent(&edit, &euro);
    QTest::keyClicks(&edit, "y");
    pane.append("z\r\n");
    QCOMPARE(edit.toPlainText(), QStringLiteral("x\u20ACyz\n"));
}

void OutputPaneTest::paneTextKeepsEveryByte() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    // e-acute, a no-break space (which plain-text export would turn into a
    // blank), a tab and a 0xFF byte.
    const std::string block("caf\xE9\xA0" "a\tb\xFF\r\n", 11);
    pane.append(block);
    QCOMPARE(pane.text(), block);
    QCOMPARE(edit.toPlainText().at(3), QChar(0xE9));
    // The old text goes through the next append unchanged too.
    pane.append("x\r\n");
    QCOMPARE(pane.text(), block + "x\r\n");
}

void OutputPaneTest::strayCrAndLfSurviveAsBytes() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    // Only CR LF breaks a line; a CR or LF alone stays inside its line.
    pane.append("a\nb\rc\r\n");
    QCOMPARE(edit.blockCount(), 2);
    QCOMPARE(pane.text(), std::string("a\nb\rc\r\n"));
    QCOMPARE(velmora::paneTextToWidget("a\nb\rc\r\n"), QStringLiteral("a\u240Ab\u240Dc\n"));
}

void OutputPaneTest::typedCharacterBeyondLatin1ReadsAsQuestionMark() {
    QCOMPARE(velmora::widgetTextToPane(QStringLiteral("1\u20AC2\u20293\u2028")),
             std::string("1?2\r\n3\r\n"));
}

void OutputPaneTest::clearEmptiesThePane() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.clear();
    QCOMPARE(pane.text(), std::string());
    pane.append("x\r\ny\r\n");
    pane.clear();
    QCOMPARE(pane.text(), std::string());
    QCOMPARE(edit.toPlainText(), QString());
}

void OutputPaneTest::fileTextKeepsEveryCharacter_data() {
    QTest::addColumn<QString>("raw");  // the widget's raw text
    QTest::addColumn<bool>("askLatin1");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("inLatin1");  // the encoding the bytes came out in
    QTest::newRow("utf-8") << QStringLiteral("\u00E9 \u03B1") << false
                           << QByteArray("\xC3\xA9 \xCE\xB1") << false;
    QTest::newRow("latin-1 fits") << QStringLiteral("\u00E9\u00FF") << true
                                  << QByteArray("\xE9\xFF") << true;
    QTest::newRow("latin-1 does not fit")
        << QStringLiteral("\u00E9\u03B1") << true << QByteArray("\xC3\xA9\xCE\xB1") << false;
    QTest::newRow("breaks and pictures")
        << QStringLiteral("a\u2029b\u240Ac\u240D") << true << QByteArray("a\r\nb\nc\r") << true;
}

void OutputPaneTest::fileTextKeepsEveryCharacter() {
    QFETCH(QString, raw);
    QFETCH(bool, askLatin1);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, inLatin1);
    using velmora::TextEncoding;
    const std::string file =
        velmora::widgetTextToFile(raw, askLatin1 ? TextEncoding::Latin1 : TextEncoding::Utf8);
    QCOMPARE(QByteArray::fromStdString(file), bytes);
    QCOMPARE(velmora::fileTextToWidget(file, inLatin1 ? TextEncoding::Latin1 : TextEncoding::Utf8),
             QString(raw).replace(QChar::ParagraphSeparator, u'\n'));
}

void OutputPaneTest::paneRemembersTheEncodingItWasOpenedInUntilCleared() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    // A leading byte order mark is a character of the text, so it is written back.
    pane.replaceFromFile("\xEF\xBB\xBFx\r\n", velmora::TextEncoding::Utf8);
    QCOMPARE(pane.fileText(), std::string("\xEF\xBB\xBFx\r\n"));
    pane.replaceFromFile("caf\xE9\r\n", velmora::TextEncoding::Latin1);
    QCOMPARE(edit.toPlainText(), QStringLiteral("caf\u00E9\n"));
    QCOMPARE(pane.fileText(), std::string("caf\xE9\r\n"));
    pane.append("x\r\n");
    QCOMPARE(pane.fileText(), std::string("caf\xE9\r\nx\r\n"));
    pane.clear();
    edit.setPlainText(QStringLiteral("\u00E9"));
    QCOMPARE(pane.fileText(), std::string("\xC3\xA9"));
}

void OutputPaneTest::editCommandsFollowTheFocusedControlAndTheSelection() {
    enum class Command { Cut, Copy, Paste };
    enum class Target { Pane, Viewport, List, Nothing };
    struct Case {
        const char* name;
        Command command;
        Target target;
        const char* pane;  // before, with the characters from..to selected
        int from;
        int to;
        std::optional<std::string> clipboard;  // before
        const char* paneAfter;
        std::optional<std::string> clipboardAfter;
        int clears;
        int caret;  // after
    };
    using enum Command;
    using enum Target;
    const std::optional<std::string> none;
    const char* const ab = "abcd\r\n";
    const Case cases[] = {
        // Cut and Copy empty the clipboard first, whatever has the focus.
        {"copy on a list", Copy, List, ab, 1, 3, "earlier", ab, none, 1, 3},
        {"cut on a list", Cut, List, ab, 1, 3, "earlier", ab, none, 1, 3},
        {"copy on nothing", Copy, Nothing, ab, 1, 3, "earlier", ab, none, 1, 3},
        {"cut on nothing", Cut, Nothing, ab, 1, 3, "earlier", ab, none, 1, 3},
        {"copy of no selection", Copy, Pane, ab, 2, 2, "earlier", ab, none, 1, 2},
        {"cut of no selection", Cut, Pane, ab, 2, 2, "earlier", ab, none, 1, 2},
        {"copy", Copy, Pane, ab, 1, 3, none, ab, "bc", 1, 3},
        {"cut", Cut, Pane, ab, 1, 3, none, "ad\r\n", "bc", 1, 1},
        {"copy across a line end", Copy, Pane, "ab\r\ncd\r\n", 1, 4, none, "ab\r\ncd\r\n", "b\nc",
         1, 4},
        {"cut from the viewport", Cut, Viewport, ab, 0, 2, none, "cd\r\n", "ab", 1, 0},
        // Paste leaves the clipboard as it is; an empty one deletes the selection.
        {"paste of nothing", Paste, Pane, ab, 1, 3, none, "ad\r\n", none, 0, 1},
        {"paste at the caret", Paste, Pane, ab, 2, 2, "XY", "abXYcd\r\n", "XY", 0, 4},
        {"paste over a selection", Paste, Pane, ab, 0, 1, "XY", "XYbcd\r\n", "XY", 0, 2},
        {"paste of line ends", Paste, Pane, "", 0, 0, "1\r\n2\n3\r4", "1\r\n2\r\n3\r\n4",
         "1\r\n2\n3\r4", 0, 7},
        {"paste on a list", Paste, List, ab, 1, 3, "XY", ab, "XY", 0, 3},
        {"paste on nothing", Paste, Nothing, ab, 1, 3, "XY", ab, "XY", 0, 3},
    };
    for (const Case& c : cases) {
        QPlainTextEdit edit;
        OutputPane pane(&edit);
        pane.append(c.pane);
        select(edit, c.from, c.to);
        QListWidget list;
        FakeClipboard clipboard;
        clipboard.content = c.clipboard;
        QWidget* const targets[] = {&edit, edit.viewport(), &list, nullptr};
        QWidget* focused = targets[static_cast<int>(c.target)];
        switch (c.command) {
            case Command::Cut:
                velmora::editCut(focused, clipboard);
                break;
            case Command::Copy:
                velmora::editCopy(focused, clipboard);
                break;
            case Command::Paste:
                velmora::editPaste(focused, clipboard);
                break;
        }
        QVERIFY2(pane.text() == c.paneAfter, c.name);
        QVERIFY2(clipboard.content == c.clipboardAfter, c.name);
        QVERIFY2(clipboard.clears == c.clears, c.name);
        QVERIFY2(edit.textCursor().position() == c.caret, c.name);
    }
}

int runOutputPaneTests(int argc, char** argv) {
    OutputPaneTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_output_pane.moc"
