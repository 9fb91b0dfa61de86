// Loading the main window: the game folder, the browser's start, the output folders.

#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "support/TempPrefix.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace tolvane;
namespace fs = std::filesystem;

class Form1LoadTest : public QObject {
    Q_OBJECT
private slots:
    void startsOnTheGameFolderAndCreatesMissingOutputFolders() {
        test::TempPrefix prefix;
        prefix.makeFile("UnrealTournament/Maps/DM-Deck16.unr");
        prefix.makeFile("UnrealTournament/ReadMe.txt");
        prefix.makeFolder("UnrealTournament/Compressed");
        prefix.setGameFolder("C:\\UnrealTournament");
        test::Form1Fixture f;
        f.form->Show();
        QCOMPARE(f.form->Drive1->drive(), QStringLiteral("C:\\"));
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\UnrealTournament"));
        QCOMPARE(f.form->File1->path(), QStringLiteral("C:\\UnrealTournament"));
        QCOMPARE(f.form->File1->count(), 1);
        QVERIFY(f.form->Option1->isChecked());
        QVERIFY(fs::is_directory(prefix.driveC() / "UnrealTournament" / "Decompressed"));
        QVERIFY(f.messages.shown.empty());
        // Only the two output folders were added.
        int folders = 0;
        for (auto& e : fs::directory_iterator(prefix.driveC() / "UnrealTournament")) {
            folders += e.is_directory() ? 1 : 0;
        }
        QCOMPARE(folders, 3);
    }

    void gameFolderOnAnotherDriveKeepsDriveListOnC() {
        test::TempPrefix prefix;
        prefix.addDrive('D', prefix.root() / "games");
        fs::create_directories(prefix.root() / "games" / "UT" / "System");
        prefix.setGameFolder("D:\\UT\\"); // a trailing backslash is stored that way
        test::Form1Fixture f;
        f.form->Show();
        QCOMPARE(f.form->Drive1->drive(), QStringLiteral("C:\\"));
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("D:\\UT"));
        QVERIFY(fs::is_directory(prefix.root() / "games" / "UT" / "Compressed"));
        QVERIFY(fs::is_directory(prefix.root() / "games" / "UT" / "Decompressed"));
    }

    void withoutAGameFolderCreatesNothingAndShowsTheRootOfC() {
        test::TempPrefix prefix;
        test::Form1Fixture f;
        f.form->Show();
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\"));
        QVERIFY(!fs::exists(prefix.driveC() / "Compressed"));
        QVERIFY(!fs::exists(prefix.driveC() / "Decompressed"));
        QVERIFY(f.messages.shown.empty());
        QVERIFY(f.form->Option1->isChecked());
    }

    void aVanishedGameFolderShowsTheNearestFolderAbove() {
        test::TempPrefix prefix;
        prefix.makeFolder("Games");
        prefix.setGameFolder("C:\\Games\\UnrealTournament");
        test::Form1Fixture f;
        f.form->Show();
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\Games"));
        QVERIFY(!fs::exists(prefix.driveC() / "Games" / "UnrealTournament"));
        QVERIFY(f.messages.shown.empty());
    }

    void aGameFolderWithoutWriteAccessStillLoads() {
        test::TempPrefix prefix;
        // An output "folder" that cannot be created because a file holds its name.
        prefix.makeFile("UT/Compressed", "not a folder");
        prefix.setGameFolder("C:\\UT");
        test::Form1Fixture f;
        f.form->Show();
        QCOMPARE(f.form->Dir1->path(), QStringLiteral("C:\\UT"));
        QVERIFY(fs::is_regular_file(prefix.driveC() / "UT" / "Compressed"));
        QVERIFY(fs::is_directory(prefix.driveC() / "UT" / "Decompressed"));
        QVERIFY(f.messages.shown.empty());
    }

    void closingRunsTheCloseSequenceOnce() {
        test::TempPrefix prefix;
        test::Form1Fixture f;
        QWidget splash;
        splash.show();
        f.form->setSplash(&splash);
        f.form->Show();
        f.form->KewlButtons3->click();
        QCOMPARE(f.endRequests, 1);
        QVERIFY(!splash.isVisible());
        QVERIFY(!f.form->isVisible());
    }
};

QTEST_MAIN(Form1LoadTest)
#include "test_form1_load.moc"
