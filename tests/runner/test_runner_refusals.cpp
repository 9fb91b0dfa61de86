// A runner refuses an empty command, and a second command while one is running.

#include "RunnerHarness.h"

#include <QTest>

using namespace tolvane;
using namespace tolvane::test;

class RunnerRefusals : public QObject {
    Q_OBJECT
private slots:
    void refusesAnEmptyCommand() {
        ReadOutput runner;
        EventLog log(runner);
        runner.ProcessCommand();
        QCOMPARE(log.sequence(), std::string("Error"));
        QCOMPARE(log.events[0].text, std::string("Invalid Command."));
        QCOMPARE(log.events[0].code, 1200);
        QVERIFY(!runner.busy());
    }

    void refusesASecondRunFromInsideEveryEventAndTheFirstGoesOn() {
        ScriptedInterpreter interpreter("echo one; sleep 0.1; echo two");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\job.bat");

        // Every handler tries to start another run; each attempt must be refused on the spot.
        auto refuseFrom = [&](auto handler) {
            return [&runner, handler](auto&&... args) {
                handler(args...);
                runner.ProcessCommand();
            };
        };
        runner.Starting = refuseFrom(runner.Starting);
        runner.GotChunk = refuseFrom(runner.GotChunk);
        runner.Complete = refuseFrom(runner.Complete);
        int yields = 0;
        runner.yield = [&] {
            if (yields++ == 0) {
                runner.ProcessCommand();
            }
        };

        runner.ProcessCommand();

        // Every event is followed at once by the refusal its handler caused, and the yield's
        // refusal comes before the first chunk.
        QCOMPARE(log.output(), std::string("one\ntwo\n"));
        std::string runEvents;
        int refusals = 0;
        for (std::size_t i = 0; i < log.events.size(); ++i) {
            const RunEvent& event = log.events[i];
            if (event.kind == "Error") {
                QCOMPARE(event.text, std::string("Currently processing a command!"));
                QCOMPARE(event.code, 1201);
                QVERIFY(event.busy);
                ++refusals;
                continue;
            }
            runEvents += (runEvents.empty() ? "" : " ") + event.kind;
            QVERIFY(i + 1 < log.events.size());
            QCOMPARE(log.events[i + 1].kind, std::string("Error"));
        }
        QCOMPARE(log.events[2].kind, std::string("Error")); // the yield's
        QVERIFY(runEvents.starts_with("Starting GotChunk"));
        QVERIFY(runEvents.ends_with("GotChunk LastChunk Complete"));
        QVERIFY(runEvents.find("Starting", 1) == std::string::npos);
        QCOMPARE(refusals, static_cast<int>(log.events.size()) - refusals + 1);
        QVERIFY(!runner.busy());

        // Once the run is over the same runner runs again.
        log.events.clear();
        runner.yield = nullptr;
        runner.ProcessCommand();
        QCOMPARE(log.output(), std::string("one\ntwo\n"));
    }

    void checksForAnEmptyCommandBeforeTheBusyFlag() {
        ScriptedInterpreter interpreter("echo running");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\job.bat");
        runner.Starting = [&] {
            log.events.push_back({"Starting", {}, 0, true});
            runner.SetCommand("");
            runner.ProcessCommand();
        };
        runner.ProcessCommand();
        QCOMPARE(log.shape(), std::string("Starting Error GotChunk* LastChunk Complete"));
        QCOMPARE(log.events[1].code, 1200);
        QCOMPARE(log.output(), std::string("running\n"));
    }
};

QTEST_GUILESS_MAIN(RunnerRefusals)
#include "test_runner_refusals.moc"
