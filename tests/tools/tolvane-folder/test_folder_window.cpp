// The folder window: its listing, its navigation and a missing folder. How its program is
// started is tested with the launcher.

#include "FolderWindow.h"
#include "support/TempPrefix.h"

#include <QTest>
#include <QTreeWidget>

using namespace tolvane;

namespace {

// The rows of the listing, each as its name, size and type.
QStringList rows(const FolderWindow& window) {
    QStringList texts;
    for (int i = 0; i < window.contents()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = window.contents()->topLevelItem(i);
        texts << item->text(FolderWindow::NameColumn) + '|' + item->text(FolderWindow::SizeColumn) +
                     '|' + item->text(FolderWindow::TypeColumn);
    }
    return texts;
}

} // namespace

class FolderWindowTest : public QObject {
    Q_OBJECT
private slots:
    void listsFoldersFirstAndOpensThemInPlace() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/Maps/Alpha/inside.unr", "");
        prefix.makeFile("UT/Maps/b.unr", std::string(2000, 'x'));
        prefix.makeFile("UT/Maps/README", "1");
        prefix.makeFile("UT/Maps/.hidden");
        FolderWindow window;
        window.openFolder("C:\\UT\\Maps");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), QSize(800, 600));
        QCOMPARE(window.windowTitle(), QStringLiteral("C:\\UT\\Maps"));
        QCOMPARE(rows(window),
                 QStringList({"Alpha||File Folder", "b.unr|2 KB|UNR File", "README|1 KB|File"}));

        // A double-click on a folder opens it in the same window; Backspace goes back up.
        QTreeWidget* list = window.contents();
        const QPoint onAlpha = list->visualItemRect(list->topLevelItem(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onAlpha);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onAlpha);
        QCOMPARE(window.windowTitle(), QStringLiteral("C:\\UT\\Maps\\Alpha"));
        QCOMPARE(rows(window), QStringList({"inside.unr|0 KB|UNR File"}));
        QTest::keyClick(list, Qt::Key_Backspace);
        QCOMPARE(window.windowTitle(), QStringLiteral("C:\\UT\\Maps"));

        // A missing folder is said, and shows once it exists.
        window.openFolder("C:\\UT\\Compressed");
        QCOMPARE(window.notice(), QStringLiteral("The folder C:\\UT\\Compressed does not exist."));
        QVERIFY(rows(window).isEmpty());
        prefix.makeFile("UT/Compressed/DM-Deck16.unr.uz", "");
        QTest::keyClick(list, Qt::Key_F5);
        QVERIFY(window.notice().isEmpty());
        QCOMPARE(rows(window), QStringList({"DM-Deck16.unr.uz|0 KB|UZ File"}));
    }
};

QTEST_MAIN(FolderWindowTest)
#include "test_folder_window.moc"
