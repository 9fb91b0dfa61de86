// The file browser and the queue on real widgets: queuing, removing, deleting, browsing, menus.

#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "support/TempPrefix.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        out << list->item(i)->text();
    }
    return out;
}

// What the window system delivers for a double-click: a click, then the double-click itself.
void doubleClick(QAbstractItemView* view, const QModelIndex& index) {
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

// A prefix holding `files` below C:, and a shown main window whose browser is at `folder`.
struct Browser {
    test::TempPrefix prefix;
    test::Form1Fixture f;
    Form1& form = *f.form;

    Browser(std::initializer_list<const char*> files, const QString& folder) {
        prefix.installGame("Games/UT");
        for (const char* name : files) {
            prefix.makeFile(name);
        }
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.Dir1->setPath(folder));
    }
    void clickFile(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QPoint at = form.File1->visualItemRect(form.File1->item(row)).center();
        QTest::mouseClick(form.File1->viewport(), Qt::LeftButton, modifiers, at);
    }
    void doubleClickFile(int row) { doubleClick(form.File1, form.File1->model()->index(row, 0)); }
    // Opens a sub-folder of the folder list's current folder.
    void openSubFolder(int child) {
        doubleClick(form.Dir1, form.Dir1->model()->index(child, 0, form.Dir1->currentIndex()));
    }
};

} // namespace

class Form1BrowserTest : public QObject {
    Q_OBJECT
private slots:
    void queuesSortedAndInOrderAndRemovesOneEntryFromEachList() {
        Browser b({"UT/b.unr", "UT/A.unr", "UT/c.unr", "UT/B2.unr"}, "C:\\UT");
        b.form.List1_DblClick();          // empty queue: nothing happens
        for (int row : {3, 1, 0, 1, 2}) { // c, b, A, b again, B2
            b.doubleClickFile(row);
        }
        QCOMPARE(texts(b.form.List1),
                 (QStringList{"C:\\UT\\A.unr", "C:\\UT\\b.unr", "C:\\UT\\b.unr", "C:\\UT\\B2.unr",
                              "C:\\UT\\c.unr"}));
        QCOMPARE(texts(b.form.List2), (QStringList{"c.unr", "b.unr", "A.unr", "b.unr", "B2.unr"}));
        // A name queued twice leaves one in List2; the first of the names goes.
        doubleClick(b.form.List1, b.form.List1->model()->index(1, 0));
        QCOMPARE(texts(b.form.List2), (QStringList{"c.unr", "A.unr", "b.unr", "B2.unr"}));

        // Add Selected Items queues from the last selected file to the first.
        b.form.List2->clear();
        b.clickFile(0);
        b.clickFile(1, Qt::ShiftModifier);
        b.clickFile(3, Qt::ControlModifier);
        b.form.KewlButtons1->click();
        QCOMPARE(texts(b.form.List2), (QStringList{"c.unr", "b.unr", "A.unr"}));

        // At a drive root the path gets two separators, as the batch file takes it.
        QVERIFY(b.form.Dir1->setPath(QStringLiteral("C:\\")));
        b.prefix.makeFile("Root.txt");
        b.form.File1->refresh();
        b.doubleClickFile(0);
        QVERIFY(texts(b.form.List1).contains(QStringLiteral("C:\\\\Root.txt")));
        QVERIFY(b.f.messages.shown.empty());
    }

    void enterPressesTheFocusedButtonAndElseStartAsSpaceDoes() {
        Browser b({"UT/a.unr"}, "C:\\UT");
        QApplication::setActiveWindow(&b.form);
        // From the lists and the folder list, Enter is Start's (which finds nothing queued).
        for (QWidget* from :
             std::initializer_list<QWidget*>{b.form.File1, b.form.List1, b.form.Dir1}) {
            from->setFocus();
            QTest::keyClick(from, Qt::Key_Return);
        }
        QCOMPARE(b.f.messages.shown.size(), std::size_t{3});
        QCOMPARE(b.f.messages.shown.back().text, std::string("No files to compile."));
        b.clickFile(0);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
            b.form.KewlButtons1->setFocus();
            QTest::keyClick(b.form.KewlButtons1, key);
        }
        QCOMPARE(b.form.List1->count(), 2);
        QWidget splash; // Exit also closes a splash still up
        splash.show();
        b.form.setSplash(&splash);
        b.form.KewlButtons3->setFocus();
        QTest::keyClick(b.form.KewlButtons3, Qt::Key_Enter);
        QCOMPARE(b.f.endRequests, 1);
        QVERIFY(!splash.isVisible());
    }

    // No question, read-only files too; a file that cannot be deleted is reported, the rest go.
    void deleteRemovesTheSelectedFilesAndReportsFailures() {
        Browser b({"UT/gone.u", "UT/keep.u", "UT/readonly.u"}, "C:\\UT");
        const fs::path folder = b.prefix.driveC() / "UT";
        fs::permissions(folder / "readonly.u", fs::perms::owner_read);
        b.doubleClickFile(2);
        b.clickFile(0);
        b.clickFile(2, Qt::ControlModifier);
        fs::remove(folder / "gone.u"); // behind the list's back: fails for any user, root too
        b.form.mnuDelete->trigger();
        QVERIFY(!fs::exists(folder / "readonly.u"));
        QCOMPARE(b.form.File1->count(), 1);
        QCOMPARE(b.form.List1->count(), 1); // the queue stays
        QCOMPARE(b.f.messages.shown.size(), std::size_t{1});
        const auto& box = b.f.messages.shown.front();
        QCOMPARE(box.title + std::to_string(box.style), std::string("Error~!16"));
        QVERIFY2(box.text.starts_with("These files could not be deleted:\n\nC:\\UT\\gone.u: ") &&
                     box.text.find("readonly") == std::string::npos,
                 box.text.c_str());
    }

    void browsingFollowsWithFilesKeepsTheQueueAndSurvivesWhatHasGone() {
        Browser b({"UT/a.u", "UT/.hidden", "UT/Maps/m.unr", "UT/Old/o.u"}, "C:\\UT");
        b.prefix.addDrive('D', b.prefix.root() / "d");
        b.prefix.makeFile("../d/onD.txt");
        QCOMPARE(b.form.File1->count(), 1); // no hidden files, no folders
        b.doubleClickFile(0);
        b.openSubFolder(0);
        QCOMPARE(b.form.File1->path(), QStringLiteral("C:\\UT\\Maps"));

        // A folder that has gone moves the list up to the nearest one left; opening a
        // sub-folder that has gone meanwhile leaves it where it is.
        fs::remove_all(b.prefix.driveC() / "UT" / "Maps");
        b.form.Dir1->refresh();
        QCOMPARE(b.form.Dir1->path(), QStringLiteral("C:\\UT"));
        fs::remove_all(b.prefix.driveC() / "UT" / "Old");
        b.openSubFolder(0);
        QCOMPARE(b.form.Dir1->path(), QStringLiteral("C:\\UT"));
        QCOMPARE(b.form.Dir1->currentItem()->childCount(), 0);

        b.form.Drive1->refresh();
        QVERIFY(b.form.Drive1->setDrive(QStringLiteral("D:\\")));
        QCOMPARE(b.form.File1->path(), QStringLiteral("D:\\"));
        QCOMPARE(b.form.File1->fileName(0), QStringLiteral("onD.txt"));
        // A drive that cannot be read is reported, and the browser stays where it was.
        b.prefix.addDrive('E', b.prefix.root() / "e");
        fs::remove(b.prefix.root() / "e");
        b.form.Drive1->refresh();
        QVERIFY(b.form.Drive1->setDrive(QStringLiteral("E:\\")));
        QCOMPARE(b.f.messages.shown.size(), std::size_t{1});
        QVERIFY(b.f.messages.shown.front().text.starts_with("Drive E: cannot be read."));
        QCOMPARE(b.form.Drive1->currentText(), QStringLiteral("d:"));
        QCOMPARE(b.form.Dir1->path(), QStringLiteral("D:\\"));
        QCOMPARE(texts(b.form.List2), QStringList{"a.u"});
        // The right button on the folder list opens Quick Snap where it was pressed.
        QTest::mousePress(b.form.Dir1->viewport(), Qt::RightButton, {}, QPoint(10, 10));
        QCOMPARE(b.form.mnuQuick->pos(), b.form.Dir1->viewport()->mapToGlobal(QPoint(10, 10)));
        b.form.mnuQuick->close();
    }
};

QTEST_MAIN(Form1BrowserTest)
#include "test_form1_browser.moc"
