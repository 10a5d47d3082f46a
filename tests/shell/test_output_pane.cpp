#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>

#include "shell/edit_commands.h"
#include "shell/output_pane.h"
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

    void copyOrCutWithFocusOnAListEmptiesClipboardAndLeavesPane_data();
    void copyOrCutWithFocusOnAListEmptiesClipboardAndLeavesPane();
    void copyOrCutWithNothingSelectedLeavesClipboardEmpty();
    void copyPutsSelectionOnClipboard();
    void cutMovesSelectionToClipboard();
    void copyGivesLineBreaksAsNewlines();
    void commandsFromThePaneViewportActOnThePane();
    void pasteWithEmptyClipboardDeletesSelection();
    void pasteInsertsAtCaretAndKeepsClipboard();
    void pastedLineEndsBecomeLinesOfThePane();
    void pasteWithFocusOnAListDoesNothing();
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

void OutputPaneTest::copyOrCutWithFocusOnAListEmptiesClipboardAndLeavesPane_data() {
    QTest::addColumn<bool>("cut");
    QTest::newRow("copy") << false;
    QTest::newRow("cut") << true;
}

void OutputPaneTest::copyOrCutWithFocusOnAListEmptiesClipboardAndLeavesPane() {
    QFETCH(bool, cut);
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("abcd\r\n");
    select(edit, 1, 3);
    QListWidget list;
    FakeClipboard clipboard;
    clipboard.content = QStringLiteral("earlier");

    if (cut) {
        velmora::editCut(&list, clipboard);
    } else {
        velmora::editCopy(&list, clipboard);
    }
    QVERIFY(!clipboard.content.has_value());
    QCOMPARE(clipboard.clears, 1);
    QCOMPARE(pane.text(), std::string("abcd\r\n"));
    QCOMPARE(edit.textCursor().selectedText(), QStringLiteral("bc"));

    // No focused control at all behaves the same.
    clipboard.content = QStringLiteral("earlier");
    if (cut) {
        velmora::editCut(nullptr, clipboard);
    } else {
        velmora::editCopy(nullptr, clipboard);
    }
    QVERIFY(!clipboard.content.has_value());
    QCOMPARE(pane.text(), std::string("abcd\r\n"));
}

void OutputPaneTest::copyOrCutWithNothingSelectedLeavesClipboardEmpty() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("abcd\r\n");
    FakeClipboard clipboard;
    clipboard.content = QStringLiteral("earlier");
    velmora::editCopy(&edit, clipboard);
    QVERIFY(!clipboard.content.has_value());
    clipboard.content = QStringLiteral("earlier");
    velmora::editCut(&edit, clipboard);
    QVERIFY(!clipboard.content.has_value());
    QCOMPARE(pane.text(), std::string("abcd\r\n"));
}

void OutputPaneTest::copyPutsSelectionOnClipboard() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("abcd\r\n");
    select(edit, 1, 3);
    FakeClipboard clipboard;
    velmora::editCopy(&edit, clipboard);
    QCOMPARE(clipboard.content, std::optional<QString>(QStringLiteral("bc")));
    QCOMPARE(clipboard.clears, 1);
    QCOMPARE(pane.text(), std::string("abcd\r\n"));
}

void OutputPaneTest::cutMovesSelectionToClipboard() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("abcd\r\n");
    select(edit, 1, 3);
    FakeClipboard clipboard;
    velmora::editCut(&edit, clipboard);
    QCOMPARE(clipboard.content, std::optional<QString>(QStringLiteral("bc")));
    QCOMPARE(pane.text(), std::string("ad\r\n"));
    QCOMPARE(edit.textCursor().position(), 1);
}

void OutputPaneTest::copyGivesLineBreaksAsNewlines() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("ab\r\ncd\r\n");
    select(edit, 1, 4);  // "b", the break, "c"
    FakeClipboard clipboard;
    velmora::editCopy(&edit, clipboard);
    QCOMPARE(clipboard.content, std::optional<QString>(QStringLiteral("b\nc")));
}

void OutputPaneTest::commandsFromThePaneViewportActOnThePane() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("abcd\r\n");
    select(edit, 0, 2);
    FakeClipboard clipboard;
    velmora::editCut(edit.viewport(), clipboard);
    QCOMPARE(clipboard.content, std::optional<QString>(QStringLiteral("ab")));
    QCOMPARE(pane.text(), std::string("cd\r\n"));
}

void OutputPaneTest::pasteWithEmptyClipboardDeletesSelection() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("abcd\r\n");
    select(edit, 1, 3);
    FakeClipboard clipboard;
    velmora::editPaste(&edit, clipboard);
    QCOMPARE(pane.text(), std::string("ad\r\n"));
    QCOMPARE(clipboard.clears, 0);
    QVERIFY(!clipboard.content.has_value());
}

void OutputPaneTest::pasteInsertsAtCaretAndKeepsClipboard() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("abcd\r\n");
    select(edit, 2, 2);
    FakeClipboard clipboard;
    clipboard.content = QStringLiteral("XY");
    velmora::editPaste(&edit, clipboard);
    QCOMPARE(pane.text(), std::string("abXYcd\r\n"));
    QCOMPARE(clipboard.content, std::optional<QString>(QStringLiteral("XY")));
    QCOMPARE(edit.textCursor().position(), 4);

    select(edit, 0, 1);
    velmora::editPaste(&edit, clipboard);
    QCOMPARE(pane.text(), std::string("XYbXYcd\r\n"));
}

void OutputPaneTest::pastedLineEndsBecomeLinesOfThePane() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    FakeClipboard clipboard;
    clipboard.content = QStringLiteral("1\r\n2\n3\r4");
    velmora::editPaste(&edit, clipboard);
    QCOMPARE(pane.text(), std::string("1\r\n2\r\n3\r\n4"));
}

void OutputPaneTest::pasteWithFocusOnAListDoesNothing() {
    QPlainTextEdit edit;
    OutputPane pane(&edit);
    pane.append("abcd\r\n");
    select(edit, 1, 3);
    QListWidget list;
    FakeClipboard clipboard;
    clipboard.content = QStringLiteral("XY");
    velmora::editPaste(&list, clipboard);
    velmora::editPaste(nullptr, clipboard);
    QCOMPARE(pane.text(), std::string("abcd\r\n"));
    QCOMPARE(clipboard.content, std::optional<QString>(QStringLiteral("XY")));
}

int runOutputPaneTests(int argc, char** argv) {
    OutputPaneTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_output_pane.moc"
