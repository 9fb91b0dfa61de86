// The stored command and the busy flag across runs.

#include "RunnerHarness.h"

#include <QTest>

using namespace tolvane;
using namespace tolvane::test;

class RunnerState : public QObject {
    Q_OBJECT
private slots:
    void theStoredCommandIsKeptAndRunsAgain() {
        ScriptedInterpreter interpreter("printf 'ran %s\\n' \"$2\"");
        ReadOutput runner;
        QVERIFY(!runner.busy());
        QCOMPARE(runner.SetCommand(), std::string());
        EventLog log(runner);
        runner.SetCommand("C:\\UT\\uccmake.bat");
        runner.ProcessCommand();
        QCOMPARE(runner.SetCommand(), std::string("C:\\UT\\uccmake.bat"));
        QVERIFY(!runner.busy());
        runner.ProcessCommand();
        QCOMPARE(log.output(), std::string("ran C:\\UT\\uccmake.bat\nran C:\\UT\\uccmake.bat\n"));
        QCOMPARE(log.sequence(), std::string("Starting GotChunk LastChunk Complete "
                                             "Starting GotChunk LastChunk Complete"));
        for (const auto& event : log.events) {
            QVERIFY(event.busy); // Complete, too, comes while the run still holds the flag
        }
    }

    void aNewCommandDuringARunWaitsForTheNextRun() {
        ScriptedInterpreter interpreter("sleep 0.1; printf 'ran %s\\n' \"$2\"");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\first.bat");
        int yields = 0;
        runner.yield = [&] {
            if (++yields == 2) {
                runner.SetCommand("C:\\second.bat");
            }
        };
        runner.ProcessCommand();
        QCOMPARE(log.output(), std::string("ran C:\\first.bat\n"));
        QCOMPARE(runner.SetCommand(), std::string("C:\\second.bat"));
        runner.ProcessCommand();
        QCOMPARE(log.output(), std::string("ran C:\\first.bat\nran C:\\second.bat\n"));
    }
};

QTEST_GUILESS_MAIN(RunnerState)
#include "test_runner_state.moc"
