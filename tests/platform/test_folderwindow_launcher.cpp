// Starting the folder window program detached from this process, or saying why it cannot start.

#include "platform/folderwindow.h"
#include "support/TempPrefix.h"

#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tolvane;
namespace fs = std::filesystem;

class FolderWindowLauncherTest : public QObject {
    Q_OBJECT
private slots:
    void startsTheProgramDetachedWithThePathAndThePrefix() {
        test::TempPrefix prefix;
        // A window program that says what it got, then stays.
        const fs::path program =
            prefix.makeFile("window", "#!/bin/sh\nprintf '%s %s\\n' \"$1\" \"$WINEPREFIX\" "
                                      ">\"$0.tmp\"\nmv \"$0.tmp\" \"$0.said\"\n"
                                      "exec sleep 60\n");
        fs::permissions(program, fs::perms::owner_all);
        const int stray = ::open("/dev/null", O_RDONLY); // not close-on-exec: must not reach it
        int pid = 0;
        const auto error =
            platform::DetachedFolderWindowLauncher(program).start("C:\\UT\\\\Maps", &pid);
        ::close(stray);
        QVERIFY2(!error && pid > 0, error.message.c_str());
        QTRY_COMPARE(test::readFile(program.string() + ".said"),
                     "C:\\UT\\\\Maps " + prefix.root().string() + "\n");

        // Handed over (never our zombie), in a session of its own, holding only /dev/null (the
        // shell's own descriptor for its script goes at its exec).
        const std::string proc = "/proc/" + std::to_string(pid);
        const std::string stat = test::readFile(proc + "/stat");
        int parent = 0, session = 0;
        std::sscanf(stat.substr(stat.rfind(')') + 2).c_str(), "%*c %d %*d %d", &parent, &session);
        QVERIFY(parent != ::getpid() && session == pid);
        QTRY_COMPARE(std::distance(fs::directory_iterator(proc + "/fd"), {}), std::ptrdiff_t(3));
        for (const char* fd : {"/fd/0", "/fd/1", "/fd/2"}) {
            QCOMPARE(fs::read_symlink(proc + fd), fs::path("/dev/null"));
        }
        ::kill(pid, SIGKILL);
    }

    void saysWhyTheProgramCannotStart() {
        const std::tuple<const char*, mode_t, int> cases[] = {
            {nullptr, 0, platform::kErrorFileNotFound},
            {"#!/bin/sh\n", 0644, platform::kErrorAccessDenied}, // even for root: no x bit at all
            {"\x01\x02garbage", 0755, 193},                      // not a program
        };
        for (const auto& [content, mode, code] : cases) {
            test::TempPrefix prefix;
            const std::string program = prefix.root() / "tolvane-folder";
            if (content) {
                std::ofstream(program) << content;
                ::chmod(program.c_str(), mode);
            }
            const auto error = platform::DetachedFolderWindowLauncher(program).open("C:\\UT\\Maps");
            QCOMPARE(error.code, code);
            QVERIFY2(error.message.find(program) != std::string::npos, error.message.c_str());
        }
    }
};

QTEST_GUILESS_MAIN(FolderWindowLauncherTest)
#include "test_folderwindow_launcher.moc"
