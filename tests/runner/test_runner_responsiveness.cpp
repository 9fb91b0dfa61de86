// While the command is silent the runner keeps yielding to its host.

#include "RunnerHarness.h"

#include <QTest>

using namespace tolvane;
using namespace tolvane::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class RunnerResponsiveness : public QObject {
    Q_OBJECT
private slots:
    void yieldsAtLeastEvery50MillisecondsWhileTheCommandIsSilent() {
        ScriptedInterpreter interpreter("sleep 1; echo done");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\slow.bat");

        // The moments the host got control: every yield, and the start and end of the run.
        std::vector<Clock::time_point> moments;
        runner.yield = [&] { moments.push_back(Clock::now()); };
        auto started = runner.Starting;
        runner.Starting = [&] {
            started();
            moments.push_back(Clock::now());
        };
        auto completed = runner.Complete;
        runner.Complete = [&] {
            completed();
            moments.push_back(Clock::now());
        };
        runner.ProcessCommand();

        QCOMPARE(log.output(), std::string("done\n"));
        QVERIFY2(moments.size() >= 20, std::to_string(moments.size()).c_str());
        Clock::duration longest{};
        for (std::size_t i = 1; i < moments.size(); ++i) {
            longest = std::max(longest, moments[i] - moments[i - 1]);
        }
        const auto longestMs = std::chrono::duration_cast<std::chrono::milliseconds>(longest);
        QVERIFY2(longestMs <= 50ms, (std::to_string(longestMs.count()) + " ms").c_str());
        QVERIFY(moments.back() - moments.front() >= 950ms);
    }
};

QTEST_GUILESS_MAIN(RunnerResponsiveness)
#include "test_runner_responsiveness.moc"
