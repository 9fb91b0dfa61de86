// Finding the game folder through the registry of the prefix: the value's text unchanged, read
// anew on every call, in the view a 32-bit program has; the empty string when it cannot be read.

#include "common/Module1.h"
#include "support/TempPrefix.h"

#include <QTest>

using tolvane::Module1::GetGameFolder;

class Module1Test : public QObject {
    Q_OBJECT
private slots:
    void readsTheValueAnewOnEveryCall() {
        tolvane::test::TempPrefix prefix;
        QCOMPARE(GetGameFolder(), std::string()); // no system.reg at all
        prefix.setGameFolder("D:\\Games\\Unreal Tournament\\");
        QCOMPARE(GetGameFolder(), std::string("D:\\Games\\Unreal Tournament\\"));
        prefix.setGameFolder("C:\\UT32", /*win64=*/true);
        QCOMPARE(GetGameFolder(), std::string("C:\\UT32"));
        prefix.writeSystemReg("[Software\\\\Unreal Technology\\\\Installed "
                              "Apps\\\\UnrealTournament] 1\n\"Folder\"=dword:00000020\n");
        QCOMPARE(GetGameFolder(), std::string("32"));
        prefix.writeSystemReg("[Software\\\\Other] 1\n\"Folder\"=\"C:\\\\X\"\n");
        QCOMPARE(GetGameFolder(), std::string());
        QCOMPARE(GetGameFolder("nonsense"), std::string());
    }
};

QTEST_GUILESS_MAIN(Module1Test)
#include "test_module1.moc"
