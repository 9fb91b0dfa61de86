// The game folder in the main window: where it starts and the output folders it makes, and the
// menus that lead to the game's folders, which look the game folder up anew at every choice.

#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "support/TempPrefix.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

using namespace tolvane;
namespace fs = std::filesystem;
using Boxes = std::vector<test::ShownBox>;
using Opened = std::vector<std::string>;

namespace {

const char* const kGameFolders[] = {"Maps",  "System",     "Textures",    "Sounds",
                                    "Music", "Compressed", "Decompressed"};

// A game folder C:\UT whose sub-folders each hold one file named after it, and a shown main
// window with one file queued.
struct Window {
    test::TempPrefix prefix;
    test::Form1Fixture f;
    Form1& form = *f.form;

    Window() {
        for (const char* sub : kGameFolders) {
            prefix.makeFile(std::string("UT/") + sub + "/in-" + sub + ".txt");
        }
        prefix.installGame("UT");
        form.Show();
        form.List1->addItem(QStringLiteral("C:\\UT\\Maps\\in-Maps.txt"));
    }
};

} // namespace

class Form1GameFolderTest : public QObject {
    Q_OBJECT
private slots:
    // No folder chosen in an earlier run counts.
    void init() {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tolvane"),
                  QStringLiteral("Tolvane"))
            .clear();
    }

    // The drive list shows the drive of the folder list's folder, which shows the output
    // folders made at start; nothing is made outside an existing game folder. A registry value
    // naming no game is said, and the browser starts as near to it as it can.
    void startsOnTheGameFolderWithItsOutputFolders_data() {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("subFolders");
        QTest::addColumn<bool>("found");
        const QStringList made{"Compressed", "Decompressed", "Maps", "System"};
        QTest::newRow("on C:") << "C:\\UT"
                               << "C:\\UT" << made << true;
        QTest::newRow("on D:, trailing \\") << "D:\\UT\\"
                                            << "D:\\UT" << made << true;
        QTest::newRow("drive missing") << "E:\\Games\\UT"
                                       << "C:\\" << QStringList{"Elsewhere", "UT"} << false;
        QTest::newRow("vanished") << "C:\\Elsewhere\\Gone"
                                  << "C:\\Elsewhere" << QStringList{"System"} << false;
        // An output folder that cannot be made because a file holds its name.
        QTest::newRow("Compressed a file")
            << "C:\\Elsewhere"
            << "C:\\Elsewhere" << QStringList{"Decompressed", "System"} << true;
    }
    void startsOnTheGameFolderWithItsOutputFolders() {
        QFETCH(QString, game);
        QFETCH(QString, shown);
        QFETCH(QStringList, subFolders);
        QFETCH(bool, found);
        test::TempPrefix prefix;
        prefix.addDrive('D', prefix.driveC());
        prefix.makeFile("UT/Maps/DM-Deck16.unr");
        prefix.makeFile("UT/System/UCC.EXE");
        prefix.makeFile("UT/Compressed/x.unr.uz");
        prefix.makeFile("Elsewhere/Compressed", "not a folder");
        prefix.makeFile("Elsewhere/System/ucc.exe");
        prefix.setGameFolder(game.toStdString());
        test::Form1Fixture f;
        f.form->Show();
        QCOMPARE(f.form->Dir1->path(), shown);
        QCOMPARE(f.form->Drive1->drive(), shown.left(3));
        QStringList children;
        for (int i = 0; i < f.form->Dir1->currentItem()->childCount(); ++i) {
            children << f.form->Dir1->currentItem()->child(i)->text(0);
        }
        QCOMPARE(children, subFolders);
        QVERIFY(f.form->Option1->isChecked());
        QCOMPARE(f.messages.shown.size(), std::size_t{found ? 0u : 1u});
        QCOMPARE(f.chooser.starts.size(), std::size_t{found ? 0u : 1u});
        QVERIFY(!fs::exists(prefix.driveC() / "Decompressed"));
    }

    // Every item leads to the folder it names. Quick Snap moves the browser (the folder list
    // takes the path as a folder), Open Folder opens another window at every choice (on the path
    // as it is); the queue stays.
    void everyItemLeadsToItsFolder() {
        Window w;
        w.prefix.setGameFolder("C:\\UT\\"); // stored with a trailing backslash
        Opened expected;
        int snapped = 0;
        for (QAction* item : w.form.mnuQuick->actions() + w.form.mnuOpenFolder->actions()) {
            if (item->isSeparator()) {
                continue;
            }
            const QString sub = item->text();
            item->trigger();
            if (item->objectName().startsWith(QLatin1String("mnuop"))) {
                item->trigger();
                expected.insert(expected.end(), 2, "C:\\UT\\\\" + sub.toStdString());
            } else {
                ++snapped;
                QCOMPARE(w.form.File1->path(), "C:\\UT\\" + sub);
                QCOMPARE(w.form.File1->fileName(0), "in-" + sub + ".txt");
            }
        }
        QCOMPARE(std::pair(snapped, expected.size()), std::pair(7, std::size_t{14}));
        QCOMPARE(w.f.folders.opened, expected);
        QCOMPARE(w.form.Dir1->path(), QStringLiteral("C:\\UT\\Decompressed"));
        // Chosen again, the folder shows its files as they are now.
        w.prefix.makeFile("UT/Decompressed/new.txt");
        w.form.mnuDecomp->trigger();
        QCOMPARE(w.form.File1->count(), 2);
        QCOMPARE(w.form.List1->count(), 1);
        QVERIFY(w.f.messages.shown.empty());
    }

    void everyChoiceReadsTheGameFolderAnewAndSaysWhyWhenItCannotGo() {
        Window w;
        w.prefix.makeFolder("UT2/Maps");
        w.prefix.setGameFolder("C:\\UT2");
        w.form.mnuMaps->trigger();
        w.form.mnuopMaps->trigger();
        QCOMPARE(w.form.Dir1->path(), QStringLiteral("C:\\UT2\\Maps"));
        w.form.mnuMusic->trigger(); // the window on a missing folder says so itself
        w.form.mnuopMusic->trigger();
        w.prefix.writeSystemReg("");
        w.form.mnuComp->trigger();
        w.form.mnuopComp->trigger();
        w.prefix.setGameFolder("C:\\UT");
        w.f.folders.failure = {2, "tolvane-folder: No such file or directory"};
        w.form.mnuopMaps->trigger();
        const std::string noGame = "The game folder could not be found. Is the game installed?";
        QCOMPARE(w.f.messages.shown,
                 Boxes({{"The folder C:\\UT2\\Music does not exist.", "Error~!", 16},
                        {noGame, "Error~!", 16},
                        {noGame, "Error~!", 16},
                        {"The folder window for C:\\UT\\Maps could not be opened.\n\n"
                         "tolvane-folder: No such file or directory",
                         "Error~!", 16}}));
        QCOMPARE(w.f.folders.opened, Opened({"C:\\UT2\\Maps", "C:\\UT2\\Music", "C:\\UT\\Maps"}));
        QCOMPARE(w.form.Dir1->path(), QStringLiteral("C:\\UT2\\Maps"));
        QCOMPARE(w.f.endRequests, 0);
    }

    // With the game nowhere, a box says where Tolvane looked and the folder dialog follows; the
    // folder chosen counts at once, is remembered across a restart, and when it has gone, the
    // box says so and asks again. A named folder that cannot serve is said, and the search goes
    // on; Options > Choose Game Folder moves everything to the new folder.
    void asksForTheGameWhenItIsNowhereAndRemembersTheChoice() {
        test::TempPrefix prefix;                               // a prefix without the game
        const fs::path chosen = prefix.makeFolder("Redirect"); // packages only, no tool
        prefix.makeFile("Redirect/Maps/CTF-Face.unr");
        {
            test::Form1Fixture f;
            f.form->Show();
            QCOMPARE(f.messages.shown.size(), std::size_t{1});
            QVERIFY(f.messages.shown[0].text.starts_with(
                "Tolvane could not find Unreal Tournament. It looked in:"));
            QVERIFY(f.messages.shown[0].text.find(prefix.root().string()) != std::string::npos);
            QCOMPARE(f.form->Drive1->count(), 1); // cancelled: the prefix's drives
        }
        test::Form1Fixture first;
        first.chooser.answers = {chosen.string()};
        first.form->Show();
        QCOMPARE(first.form->Dir1->path(), QStringLiteral("C:\\Redirect"));
        QVERIFY(fs::is_directory(chosen / "Compressed"));
        first.form->mnuMaps->trigger();
        QCOMPARE(first.form->File1->fileName(0), QStringLiteral("CTF-Face.unr"));

        test::Form1Fixture restarted;
        restarted.form->Show();
        QCOMPARE(restarted.form->Dir1->path(), QStringLiteral("C:\\Redirect"));
        QVERIFY(restarted.messages.shown.empty());
        const fs::path other = prefix.makeFolder("Other");
        restarted.chooser.answers = {(prefix.root() / "no such folder").string(), other.string()};
        restarted.form->mnuGame->trigger();
        restarted.form->mnuGame->trigger();
        QCOMPARE(restarted.messages.shown,
                 Boxes({{"The folder " + (prefix.root() / "no such folder").string() +
                             " does not exist.",
                         "Tolvane", 16}}));
        QCOMPARE(restarted.form->Dir1->path(), QStringLiteral("C:\\Other"));
        restarted.form->mnuopComp->trigger();
        QCOMPARE(restarted.folders.opened, Opened({"C:\\Other\\Compressed"}));

        fs::remove_all(other);
        test::Form1Fixture vanished;
        vanished.form->Show();
        QCOMPARE(vanished.messages.shown.size(), std::size_t{1});
        QVERIFY(vanished.messages.shown[0].text.starts_with(
            "The game folder you chose is no longer there."));
        QCOMPARE(vanished.chooser.starts.size(), std::size_t{1});

        test::Form1Fixture named;
        named.form = std::make_unique<Form1>(Form1::Services{&named.messages, [] {}, &named.folders,
                                                             &named.chooser, "/no/such/game"});
        prefix.installGame("UT");
        named.form->Show();
        QCOMPARE(named.messages.shown,
                 Boxes({{"The folder /no/such/game does not exist.\n\nTolvane looks for the game "
                         "in its usual places.",
                         "Tolvane", 48}}));
        QCOMPARE(named.form->Dir1->path(), QStringLiteral("C:\\UT"));
    }
};

QTEST_MAIN(Form1GameFolderTest)
#include "test_form1_gamefolder.moc"
