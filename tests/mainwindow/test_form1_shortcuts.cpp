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
using Boxes = std::vector<test::ShownBox>;

namespace {

// A prefix to set up first, then a shown main window on it.
struct Window {
    test::TempPrefix prefix;
    std::unique_ptr<test::Form1Fixture> f;

    // A game folder C:\<folder> with each sub-folder holding one file named after it.
    void makeGame(const std::string& folder = "UT") {
        for (const char* sub :
             {"Maps", "System", "Textures", "Sounds", "Music", "Compressed", "Decompressed"}) {
            prefix.makeFile(folder + "/" + sub + "/in-" + sub + ".txt");
        }
        prefix.setGameFolder("C:\\" + folder);
    }
    Form1& show() {
        f = std::make_unique<test::Form1Fixture>();
        f->form->Show();
        return *f->form;
    }
    void choose(const QString& item) {
        QAction* action = f->form->findChild<QAction*>(item);
        QVERIFY2(action, qPrintable(item));
        action->trigger();
    }
    void queueOneFile() {
        f->form->List1->addItem(QStringLiteral("C:\\UT\\Maps\\in-Maps.txt"));
        f->form->List2->addItem(QStringLiteral("in-Maps.txt"));
    }
};

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
        Window w;
        w.makeGame();
        Form1& form = w.show();
        w.queueOneFile();
        w.choose(item);
        QCOMPARE(form.Dir1->path(), "C:\\UT\\" + sub);
        QCOMPARE(form.File1->path(), "C:\\UT\\" + sub);
        QCOMPARE(form.File1->count(), 1);
        QCOMPARE(form.File1->fileName(0), "in-" + sub + ".txt");
        QCOMPARE(std::pair(form.List1->count(), form.List2->count()), std::pair(1, 1));
        QCOMPARE(form.Drive1->drive(), QStringLiteral("C:\\"));
        QVERIFY(w.f->messages.shown.empty() && w.f->folders.opened.empty());

        // Chosen again, the folder shows its files as they are now.
        w.prefix.makeFile("UT/" + sub.toStdString() + "/new.txt");
        w.choose(item);
        QCOMPARE(form.File1->count(), 2);
    }

    void quickSnapToAnotherDriveKeepsTheDriveList() {
        Window w;
        w.prefix.addDrive('D', w.prefix.root() / "games");
        fs::create_directories(w.prefix.root() / "games" / "UT" / "Music");
        w.prefix.setGameFolder("D:\\UT\\"); // stored with a trailing backslash
        Form1& form = w.show();
        form.Dir1->setPath(QStringLiteral("C:\\"));
        w.choose("mnuMusic");
        QCOMPARE(form.Dir1->path(), QStringLiteral("D:\\UT\\Music"));
        QCOMPARE(form.File1->path(), QStringLiteral("D:\\UT\\Music"));
        QCOMPARE(form.Drive1->drive(), QStringLiteral("C:\\"));
        QVERIFY(w.f->messages.shown.empty());
    }

    void everyChoiceReadsTheGameFolderAnew() {
        Window w;
        w.makeGame("UT2");
        w.makeGame("UT1");
        Form1& form = w.show();
        for (const char* game : {"C:\\UT1", "C:\\UT2"}) {
            w.prefix.setGameFolder(game);
            w.choose("mnuMaps");
            w.choose("mnuopMaps");
            QCOMPARE(form.Dir1->path(), QString::fromLatin1(game) + "\\Maps");
        }
        QCOMPARE(w.f->folders.opened, std::vector<std::string>({"C:\\UT1\\Maps", "C:\\UT2\\Maps"}));
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
        Window w;
        w.makeGame();
        w.prefix.setGameFolder("C:\\UT\\"); // the suffix is appended as it is
        Form1& form = w.show();
        w.queueOneFile();
        const QString dir = form.Dir1->path();

        // Every choice opens another window.
        w.choose(item);
        w.choose(item);
        const std::string folder = "C:\\UT\\\\" + sub.toStdString();
        QCOMPARE(w.f->folders.opened, std::vector<std::string>({folder, folder}));
        QCOMPARE(form.Dir1->path(), dir);
        QCOMPARE(form.File1->path(), dir);
        QCOMPARE(form.List1->count(), 1);
        QVERIFY(!form.hasBrowserReference());
        QVERIFY(w.f->messages.shown.empty());
    }

    // The window itself says that the folder does not exist; the user may create it later.
    void openFolderOnAMissingFolderStillOpensTheWindow() {
        Window w;
        w.prefix.makeFolder("UT");
        w.prefix.setGameFolder("C:\\UT");
        w.show();
        w.choose("mnuopSounds");
        QCOMPARE(w.f->folders.opened, std::vector<std::string>({"C:\\UT\\Sounds"}));
        QVERIFY(w.f->messages.shown.empty());
    }

    void withoutAGameFolderNothingMovesOrOpens_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("Quick Snap") << "mnuComp";
        QTest::newRow("Open Folder") << "mnuopComp";
    }
    void withoutAGameFolderNothingMovesOrOpens() {
        QFETCH(QString, item);
        Window w;
        Form1& form = w.show();
        const QString dir = form.Dir1->path();
        w.choose(item);
        QCOMPARE(
            w.f->messages.shown,
            Boxes({{"The game folder could not be found. Is the game installed?", "Error~!", 16}}));
        QCOMPARE(form.Dir1->path(), dir);
        QVERIFY(w.f->folders.opened.empty());
    }

    void quickSnapToAMissingFolderSaysSoAndStays() {
        Window w;
        w.prefix.makeFile("UT/Maps/a.unr");
        w.prefix.setGameFolder("C:\\UT");
        Form1& form = w.show();
        w.choose("mnuMaps");
        w.choose("mnuMusic");
        QCOMPARE(w.f->messages.shown,
                 Boxes({{"The folder C:\\UT\\Music does not exist.", "Error~!", 16}}));
        QCOMPARE(form.Dir1->path(), QStringLiteral("C:\\UT\\Maps"));
        QCOMPARE(form.File1->count(), 1);
    }

    void aWindowThatCannotBeOpenedIsReportedAndTheProgramGoesOn() {
        Window w;
        w.makeGame();
        Form1& form = w.show();
        w.f->folders.failure = {2, "/opt/tolvane/tolvane-folder: No such file or directory"};
        w.choose("mnuopMaps");
        QCOMPARE(w.f->messages.shown.size(), std::size_t(1));
        const auto& box = w.f->messages.shown[0];
        QVERIFY2(box.text.find("C:\\UT\\Maps") != std::string::npos, box.text.c_str());
        QVERIFY2(box.text.find("No such file or directory") != std::string::npos, box.text.c_str());
        QCOMPARE(box.title + std::to_string(box.style), std::string("Error~!16"));
        QVERIFY(!form.hasBrowserReference());

        w.choose("mnuSystem");
        QCOMPARE(form.Dir1->path(), QStringLiteral("C:\\UT\\System"));
        QCOMPARE(w.f->endRequests, 0);
    }
};

QTEST_MAIN(Form1ShortcutsTest)
#include "test_form1_shortcuts.moc"
