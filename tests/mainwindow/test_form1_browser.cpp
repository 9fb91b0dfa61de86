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
void doubleClick(QWidget* viewport, QPoint at) {
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
}

QPoint centreOf(QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

void clickFile(Form1& form, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(form.File1->viewport(), Qt::LeftButton, modifiers, centreOf(form.File1, row));
}

void doubleClickFile(Form1& form, const QString& name) {
    const auto found = form.File1->findItems(name, Qt::MatchExactly);
    QVERIFY(found.size() == 1);
    doubleClick(form.File1->viewport(), form.File1->visualItemRect(found.front()).center());
}

QTreeWidgetItem* dirEntry(DirListBox* dir, const QString& label) {
    const auto found = dir->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.front() : nullptr;
}

// A shown main window whose browser is at `folder`.
void openAt(test::Form1Fixture& f, const QString& folder) {
    f.form->Show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QVERIFY(f.form->Dir1->setPath(folder));
    QCOMPARE(f.form->File1->path(), folder);
}

} // namespace

class Form1BrowserTest : public QObject {
    Q_OBJECT
private slots:
    // Queuing.
    void doubleClickQueuesTheCurrentFileSortedAndInOrder() {
        test::TempPrefix prefix;
        for (auto name : {"UT/Maps/b.unr", "UT/Maps/A.unr", "UT/Maps/c.unr"}) {
            prefix.makeFile(name);
        }
        test::Form1Fixture f;
        openAt(f, QStringLiteral("C:\\UT\\Maps"));
        QCOMPARE(texts(f.form->File1), (QStringList{"A.unr", "b.unr", "c.unr"}));

        doubleClickFile(*f.form, QStringLiteral("c.unr"));
        doubleClickFile(*f.form, QStringLiteral("b.unr"));
        doubleClickFile(*f.form, QStringLiteral("A.unr"));
        doubleClickFile(*f.form, QStringLiteral("b.unr")); // the same file again
        QCOMPARE(texts(f.form->List1), (QStringList{"C:\\UT\\Maps\\A.unr", "C:\\UT\\Maps\\b.unr",
                                                    "C:\\UT\\Maps\\b.unr", "C:\\UT\\Maps\\c.unr"}));
        QCOMPARE(texts(f.form->List2), (QStringList{"c.unr", "b.unr", "A.unr", "b.unr"}));

        // Later entries still find their sorted place, ignoring letter case.
        prefix.makeFile("UT/Maps/B2.unr");
        f.form->File1->refresh();
        doubleClickFile(*f.form, QStringLiteral("B2.unr"));
        QCOMPARE(f.form->List1->item(3)->text(), QStringLiteral("C:\\UT\\Maps\\B2.unr"));
        QCOMPARE(f.form->List2->count(), f.form->List1->count());
        QVERIFY(f.messages.shown.empty());
    }

    void addSelectedItemsQueuesFromTheLastSelectedToTheFirst() {
        test::TempPrefix prefix;
        for (auto name : {"UT/a.u", "UT/b.u", "UT/c.u", "UT/d.u"}) {
            prefix.makeFile(name);
        }
        test::Form1Fixture f;
        openAt(f, QStringLiteral("C:\\UT"));

        f.form->KewlButtons1->click(); // nothing selected yet
        QCOMPARE(f.form->List1->count(), 0);
        QCOMPARE(f.form->List2->count(), 0);

        clickFile(*f.form, 0);
        clickFile(*f.form, 1, Qt::ShiftModifier);
        clickFile(*f.form, 3, Qt::ControlModifier);
        QCOMPARE(f.form->File1->selectedRows(), (std::vector<int>{0, 1, 3}));
        f.form->KewlButtons1->click();
        QCOMPARE(texts(f.form->List2), (QStringList{"d.u", "b.u", "a.u"}));
        QCOMPARE(texts(f.form->List1), (QStringList{"C:\\UT\\a.u", "C:\\UT\\b.u", "C:\\UT\\d.u"}));
        QCOMPARE(f.form->File1->selectedRows(), (std::vector<int>{0, 1, 3}));
    }

    void aFileAtADriveRootGetsTwoSeparators() {
        test::TempPrefix prefix;
        prefix.makeFile("Root.txt");
        test::Form1Fixture f;
        openAt(f, QStringLiteral("C:\\"));
        doubleClickFile(*f.form, QStringLiteral("Root.txt"));
        QCOMPARE(texts(f.form->List1), QStringList{"C:\\\\Root.txt"});
        QCOMPARE(texts(f.form->List2), QStringList{"Root.txt"});
    }

    // Removing.
    void doubleClickOnTheQueueRemovesOneEntryFromEachList() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/a.u");
        prefix.makeFile("UT/b.u");
        test::Form1Fixture f;
        openAt(f, QStringLiteral("C:\\UT"));

        f.form->List1_DblClick(); // empty queue: nothing happens
        QVERIFY(f.messages.shown.empty());

        doubleClickFile(*f.form, QStringLiteral("a.u"));
        doubleClickFile(*f.form, QStringLiteral("b.u"));
        doubleClickFile(*f.form, QStringLiteral("a.u"));
        doubleClick(f.form->List1->viewport(), centreOf(f.form->List1, 0));
        QCOMPARE(texts(f.form->List1), (QStringList{"C:\\UT\\a.u", "C:\\UT\\b.u"}));
        QCOMPARE(texts(f.form->List2), (QStringList{"b.u", "a.u"}));

        doubleClick(f.form->List1->viewport(), centreOf(f.form->List1, 1));
        QCOMPARE(texts(f.form->List1), QStringList{"C:\\UT\\a.u"});
        QCOMPARE(texts(f.form->List2), QStringList{"a.u"});
    }

    // Deleting.
    void deleteRemovesSelectedFilesWithoutAQuestion() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/keep.u");
        const fs::path plain = prefix.makeFile("UT/plain.u");
        const fs::path readOnly = prefix.makeFile("UT/readonly.u");
        fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
        test::Form1Fixture f;
        openAt(f, QStringLiteral("C:\\UT"));
        doubleClickFile(*f.form, QStringLiteral("plain.u"));

        clickFile(*f.form, 1);
        clickFile(*f.form, 2, Qt::ControlModifier);
        f.form->mnuDelete->trigger();
        QVERIFY(!fs::exists(plain));
        QVERIFY(!fs::exists(readOnly));
        QCOMPARE(texts(f.form->File1), QStringList{"keep.u"});
        QCOMPARE(texts(f.form->List1), QStringList{"C:\\UT\\plain.u"}); // the queue stays
        QVERIFY(f.messages.shown.empty());

        f.form->File1->clearSelection();
        f.form->mnuDelete->trigger(); // nothing selected
        QCOMPARE(f.form->File1->count(), 1);
    }

    void aFileThatCannotBeDeletedIsReportedAndTheRestDeleted() {
        test::TempPrefix prefix;
        const fs::path first = prefix.makeFile("UT/first.u");
        const fs::path gone = prefix.makeFile("UT/gone.u");
        const fs::path last = prefix.makeFile("UT/last.u");
        test::Form1Fixture f;
        openAt(f, QStringLiteral("C:\\UT"));
        f.form->File1->selectAll();
        // Removed behind the list's back, so its deletion fails for any user, root included.
        fs::remove(gone);
        f.form->mnuDelete->trigger();
        QVERIFY(!fs::exists(first));
        QVERIFY(!fs::exists(last));
        QCOMPARE(f.form->File1->count(), 0);
        QCOMPARE(f.messages.shown.size(), std::size_t{1});
        const auto& box = f.messages.shown.front();
        QCOMPARE(box.title, std::string("Error~!"));
        QCOMPARE(box.style, 16);
        QVERIFY2(box.text.find("C:\\UT\\gone.u: ") != std::string::npos, box.text.c_str());
        QVERIFY(box.text.find("first.u") == std::string::npos);
    }

    // Browsing.
    void changingDriveOrFolderFollowsWithFilesAndKeepsTheQueue() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/a.u");
        prefix.makeFile("UT/.hidden");
        prefix.makeFile("UT/Maps/DM-Deck16.unr");
        fs::create_directory_symlink(prefix.makeFolder("Elsewhere"),
                                     prefix.driveC() / "UT" / "Linked");
        prefix.addDrive('D', prefix.root() / "d");
        std::ofstream(prefix.root() / "d" / "onD.txt") << "x";
        test::Form1Fixture f;
        openAt(f, QStringLiteral("C:\\UT"));
        QCOMPARE(texts(f.form->File1), QStringList{"a.u"});        // no hidden files, no folders
        QVERIFY(dirEntry(f.form->Dir1, QStringLiteral("Linked"))); // a link to a folder is one
        doubleClickFile(*f.form, QStringLiteral("a.u"));

        // Dir1 shows the ancestors, then the sub-folders; a double-click opens one.
        QTreeWidgetItem* maps = dirEntry(f.form->Dir1, QStringLiteral("Maps"));
        QVERIFY(maps);
        QCOMPARE(maps->parent(), dirEntry(f.form->Dir1, QStringLiteral("UT")));
        doubleClick(f.form->Dir1->viewport(), f.form->Dir1->visualItemRect(maps).center());
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\UT\\Maps"));
        QCOMPARE(texts(f.form->File1), QStringList{"DM-Deck16.unr"});
        f.form->Dir1->setCurrentItem(dirEntry(f.form->Dir1, QStringLiteral("UT")));
        QTest::keyClick(f.form->Dir1, Qt::Key_Return); // Enter opens the entry too
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\UT"));
        QCOMPARE(f.form->File1->path(), QStringLiteral("C:\\UT"));

        QVERIFY(f.form->Drive1->setDrive(QStringLiteral("D:\\")));
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("D:\\"));
        QCOMPARE(texts(f.form->File1), QStringList{"onD.txt"});
        QCOMPARE(texts(f.form->List1), QStringList{"C:\\UT\\a.u"});
        QCOMPARE(texts(f.form->List2), QStringList{"a.u"});
        QVERIFY(f.messages.shown.empty());
    }

    void anUnreadableDriveIsReportedAndTheBrowserStays() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/a.u");
        prefix.addDrive('E', prefix.root() / "e");
        fs::remove(prefix.root() / "e"); // the drive's link now leads nowhere
        test::Form1Fixture f;
        openAt(f, QStringLiteral("C:\\UT"));
        f.form->Drive1->refresh();
        QVERIFY(f.form->Drive1->setDrive(QStringLiteral("E:\\")));
        QCOMPARE(f.messages.shown.size(), std::size_t{1});
        QCOMPARE(f.messages.shown.front().title, std::string("Error~!"));
        QCOMPARE(f.messages.shown.front().style, 16);
        QVERIFY(f.messages.shown.front().text.find("E:") != std::string::npos);
        QCOMPARE(f.form->Drive1->drive(), QStringLiteral("C:\\"));
        QCOMPARE(f.form->Drive1->currentText(), QStringLiteral("c:"));
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\UT"));
        QCOMPARE(texts(f.form->File1), QStringList{"a.u"});
    }

    void aVanishedFolderMovesToTheNearestOneAbove() {
        test::TempPrefix prefix;
        prefix.makeFile("Games/g.txt");
        prefix.makeFile("Games/UT/Maps/m.unr");
        test::Form1Fixture f;
        openAt(f, QStringLiteral("C:\\Games\\UT\\Maps"));
        fs::remove_all(prefix.driveC() / "Games" / "UT");
        f.form->Dir1->refresh();
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\Games"));
        QCOMPARE(texts(f.form->File1), QStringList{"g.txt"});

        // Opening a sub-folder that has gone meanwhile leaves the list where it is.
        prefix.makeFolder("Games/Old");
        f.form->Dir1->refresh();
        QTreeWidgetItem* old = dirEntry(f.form->Dir1, QStringLiteral("Old"));
        QVERIFY(old);
        fs::remove(prefix.driveC() / "Games" / "Old");
        doubleClick(f.form->Dir1->viewport(), f.form->Dir1->visualItemRect(old).center());
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\Games"));
        QVERIFY(!dirEntry(f.form->Dir1, QStringLiteral("Old")));
    }

    // Menus.
    void onlyTheRightButtonOpensTheContextMenus() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/a.u");
        test::Form1Fixture f;
        openAt(f, QStringLiteral("C:\\UT"));
        struct Case {
            QAbstractItemView* view;
            QMenu* menu;
        };
        for (const Case& c :
             {Case{f.form->Dir1, f.form->mnuQuick}, Case{f.form->File1, f.form->mnuPopup}}) {
            const QPoint at(10, 10);
            for (auto button : {Qt::LeftButton, Qt::MiddleButton}) {
                QTest::mouseClick(c.view->viewport(), button, {}, at);
                QVERIFY(!c.menu->isVisible());
            }
            QTest::mousePress(c.view->viewport(), Qt::RightButton, {}, at);
            QVERIFY(c.menu->isVisible());
            QCOMPARE(c.menu->pos(), c.view->viewport()->mapToGlobal(at));
            c.menu->close();
            QTest::mouseRelease(c.view->viewport(), Qt::RightButton, {}, at);
        }
    }

    void openFolderAfterCompileToggles() {
        test::TempPrefix prefix;
        test::Form1Fixture f;
        f.form->Show();
        QVERIFY(f.form->mnuOpen->isChecked());
        f.form->mnuOpen->trigger();
        QVERIFY(!f.form->mnuOpen->isChecked());
        f.form->mnuOpen->trigger();
        QVERIFY(f.form->mnuOpen->isChecked());
    }
};

QTEST_MAIN(Form1BrowserTest)
#include "test_form1_browser.moc"
