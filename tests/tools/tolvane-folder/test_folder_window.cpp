// The folder window: its listing, its navigation, a missing folder, and its program.

#include "FolderWindow.h"
#include "common/HelperPrograms.h"
#include "platform/folderwindow.h"
#include "support/ProcessFacts.h"
#include "support/TempPrefix.h"

#include <QApplication>
#include <QTest>
#include <QTreeWidget>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

QStringList column(const FolderWindow& window, int col) {
    QStringList texts;
    for (int i = 0; i < window.contents()->topLevelItemCount(); ++i) {
        texts << window.contents()->topLevelItem(i)->text(col);
    }
    return texts;
}

} // namespace

class FolderWindowTest : public QObject {
    Q_OBJECT
private slots:
    void listsSubFoldersFirstInAWindowOf800By600() {
        test::TempPrefix prefix;
        prefix.makeFolder("UT/Maps/zeta");
        prefix.makeFolder("UT/Maps/Alpha");
        prefix.makeFile("UT/Maps/b.unr", std::string(2000, 'x'));
        prefix.makeFile("UT/Maps/A.unr", "");
        prefix.makeFile("UT/Maps/README", "1");
        prefix.makeFile("UT/Maps/.hidden");

        FolderWindow window;
        window.openFolder("C:\\UT\\\\Maps");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), QSize(800, 600));
        QCOMPARE(window.windowTitle(), QStringLiteral("C:\\UT\\\\Maps"));
        QVERIFY(window.notice().isEmpty());
        QCOMPARE(column(window, FolderWindow::NameColumn),
                 QStringList({"Alpha", "zeta", "A.unr", "b.unr", "README"}));
        QCOMPARE(column(window, FolderWindow::SizeColumn),
                 QStringList({"", "", "0 KB", "2 KB", "1 KB"}));
        QCOMPARE(column(window, FolderWindow::TypeColumn),
                 QStringList({"File Folder", "File Folder", "UNR File", "UNR File", "File"}));
        for (int i = 0; i < window.contents()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = window.contents()->topLevelItem(i);
            QVERIFY(!item->icon(FolderWindow::NameColumn).isNull());
            QVERIFY(!item->text(FolderWindow::ModifiedColumn).isEmpty());
        }
    }

    void doubleClickOpensASubFolderInTheSameWindow() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/Maps/Alpha/inside.unr");
        prefix.makeFile("UT/Maps/outside.unr");
        FolderWindow window;
        window.openFolder("C:\\UT\\Maps");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // A file does nothing; a folder opens in place. (A click first, as a user's double-click
        // begins with one.)
        QTreeWidget* list = window.contents();
        const QPoint onFile = list->visualItemRect(list->topLevelItem(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onFile);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onFile);
        QCOMPARE(window.windowTitle(), QStringLiteral("C:\\UT\\Maps"));
        const QPoint onFolder = list->visualItemRect(list->topLevelItem(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onFolder);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onFolder);
        QCOMPARE(window.windowTitle(), QStringLiteral("C:\\UT\\Maps\\Alpha"));
        QCOMPARE(column(window, FolderWindow::NameColumn), QStringList({"inside.unr"}));

        QTest::keyClick(list, Qt::Key_Backspace); // the list has the keyboard
        QCOMPARE(window.windowTitle(), QStringLiteral("C:\\UT\\Maps"));
        QCOMPARE(column(window, FolderWindow::NameColumn), QStringList({"Alpha", "outside.unr"}));
    }

    void aMissingFolderIsSaidAndShowsOnceItExists() {
        test::TempPrefix prefix;
        prefix.makeFolder("UT");
        FolderWindow window;
        window.openFolder("C:\\UT\\Compressed");
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("C:\\UT\\Compressed"));
        QCOMPARE(window.notice(), QStringLiteral("The folder C:\\UT\\Compressed does not exist."));
        QCOMPARE(window.contents()->topLevelItemCount(), 0);

        prefix.makeFile("UT/Compressed/DM-Deck16.unr.uz");
        QTest::keyClick(window.contents(), Qt::Key_F5);
        QVERIFY(window.notice().isEmpty());
        QCOMPARE(column(window, FolderWindow::NameColumn), QStringList({"DM-Deck16.unr.uz"}));

        // Gone again: the window says so instead of showing stale entries.
        fs::remove_all(prefix.driveC() / "UT" / "Compressed");
        window.refresh();
        QVERIFY(window.notice().contains(QStringLiteral("does not exist")));
        QCOMPARE(window.contents()->topLevelItemCount(), 0);
    }

    void theProgramStartsAndStaysOpen() {
        test::TempPrefix prefix;
        prefix.makeFolder("UT/Maps");
        platform::DetachedFolderWindowLauncher launcher(folderWindowProgram()); // beside this test
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int pid = 0;
        const auto error = launcher.start("C:\\UT\\Maps", &pid);
        QVERIFY2(!error, error.message.c_str());
        QTest::qWait(1500);
        const auto facts = test::processFacts(pid);
        test::endProcess(pid);
        QVERIFY(facts.exists);
        QVERIFY(facts.state != 'Z');
        QCOMPARE(facts.arguments, std::vector<std::string>({launcher.program(), "C:\\UT\\Maps"}));
    }
};

QTEST_MAIN(FolderWindowTest)
#include "test_folder_window.moc"
