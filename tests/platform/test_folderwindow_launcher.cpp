// Starting the folder window program detached from this process, or saying why it cannot start.

#include "platform/folderwindow.h"
#include "support/ProcessFacts.h"
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
    // This program stands in for the window program: see main().
    void startsTheProgramDetachedWithThePathAndThePrefix() {
        test::TempPrefix prefix;
        const fs::path record = prefix.root() / "record";
        const int stray = ::open("/dev/null", O_RDONLY); // not close-on-exec: must not reach it
        int pid = 0;
        const auto error = [&] {
            test::ScopedEnv standIn("FOLDER_WINDOW_RECORD", record.string());
            return platform::DetachedFolderWindowLauncher(
                       QCoreApplication::applicationFilePath().toStdString())
                .start("C:\\UT\\\\Maps", &pid);
        }();
        ::close(stray);
        QVERIFY2(!error && pid > 0, error.message.c_str());
        QVERIFY(QTest::qWaitFor([&] { return fs::exists(record); }, 10000));
        QCOMPARE(test::readFile(record), "C:\\UT\\\\Maps\n" + prefix.root().string() + "\n");
        const auto facts = test::processFacts(pid);
        ::kill(pid, SIGKILL);
        QVERIFY(facts.exists && facts.parent != ::getpid()); // handed over, never our zombie
        QVERIFY(facts.session == pid && facts.session != ::getsid(0));
        QCOMPARE(facts.descriptors, (std::map<int, std::string>{
                                        {0, "/dev/null"}, {1, "/dev/null"}, {2, "/dev/null"}}));
    }

    void saysWhyTheProgramCannotStart_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("code");
        QTest::newRow("missing") << QByteArray() << 0 << platform::kErrorFileNotFound;
        QTest::newRow("not executable")
            << QByteArray("#!/bin/sh\n") << 0644 << platform::kErrorAccessDenied; // even for root
        QTest::newRow("not a program") << QByteArray("\x01\x02garbage") << 0755 << 193;
    }
    void saysWhyTheProgramCannotStart() {
        QFETCH(QByteArray, content);
        QFETCH(int, mode);
        QFETCH(int, code);
        test::TempPrefix prefix;
        const std::string program = prefix.root() / "tolvane-folder";
        if (!content.isNull()) {
            std::ofstream(program) << content.toStdString();
            ::chmod(program.c_str(), static_cast<mode_t>(mode));
        }
        const auto error = platform::DetachedFolderWindowLauncher(program).open("C:\\UT\\Maps");
        QCOMPARE(error.code, code);
        QVERIFY2(error.message.find(program) != std::string::npos, error.message.c_str());
    }
};

// Started with FOLDER_WINDOW_RECORD set, records its argument and Wine prefix there and stays.
int main(int argc, char* argv[]) {
    if (const char* record = std::getenv("FOLDER_WINDOW_RECORD")) {
        std::ofstream(std::string(record) + ".tmp") << argv[1] << '\n'
                                                    << std::getenv("WINEPREFIX") << '\n';
        std::rename((std::string(record) + ".tmp").c_str(), record);
        ::pause();
    }
    QCoreApplication app(argc, argv);
    FolderWindowLauncherTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_folderwindow_launcher.moc"
