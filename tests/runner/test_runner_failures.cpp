// A run whose pipe or process cannot be created reports one Error and nothing else.

#include "RunnerHarness.h"

#include "platform/process.h"

#include <QCoreApplication>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

using namespace tolvane;
using namespace tolvane::test;

class RunnerFailures : public QObject {
    Q_OBJECT
private slots:
    void anInterpreterThatCannotStartGivesOneError_data() {
        QTest::addColumn<QString>("comSpec");
        QTest::addColumn<int>("code");
        QTest::newRow("missing") << "{dir}/no such folder/cmd" << 2;
        QTest::newRow("not on PATH") << "tolvane-no-such-interpreter" << 2;
        QTest::newRow("not executable") << "{dir}/plain" << 5; // also for root: no x bit at all
        QTest::newRow("a folder") << "{dir}" << 5;
        QTest::newRow("not a program") << "{dir}/garbage" << 193;
    }

    void anInterpreterThatCannotStartGivesOneError() {
        QFETCH(QString, comSpec);
        QFETCH(int, code);
        ScriptedInterpreter scripts("echo never");
        scripts.addFile("plain", "#!/bin/sh\necho never\n", false);
        scripts.addFile("garbage", std::string("\x7f\x01garbage\n", 10), true);
        ScopedEnv env("ComSpec",
                      comSpec.replace("{dir}", QString::fromStdString(scripts.folder().string()))
                          .toStdString());
        const int descriptors = openDescriptorCount();

        ReadOutput runner;
        EventLog log(runner);
        bool busyInHandler = true;
        runner.Error = [&](const std::string& text, std::int32_t LastDLLError) {
            busyInHandler = runner.busy();
            log.events.push_back({"Error", text, LastDLLError, runner.busy()});
        };
        runner.SetCommand("C:\\job.bat");
        runner.ProcessCommand();

        QCOMPARE(log.sequence(), std::string("Error"));
        QCOMPARE(log.events[0].text, std::string("CreateProcess failed."));
        QCOMPARE(log.events[0].code, code);
        QVERIFY(!busyInHandler);
        QVERIFY(!runner.busy());
        QCOMPARE(openDescriptorCount(), descriptors);
        QVERIFY(hasNoChildren());
    }

    void withoutComSpecTheBundledInterpreterBesideTheProgramIsUsed() {
        ScopedEnv empty("ComSpec", "");
        const std::string expected =
            QCoreApplication::applicationDirPath().toStdString() + "/tolvane-cmd";
        const std::string interpreter = platform::commandInterpreter();
        QCOMPARE(interpreter,
                 expected.find(' ') == std::string::npos ? expected : '"' + expected + '"');
        ::unsetenv("ComSpec");
        QCOMPARE(platform::commandInterpreter(), interpreter);
    }

    void aPipeThatCannotBeCreatedGivesOneError() {
        ScriptedInterpreter interpreter("echo never");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\job.bat");

        // With the descriptor limit at the lowest free number, no new descriptor can be made.
        struct rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        struct rlimit tight = saved;
        tight.rlim_cur = static_cast<rlim_t>(lowestFree);
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
        runner.ProcessCommand();
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);

        QCOMPARE(log.sequence(), std::string("Error"));
        QCOMPARE(log.events[0].text, std::string("CreatePipe failed."));
        QCOMPARE(log.events[0].code, 4); // too many open files
        QVERIFY(!log.events[0].busy);
        QVERIFY(!runner.busy());
    }

    void anErrorHandlerMayStartTheNextRun() {
        ScriptedInterpreter interpreter("echo second try");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\job.bat");
        auto record = runner.Error;
        bool retried = false;
        runner.Error = [&](const std::string& text, std::int32_t LastDLLError) {
            record(text, LastDLLError);
            if (!retried) {
                retried = true;
                ::setenv("ComSpec", interpreter.path().c_str(), 1);
                runner.ProcessCommand();
            }
        };
        ::setenv("ComSpec", (interpreter.folder() / "missing").c_str(), 1);
        runner.ProcessCommand();
        QCOMPARE(log.sequence(), std::string("Error Starting GotChunk LastChunk Complete"));
        QCOMPARE(log.output(), std::string("second try\n"));
        QVERIFY(!runner.busy());
    }
};

QTEST_GUILESS_MAIN(RunnerFailures)
#include "test_runner_failures.moc"
