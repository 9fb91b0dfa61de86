// The job's output box, as the user works with it and as a big job fills it.

#include "controls/OutputBox.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace tolvane;

namespace {

struct ShownBox {
    OutputBox box{QStringLiteral("Text1")};
    ShownBox() {
        box.resize(400, 200);
        box.show();
        box.activateWindow();
        box.setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
    }
    QPoint pointOf(int line, int column) {
        // Lines are laid out from the top left corner, one line height apart.
        const int height = box.fontMetrics().height();
        const QString text = box.toPlainText().split(QLatin1Char('\n')).at(line);
        return {4 + box.fontMetrics().horizontalAdvance(text.left(column)),
                4 + line * height + height / 2};
    }
};

} // namespace

class TestOutputBox : public QObject {
    Q_OBJECT
private slots:
    void theUserCanTypeSelectCopyAndPaste() {
        ShownBox shown;
        OutputBox& box = shown.box;
        QSignalSpy changes(&box, &OutputBox::textChanged);
        box.moveCaretToEnd();
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClicks(&box, QStringLiteral("ab c"));
        QCOMPARE(box.toPlainText(), QStringLiteral("Text1\nab c"));
        QCOMPARE(changes.count(), 5);
        // Backspace at a line's start joins it to the line above; Delete takes the next sign.
        QTest::keyClick(&box, Qt::Key_Home);
        QTest::keyClick(&box, Qt::Key_Backspace);
        QTest::keyClick(&box, Qt::Key_Delete);
        QCOMPARE(box.toPlainText(), QStringLiteral("Text1b c"));
        // Up and Down keep the column where the lines are long enough.
        box.setPlainText(QStringLiteral("abcde line\nx\nabcde more"));
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, shown.pointOf(0, 5));
        QTest::keyClick(&box, Qt::Key_Down);
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.caretPosition(), qsizetype(QStringLiteral("abcde line\nx\nabcde").size()));
        // A selection across a line break, copied, then pasted over another selection with the
        // clipboard's own line breaks.
        QTest::keyClick(&box, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(box.selectedText(), QStringLiteral("\nabcde"));
        QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("\nabcde"));
        QGuiApplication::clipboard()->setText(QStringLiteral("one\r\ntwo"));
        QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box.toPlainText(), QStringLiteral("abcde line\nxone\ntwo more"));
        QCOMPARE(box.caretPosition(), qsizetype(QStringLiteral("abcde line\nxone\ntwo").size()));
        // Dragging selects; a double-click selects the word; Ctrl+X takes it away.
        QTest::mousePress(box.viewport(), Qt::LeftButton, {}, shown.pointOf(0, 0));
        QTest::mouseMove(box.viewport(), shown.pointOf(1, 1));
        QTest::mouseRelease(box.viewport(), Qt::LeftButton, {}, shown.pointOf(1, 1));
        QCOMPARE(box.selectedText(), QStringLiteral("abcde line\nx"));
        QTest::mouseDClick(box.viewport(), Qt::LeftButton, {}, shown.pointOf(0, 7));
        QCOMPARE(box.selectedText(), QStringLiteral("line"));
        QTest::keyClick(&box, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(box.toPlainText(), QStringLiteral("abcde \nxone\ntwo more"));
        // Assistive tools read the same text, caret and selection.
        QAccessibleInterface* described = QAccessible::queryAccessibleInterface(&box);
        QVERIFY(described && described->textInterface());
        QCOMPARE(described->role(), QAccessible::EditableText);
        QCOMPARE(described->textInterface()->text(0, 5), QStringLiteral("abcde"));
        QCOMPARE(described->textInterface()->characterCount(), int(box.characterCount()));
        described->textInterface()->setSelection(0, 7, 11);
        QCOMPARE(box.selectedText(), QStringLiteral("xone"));
        // Ctrl+A and typing replace everything.
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&box, QStringLiteral("z"));
        QCOMPARE(box.toPlainText(), QStringLiteral("z"));
    }

    void aBigJobsOutputStaysWholeAndCanBeScrolledThrough() {
        ShownBox shown;
        OutputBox& box = shown.box;
        box.clear();
        QString expected;
        // Pieces end anywhere, in the middle of a line or just after a line feed.
        for (int i = 0; i < 20000; ++i) {
            const QString piece = QStringLiteral("line %1 of the job\n").arg(i);
            const int cut = i % 7;
            box.appendText(QStringView(piece).left(cut));
            box.appendText(QStringView(piece).mid(cut));
            expected += piece;
        }
        box.appendText(u"last, unfinished");
        expected += QStringLiteral("last, unfinished");
        QCOMPARE(box.toPlainText(), expected);
        QCOMPARE(box.characterCount(), expected.size());
        box.moveCaretToEnd();
        box.ensureCaretVisible();
        QScrollBar* vertical = box.verticalScrollBar();
        QCOMPARE(vertical->value(), vertical->maximum());
        QCOMPARE(vertical->maximum() + vertical->pageStep(), 20001);
        // The newest line is in view, and the scroll bar reaches as far as it is long.
        QApplication::processEvents();
        const int visibleWidth = box.viewport()->width();
        QVERIFY(box.horizontalScrollBar()->maximum() + visibleWidth >=
                box.fontMetrics().horizontalAdvance(QStringLiteral("last, unfinished")));
        QTest::keyClick(&box, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(vertical->value(), 0);
        QCOMPARE(box.caretPosition(), qsizetype(0));
    }
};

QTEST_MAIN(TestOutputBox)
#include "test_outputbox.moc"
