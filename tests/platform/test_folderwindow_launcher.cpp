// Starting the folder window program detached from this process.

#include "platform/folderwindow.h"
#include "support/ProcessFacts.h"
#include "support/TempPrefix.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

// This test program doubles as a stand-in for the window program: started with this variable
// set, it records its argument and Wine prefix there and stays running.
constexpr const char* kRecordVariable = "FAKE_FOLDER_WINDOW_RECORD";

int recordAndStay(const char* record, int argc, char* argv[]) {
    const char* prefix = std::getenv("WINEPREFIX");
    {
        std::ofstream out(std::string(record) + ".tmp");
        out << (argc > 1 ? argv[1] : "") << '\n' << (prefix ? prefix : "") << '\n';
    }
    std::rename((std::string(record) + ".tmp").c_str(), record);
    ::sleep(60);
    return 0;
}

// Starts this program as the window program, recording into `record`.
platform::SystemError startStandIn(const fs::path& record, const std::string& winPath, int* pid) {
    platform::DetachedFolderWindowLauncher launcher(
        QCoreApplication::applicationFilePath().toStdString());
    ::setenv(kRecordVariable, record.c_str(), 1);
    const auto error = launcher.start(winPath, pid);
    ::unsetenv(kRecordVariable);
    return error;
}

} // namespace

class FolderWindowLauncherTest : public QObject {
    Q_OBJECT
private slots:
    void startsTheProgramDetachedWithThePathAndThePrefix() {
        test::TempPrefix prefix;
        QTemporaryDir dir;
        const fs::path record = fs::path(dir.path().toStdString()) / "record";
        // A descriptor without close-on-exec must not reach the window program.
        const int stray = ::open("/dev/null", O_RDONLY);
        QVERIFY(stray > 2);

        int pid = 0;
        const auto error = startStandIn(record, "C:\\UT\\\\Maps", &pid);
        ::close(stray);
        QVERIFY2(!error, error.message.c_str());
        QVERIFY(pid > 0);
        QVERIFY(test::waitForFile(record));

        QCOMPARE(test::readFile(record), "C:\\UT\\\\Maps\n" + prefix.root().string() + "\n");

        const auto facts = test::processFacts(pid);
        test::endProcess(pid);
        QVERIFY(facts.exists);
        QVERIFY(facts.parent != ::getpid()); // handed to the system, never our zombie
        QCOMPARE(facts.session, pid);        // a session of its own
        QVERIFY(facts.session != ::getsid(0));
        QCOMPARE(facts.descriptors.size(), std::size_t(3));
        for (const auto& [fd, target] : facts.descriptors) {
            QCOMPARE(target, std::string("/dev/null"));
        }
    }

    void saysWhyTheProgramCannotStart_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("code");
        QTest::newRow("missing") << QString() << 0 << platform::kErrorFileNotFound;
        // Even root cannot run a file without any execute bit.
        QTest::newRow("not executable")
            << QStringLiteral("#!/bin/sh\n") << 0644 << platform::kErrorAccessDenied;
        QTest::newRow("not a program") << QStringLiteral("\x01\x02garbage") << 0755 << 193;
    }
    void saysWhyTheProgramCannotStart() {
        QFETCH(QString, content);
        QFETCH(int, mode);
        QFETCH(int, code);
        QTemporaryDir dir;
        const fs::path program = fs::path(dir.path().toStdString()) / "tolvane-folder";
        if (!content.isEmpty()) {
            std::ofstream(program) << content.toStdString();
            ::chmod(program.c_str(), static_cast<mode_t>(mode));
        }
        platform::DetachedFolderWindowLauncher launcher(program.string());
        const auto error = launcher.open("C:\\UT\\Maps");
        QCOMPARE(error.code, code);
        QVERIFY2(error.message.find(program.string()) != std::string::npos, error.message.c_str());
    }
};

int main(int argc, char* argv[]) {
    if (const char* record = std::getenv(kRecordVariable)) {
        return recordAndStay(record, argc, argv);
    }
    QCoreApplication app(argc, argv);
    FolderWindowLauncherTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_folderwindow_launcher.moc"
