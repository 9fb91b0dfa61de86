// The file browser and the queue on real widgets: queuing, removing, deleting, browsing, menus.

#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "support/TempPrefix.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>

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
void doubleClick(QAbstractItemView* view, const QRect& item) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, item.center());
}

QTreeWidgetItem* dirEntry(DirListBox* dir, const QString& label) {
    const auto found = dir->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.front() : nullptr;
}

// A prefix holding `files` below C:, and a shown main window whose browser is at `folder`.
struct Browser {
    test::TempPrefix prefix;
    test::Form1Fixture f;
    Form1& form = *f.form;

    Browser(std::initializer_list<const char*> files, const QString& folder) {
        for (const char* name : files) {
            prefix.makeFile(name);
        }
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.Dir1->setPath(folder));
        QCOMPARE(form.File1->path(), folder);
    }
    void clickFile(int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(form.File1->viewport(), Qt::LeftButton, modifiers,
                          form.File1->visualItemRect(form.File1->item(row)).center());
    }
    void doubleClickFile(const QString& name) {
        const auto found = form.File1->findItems(name, Qt::MatchExactly);
        QVERIFY(found.size() == 1);
        doubleClick(form.File1, form.File1->visualItemRect(found.front()));
    }
    void doubleClickQueue(int row) {
        doubleClick(form.List1, form.List1->visualItemRect(form.List1->item(row)));
    }
};

} // namespace

class Form1BrowserTest : public QObject {
    Q_OBJECT
private slots:
    // Queuing and removing.
    void doubleClicksQueueSortedAndInOrderAndRemoveOneEntryFromEachList() {
        Browser b({"UT/Maps/b.unr", "UT/Maps/A.unr", "UT/Maps/c.unr"}, "C:\\UT\\Maps");
        QCOMPARE(texts(b.form.File1), (QStringList{"A.unr", "b.unr", "c.unr"}));
        b.form.List1_DblClick();                                 // empty queue: nothing happens
        for (auto name : {"c.unr", "b.unr", "A.unr", "b.unr"}) { // b.unr twice
            b.doubleClickFile(name);
        }
        QCOMPARE(texts(b.form.List1), (QStringList{"C:\\UT\\Maps\\A.unr", "C:\\UT\\Maps\\b.unr",
                                                   "C:\\UT\\Maps\\b.unr", "C:\\UT\\Maps\\c.unr"}));
        QCOMPARE(texts(b.form.List2), (QStringList{"c.unr", "b.unr", "A.unr", "b.unr"}));

        // Later entries still find their sorted place, ignoring letter case.
        b.prefix.makeFile("UT/Maps/B2.unr");
        b.form.File1->refresh();
        b.doubleClickFile("B2.unr");
        QCOMPARE(b.form.List1->item(3)->text(), QStringLiteral("C:\\UT\\Maps\\B2.unr"));
        QCOMPARE(texts(b.form.List2), (QStringList{"c.unr", "b.unr", "A.unr", "b.unr", "B2.unr"}));

        // A name queued twice leaves one in List2; the first of the names goes.
        b.doubleClickQueue(1);
        QCOMPARE(texts(b.form.List1), (QStringList{"C:\\UT\\Maps\\A.unr", "C:\\UT\\Maps\\b.unr",
                                                   "C:\\UT\\Maps\\B2.unr", "C:\\UT\\Maps\\c.unr"}));
        QCOMPARE(texts(b.form.List2), (QStringList{"c.unr", "A.unr", "b.unr", "B2.unr"}));
        b.doubleClickQueue(3);
        QCOMPARE(texts(b.form.List2), (QStringList{"A.unr", "b.unr", "B2.unr"}));
        QVERIFY(b.f.messages.shown.empty());
    }

    void addSelectedItemsQueuesFromTheLastSelectedToTheFirst() {
        Browser b({"UT/a.u", "UT/b.u", "UT/c.u", "UT/d.u"}, "C:\\UT");
        b.form.KewlButtons1->click(); // nothing selected yet
        QCOMPARE(b.form.List1->count() + b.form.List2->count(), 0);

        b.clickFile(0);
        b.clickFile(1, Qt::ShiftModifier);
        b.clickFile(3, Qt::ControlModifier);
        QCOMPARE(b.form.File1->selectedRows(), (std::vector<int>{0, 1, 3}));
        b.form.KewlButtons1->click();
        QCOMPARE(texts(b.form.List2), (QStringList{"d.u", "b.u", "a.u"}));
        QCOMPARE(texts(b.form.List1), (QStringList{"C:\\UT\\a.u", "C:\\UT\\b.u", "C:\\UT\\d.u"}));
        QCOMPARE(b.form.File1->selectedRows(), (std::vector<int>{0, 1, 3}));
    }

    void aFileAtADriveRootGetsTwoSeparators() {
        Browser b({"Root.txt"}, "C:\\");
        b.doubleClickFile("Root.txt");
        QCOMPARE(texts(b.form.List1), QStringList{"C:\\\\Root.txt"});
        QCOMPARE(texts(b.form.List2), QStringList{"Root.txt"});
    }

    // Deleting.
    void deleteRemovesSelectedFilesWithoutAQuestion() {
        Browser b({"UT/keep.u", "UT/plain.u", "UT/readonly.u"}, "C:\\UT");
        const fs::path folder = b.prefix.driveC() / "UT";
        fs::permissions(folder / "readonly.u", fs::perms::owner_read | fs::perms::group_read);
        b.form.File1->refresh();
        b.doubleClickFile("plain.u");
        b.clickFile(1);
        b.clickFile(2, Qt::ControlModifier);
        b.form.mnuDelete->trigger();
        QVERIFY(!fs::exists(folder / "plain.u") && !fs::exists(folder / "readonly.u"));
        QCOMPARE(texts(b.form.File1), QStringList{"keep.u"});
        QCOMPARE(texts(b.form.List1), QStringList{"C:\\UT\\plain.u"}); // the queue stays
        QVERIFY(b.f.messages.shown.empty());

        b.form.File1->clearSelection();
        b.form.mnuDelete->trigger(); // nothing selected
        QCOMPARE(b.form.File1->count(), 1);
    }

    void aFileThatCannotBeDeletedIsReportedAndTheRestDeleted() {
        Browser b({"UT/first.u", "UT/gone.u", "UT/last.u"}, "C:\\UT");
        const fs::path folder = b.prefix.driveC() / "UT";
        b.form.File1->selectAll();
        // Removed behind the list's back, so its deletion fails for any user, root included.
        fs::remove(folder / "gone.u");
        b.form.mnuDelete->trigger();
        QVERIFY(!fs::exists(folder / "first.u") && !fs::exists(folder / "last.u"));
        QCOMPARE(b.form.File1->count(), 0);
        QCOMPARE(b.f.messages.shown.size(), std::size_t{1});
        const auto& box = b.f.messages.shown.front();
        QCOMPARE(box.title + std::to_string(box.style), std::string("Error~!16"));
        QVERIFY2(box.text.find("C:\\UT\\gone.u: ") != std::string::npos, box.text.c_str());
        QVERIFY(box.text.find("first.u") == std::string::npos);
    }

    // Browsing.
    void changingDriveOrFolderFollowsWithFilesAndKeepsTheQueue() {
        Browser b({"UT/a.u", "UT/.hidden", "UT/Maps/DM-Deck16.unr"}, "C:\\UT");
        fs::create_directory_symlink(b.prefix.makeFolder("Elsewhere"),
                                     b.prefix.driveC() / "UT" / "Linked");
        b.prefix.addDrive('D', b.prefix.root() / "d");
        std::ofstream(b.prefix.root() / "d" / "onD.txt") << "x";
        b.form.Dir1->refresh();
        QCOMPARE(texts(b.form.File1), QStringList{"a.u"});        // no hidden files, no folders
        QVERIFY(dirEntry(b.form.Dir1, QStringLiteral("Linked"))); // a link to a folder is one
        b.doubleClickFile("a.u");

        // Dir1 shows the ancestors, then the sub-folders; a double-click opens one.
        QTreeWidgetItem* maps = dirEntry(b.form.Dir1, QStringLiteral("Maps"));
        QVERIFY(maps);
        QCOMPARE(maps->parent(), dirEntry(b.form.Dir1, QStringLiteral("UT")));
        doubleClick(b.form.Dir1, b.form.Dir1->visualItemRect(maps));
        QCOMPARE(b.form.Dir1->path(), QStringLiteral("C:\\UT\\Maps"));
        QCOMPARE(texts(b.form.File1), QStringList{"DM-Deck16.unr"});
        doubleClick(b.form.Dir1,
                    b.form.Dir1->visualItemRect(dirEntry(b.form.Dir1, QStringLiteral("UT"))));
        QCOMPARE(b.form.Dir1->path(), QStringLiteral("C:\\UT"));
        QCOMPARE(b.form.File1->path(), QStringLiteral("C:\\UT"));

        b.form.Drive1->refresh();
        QVERIFY(b.form.Drive1->setDrive(QStringLiteral("D:\\")));
        QCOMPARE(b.form.Dir1->path(), QStringLiteral("D:\\"));
        QCOMPARE(texts(b.form.File1), QStringList{"onD.txt"});
        QCOMPARE(texts(b.form.List1), QStringList{"C:\\UT\\a.u"});
        QCOMPARE(texts(b.form.List2), QStringList{"a.u"});
        QVERIFY(b.f.messages.shown.empty());
    }

    void anUnreadableDriveIsReportedAndTheBrowserStays() {
        Browser b({"UT/a.u"}, "C:\\UT");
        b.prefix.addDrive('E', b.prefix.root() / "e");
        fs::remove(b.prefix.root() / "e"); // the drive's link now leads nowhere
        b.form.Drive1->refresh();
        QVERIFY(b.form.Drive1->setDrive(QStringLiteral("E:\\")));
        QCOMPARE(b.f.messages.shown.size(), std::size_t{1});
        const auto& box = b.f.messages.shown.front();
        QCOMPARE(box.title + std::to_string(box.style), std::string("Error~!16"));
        QVERIFY(box.text.find("E:") != std::string::npos);
        QCOMPARE(b.form.Drive1->drive(), QStringLiteral("C:\\"));
        QCOMPARE(b.form.Drive1->currentText(), QStringLiteral("c:"));
        QCOMPARE(b.form.Dir1->path(), QStringLiteral("C:\\UT"));
        QCOMPARE(texts(b.form.File1), QStringList{"a.u"});
    }

    void aVanishedFolderMovesToTheNearestOneAbove() {
        Browser b({"Games/g.txt", "Games/UT/Maps/m.unr"}, "C:\\Games\\UT\\Maps");
        fs::remove_all(b.prefix.driveC() / "Games" / "UT");
        b.form.Dir1->refresh();
        QCOMPARE(b.form.Dir1->path(), QStringLiteral("C:\\Games"));
        QCOMPARE(texts(b.form.File1), QStringList{"g.txt"});

        // Opening a sub-folder that has gone meanwhile leaves the list where it is.
        b.prefix.makeFolder("Games/Old");
        b.form.Dir1->refresh();
        QTreeWidgetItem* old = dirEntry(b.form.Dir1, QStringLiteral("Old"));
        QVERIFY(old);
        fs::remove(b.prefix.driveC() / "Games" / "Old");
        doubleClick(b.form.Dir1, b.form.Dir1->visualItemRect(old));
        QCOMPARE(b.form.Dir1->path(), QStringLiteral("C:\\Games"));
        QVERIFY(!dirEntry(b.form.Dir1, QStringLiteral("Old")));
    }

    // Menus.
    void onlyTheRightButtonOpensTheContextMenusAndTheOptionToggles() {
        Browser b({"UT/a.u"}, "C:\\UT");
        const std::pair<QAbstractItemView*, QMenu*> cases[] = {{b.form.Dir1, b.form.mnuQuick},
                                                               {b.form.File1, b.form.mnuPopup}};
        for (const auto& [view, menu] : cases) {
            const QPoint at(10, 10);
            for (auto button : {Qt::LeftButton, Qt::MiddleButton}) {
                QTest::mouseClick(view->viewport(), button, {}, at);
                QVERIFY(!menu->isVisible());
            }
            QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
            QVERIFY(menu->isVisible());
            QCOMPARE(menu->pos(), view->viewport()->mapToGlobal(at));
            menu->close();
            QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
        }
        for (bool checked : {true, false, true}) {
            QCOMPARE(b.form.mnuOpen->isChecked(), checked);
            b.form.mnuOpen->trigger();
        }
    }
};

QTEST_MAIN(Form1BrowserTest)
#include "test_form1_browser.moc"
