// Runs leave nothing behind: no descriptor, no child process, whatever way they ended.

#include "RunnerHarness.h"

#include <QTest>

#include <cstdio>
#include <stdexcept>

using namespace tolvane;
using namespace tolvane::test;

class RunnerHygiene : public QObject {
    Q_OBJECT
private slots:
    void aThousandRunsLeaveNoDescriptorAndNoChild() {
        ScriptedInterpreter scripts("echo unused");
        const std::string echo = "/bin/echo";
        const std::string missing = (scripts.folder() / "missing").string();
        const std::string background =
            scripts.addFile("background", "#!/bin/sh\n(sleep 0.2; echo late) &\necho early\n", true)
                .string();
        const int descriptors = openDescriptorCount();

        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\job.bat");
        int completed = 0;
        int failed = 0;
        for (int i = 0; i < 1000; ++i) {
            // Mostly plain runs; now and then a start that fails, a refusal, and a run whose
            // output outlives its interpreter.
            const std::string& comSpec = i % 10 == 3 ? missing : i == 500 ? background : echo;
            ScopedEnv env("ComSpec", comSpec);
            if (i % 100 == 7) {
                runner.SetCommand("");
            }
            log.events.clear();
            runner.ProcessCommand();
            runner.SetCommand("C:\\job.bat");
            if (!log.events.empty() && log.events.back().kind == "Complete") {
                ++completed;
            } else {
                ++failed;
            }
        }
        const int descriptorsAfter = openDescriptorCount();
        const bool noChildren = hasNoChildren();
        std::printf("reliability: runner: 1000 runs (%d completed, %d failed to start or refused), "
                    "%d descriptors leaked, %s child processes left\n",
                    completed, failed, descriptorsAfter - descriptors, noChildren ? "0" : "some");
        QCOMPARE(completed, 890);
        QCOMPARE(failed, 110);
        QCOMPARE(descriptorsAfter, descriptors);
        QVERIFY(noChildren);
    }

    void aHandlerThatThrowsStillReleasesTheRun() {
        ScriptedInterpreter interpreter("echo one; sleep 0.1; echo two");
        const int descriptors = openDescriptorCount();
        ReadOutput runner;
        runner.SetCommand("C:\\job.bat");
        runner.GotChunk = [](const std::string&, bool) { throw std::runtime_error("handler"); };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, runner.ProcessCommand());
        QVERIFY(!runner.busy());
        QCOMPARE(openDescriptorCount(), descriptors);
        QVERIFY(hasNoChildren());

        EventLog log(runner);
        runner.ProcessCommand();
        QCOMPARE(log.output(), std::string("one\ntwo\n"));
    }
};

QTEST_GUILESS_MAIN(RunnerHygiene)
#include "test_runner_hygiene.moc"
