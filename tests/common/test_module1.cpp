// Finding the game folder through the registry of the prefix.

#include "common/Module1.h"
#include "support/TempPrefix.h"

#include <QTest>

#include <fstream>

using namespace tolvane;

class Module1Test : public QObject {
    Q_OBJECT
private slots:
    void returnsTheStoredTextUnchanged() {
        test::TempPrefix prefix;
        prefix.setGameFolder("D:\\Games\\Unreal Tournament\\");
        QCOMPARE(Module1::GetGameFolder(), std::string("D:\\Games\\Unreal Tournament\\"));
    }

    void givesTheEmptyStringWhenTheValueCannotBeRead() {
        test::TempPrefix prefix;
        QCOMPARE(Module1::GetGameFolder(), std::string()); // no system.reg at all
        prefix.writeSystemReg("[Software\\\\Unreal Technology\\\\Installed "
                              "Apps\\\\UnrealTournament] 1\n\"Version\"=\"436\"\n");
        QCOMPARE(Module1::GetGameFolder(), std::string()); // key without the value
        prefix.writeSystemReg("[Software\\\\Other] 1\n\"Folder\"=\"C:\\\\X\"\n");
        QCOMPARE(Module1::GetGameFolder(), std::string()); // no key
        std::ofstream(prefix.root() / "system.reg") << "garbage\n\"Folder\"=\"C:\\\\X\"\n";
        QCOMPARE(Module1::GetGameFolder(), std::string()); // not a registry file
        QCOMPARE(Module1::GetGameFolder("HKEY_CLASSES_ROOT\\x\\y"), std::string());
        QCOMPARE(Module1::GetGameFolder("nonsense"), std::string());
    }

    void readsADwordAsDecimalText() {
        test::TempPrefix prefix;
        prefix.writeSystemReg("[Software\\\\Unreal Technology\\\\Installed "
                              "Apps\\\\UnrealTournament] 1\n\"Folder\"=dword:00000020\n");
        QCOMPARE(Module1::GetGameFolder(), std::string("32"));
    }

    void usesTheThirtyTwoBitViewOfAWin64Prefix() {
        test::TempPrefix prefix;
        prefix.setGameFolder("C:\\UT32", /*win64=*/true);
        QCOMPARE(Module1::GetGameFolder(), std::string("C:\\UT32"));
        // A win64 prefix whose installer wrote only the 64-bit key is still found.
        prefix.writeSystemReg("[Software\\\\Unreal Technology\\\\Installed "
                              "Apps\\\\UnrealTournament] 1\n\"Folder\"=\"C:\\\\UT64\"\n",
                              /*win64=*/true);
        QCOMPARE(Module1::GetGameFolder(), std::string("C:\\UT64"));
    }

    void readsTheRegistryAnewOnEveryCall() {
        test::TempPrefix prefix;
        prefix.setGameFolder("C:\\First");
        QCOMPARE(Module1::GetGameFolder(), std::string("C:\\First"));
        prefix.setGameFolder("C:\\Second");
        QCOMPARE(Module1::GetGameFolder(), std::string("C:\\Second"));
    }
};

QTEST_GUILESS_MAIN(Module1Test)
#include "test_module1.moc"
