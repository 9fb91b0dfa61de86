// "&Quick Snap" moves the file browser to a folder of the game; "Open Folder" opens a window on
// one. Both look the game folder up anew at every choice.

#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "support/TempPrefix.h"

#include <QAction>
#include <QListWidget>
#include <QTest>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

const char* const kSubFolders[] = {"Maps",  "System",     "Textures",    "Sounds",
                                   "Music", "Compressed", "Decompressed"};

// A game folder C:\UT with each sub-folder holding one file named after it.
void makeGame(test::TempPrefix& prefix, const std::string& folder = "UT") {
    for (const char* sub : kSubFolders) {
        prefix.makeFile(folder + "/" + sub + "/in-" + sub + ".txt");
    }
    prefix.setGameFolder("C:\\" + folder);
}

void choose(test::Form1Fixture& f, const QString& item) {
    QAction* action = f.form->findChild<QAction*>(item);
    QVERIFY2(action, qPrintable(item));
    action->trigger();
}

void queueOneFile(test::Form1Fixture& f) {
    f.form->List1->addItem(QStringLiteral("C:\\UT\\Maps\\in-Maps.txt"));
    f.form->List2->addItem(QStringLiteral("in-Maps.txt"));
}

// Rows of menu item and the sub-folder it leads to.
void menuRows(std::initializer_list<std::pair<const char*, const char*>> rows) {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("sub");
    for (const auto& [item, sub] : rows) {
        QTest::newRow(sub) << QString::fromLatin1(item) << QString::fromLatin1(sub);
    }
}

} // namespace

class Form1ShortcutsTest : public QObject {
    Q_OBJECT
private slots:
    void quickSnapMovesTheBrowserAndKeepsTheQueue_data() {
        menuRows({{"mnuMaps", "Maps"},
                  {"mnuSystem", "System"},
                  {"mnuTexs", "Textures"},
                  {"mnuSounds", "Sounds"},
                  {"mnuMusic", "Music"},
                  {"mnuComp", "Compressed"},
                  {"mnuDecomp", "Decompressed"}});
    }
    void quickSnapMovesTheBrowserAndKeepsTheQueue() {
        QFETCH(QString, item);
        QFETCH(QString, sub);
        test::TempPrefix prefix;
        makeGame(prefix);
        test::Form1Fixture f;
        f.form->Show();
        queueOneFile(f);

        choose(f, item);
        QCOMPARE(f.form->Dir1->path(), "C:\\UT\\" + sub);
        QCOMPARE(f.form->File1->path(), "C:\\UT\\" + sub);
        QCOMPARE(f.form->File1->count(), 1);
        QCOMPARE(f.form->File1->fileName(0), "in-" + sub + ".txt");
        QCOMPARE(f.form->List1->count(), 1);
        QCOMPARE(f.form->List2->count(), 1);
        QCOMPARE(f.form->Drive1->drive(), QStringLiteral("C:\\"));
        QVERIFY(f.messages.shown.empty());
        QVERIFY(f.folders.opened.empty());
    }

    void quickSnapToAnotherDriveKeepsTheDriveList() {
        test::TempPrefix prefix;
        prefix.addDrive('D', prefix.root() / "games");
        fs::create_directories(prefix.root() / "games" / "UT" / "Music");
        prefix.setGameFolder("D:\\UT\\"); // stored with a trailing backslash
        test::Form1Fixture f;
        f.form->Show();
        f.form->Dir1->setPath(QStringLiteral("C:\\"));

        choose(f, "mnuMusic");
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("D:\\UT\\Music"));
        QCOMPARE(f.form->File1->path(), QStringLiteral("D:\\UT\\Music"));
        QCOMPARE(f.form->Drive1->drive(), QStringLiteral("C:\\"));
        QVERIFY(f.messages.shown.empty());
    }

    void choosingTheShownFolderAgainShowsItsFilesAsTheyAreNow() {
        test::TempPrefix prefix;
        makeGame(prefix);
        test::Form1Fixture f;
        f.form->Show();
        choose(f, "mnuMaps");
        prefix.makeFile("UT/Maps/DM-New.unr");
        choose(f, "mnuMaps");
        QCOMPARE(f.form->File1->count(), 2);
    }

    void everyChoiceReadsTheGameFolderAnew() {
        test::TempPrefix prefix;
        makeGame(prefix, "UT1");
        makeGame(prefix, "UT2");
        prefix.setGameFolder("C:\\UT1");
        test::Form1Fixture f;
        f.form->Show();
        choose(f, "mnuMaps");
        choose(f, "mnuopMaps");
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\UT1\\Maps"));

        prefix.setGameFolder("C:\\UT2");
        choose(f, "mnuMaps");
        choose(f, "mnuopMaps");
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\UT2\\Maps"));
        QCOMPARE(f.folders.opened, std::vector<std::string>({"C:\\UT1\\Maps", "C:\\UT2\\Maps"}));
    }

    void openFolderOpensAWindowAndChangesNothingHere_data() {
        menuRows({{"mnuopMaps", "Maps"},
                  {"mnuopTextures", "Textures"},
                  {"mnuopSounds", "Sounds"},
                  {"mnuopSystem", "System"},
                  {"mnuopMusic", "Music"},
                  {"mnuopComp", "Compressed"},
                  {"mnuopDecomp", "Decompressed"}});
    }
    void openFolderOpensAWindowAndChangesNothingHere() {
        QFETCH(QString, item);
        QFETCH(QString, sub);
        test::TempPrefix prefix;
        makeGame(prefix);
        prefix.setGameFolder("C:\\UT\\"); // the suffix is appended as it is
        test::Form1Fixture f;
        f.form->Show();
        queueOneFile(f);
        const QString dir = f.form->Dir1->path();

        // Every choice opens another window.
        choose(f, item);
        choose(f, item);
        const std::string folder = "C:\\UT\\\\" + sub.toStdString();
        QCOMPARE(f.folders.opened, std::vector<std::string>({folder, folder}));
        QCOMPARE(f.form->Dir1->path(), dir);
        QCOMPARE(f.form->File1->path(), dir);
        QCOMPARE(f.form->List1->count(), 1);
        QVERIFY(!f.form->hasBrowserReference());
        QVERIFY(f.messages.shown.empty());
    }

    // The window itself says that the folder does not exist; the user may create it later.
    void openFolderOnAMissingFolderStillOpensTheWindow() {
        test::TempPrefix prefix;
        prefix.makeFolder("UT");
        prefix.setGameFolder("C:\\UT");
        test::Form1Fixture f;
        f.form->Show();
        choose(f, "mnuopSounds");
        QCOMPARE(f.folders.opened, std::vector<std::string>({"C:\\UT\\Sounds"}));
        QVERIFY(f.messages.shown.empty());
    }

    void withoutAGameFolderNothingMovesOrOpens_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("Quick Snap") << "mnuComp";
        QTest::newRow("Open Folder") << "mnuopComp";
    }
    void withoutAGameFolderNothingMovesOrOpens() {
        QFETCH(QString, item);
        test::TempPrefix prefix;
        test::Form1Fixture f;
        f.form->Show();
        const QString dir = f.form->Dir1->path();
        choose(f, item);
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].text,
                 std::string("The game folder could not be found. Is the game installed?"));
        QCOMPARE(f.messages.shown[0].title, std::string("Error~!"));
        QCOMPARE(f.messages.shown[0].style, 16);
        QCOMPARE(f.form->Dir1->path(), dir);
        QVERIFY(f.folders.opened.empty());
    }

    void quickSnapToAMissingFolderSaysSoAndStays() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/Maps/a.unr");
        prefix.setGameFolder("C:\\UT");
        test::Form1Fixture f;
        f.form->Show();
        choose(f, "mnuMaps");
        choose(f, "mnuMusic");
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].text, std::string("The folder C:\\UT\\Music does not exist."));
        QCOMPARE(f.messages.shown[0].title, std::string("Error~!"));
        QCOMPARE(f.messages.shown[0].style, 16);
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\UT\\Maps"));
        QCOMPARE(f.form->File1->count(), 1);
    }

    void aWindowThatCannotBeOpenedIsReportedAndTheProgramGoesOn() {
        test::TempPrefix prefix;
        makeGame(prefix);
        test::Form1Fixture f;
        f.folders.failure = {2, "/opt/tolvane/tolvane-folder: No such file or directory"};
        f.form->Show();
        choose(f, "mnuopMaps");
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        const auto& box = f.messages.shown[0];
        QVERIFY2(box.text.find("C:\\UT\\Maps") != std::string::npos, box.text.c_str());
        QVERIFY2(box.text.find("No such file or directory") != std::string::npos, box.text.c_str());
        QCOMPARE(box.title, std::string("Error~!"));
        QCOMPARE(box.style, 16);
        QVERIFY(!f.form->hasBrowserReference());

        choose(f, "mnuSystem");
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\UT\\System"));
        QCOMPARE(f.endRequests, 0);
    }
};

QTEST_MAIN(Form1ShortcutsTest)
#include "test_form1_shortcuts.moc"
