// When a run ends: when the interpreter has ended and its output is read, whatever it left
// running; and that runs, however they end, leave no descriptor and no child behind.
#include "RunnerHarness.h"

#include <algorithm>
#include <csignal>
#include <stdexcept>

using namespace tolvane;
using namespace tolvane::test;

class RunnerEnd : public QObject {
    Q_OBJECT
private slots:
    void theRunEndsWhenTheInterpreterEndsWithAllItWroteShown() {
        // A program left running holds the output open for 30 s, as Wine's system processes do.
        ScriptedInterpreter interpreter("echo \"group $$\"; (exec sleep 30) &\n"
                                        "head -c 100000 /dev/zero | tr '\\0' x; echo; echo last");
        EventLog log;
        const std::string output = log.run("C:\\job.bat");
        const pid_t group = std::stoi(output.substr(6));
        const bool holderStillThere = ::kill(-group, 0) == 0;
        ::kill(-group, SIGKILL);
        QVERIFY(holderStillThere);
        QCOMPARE(log.shape, std::string("Starting GotChunk* LastChunk Complete"));
        QCOMPARE(output.substr(output.find('\n') + 1), std::string(100000, 'x') + "\nlast\n");
        QVERIFY(hasNoChildren());
    }

    void anInterpreterThatClosesItsOutputEarlyIsWaitedFor() {
        ScriptedInterpreter interpreter(
            "echo before; exec >&- 2>&-; sleep 0.3; touch \"$(dirname \"$0\")/finished\"");
        EventLog log;
        int yields = 0;
        log.runner.yield = [&] { ++yields; };
        QCOMPARE(log.run("C:\\job.bat"), std::string("before\n"));
        QVERIFY(std::filesystem::exists(interpreter.folder() / "finished"));
        QCOMPARE(log.shape, std::string("Starting GotChunk* LastChunk Complete"));
        QVERIFY2(yields > 3, "the host must be served while the command is silent");
    }

    void stopEndsTheCommandAndWhatItStartedAndTheRunEndsAsUsual() {
        ScriptedInterpreter interpreter("echo \"group $$\"; sleep 30 & sleep 30; echo never");
        EventLog log;
        log.runner.GotChunk = [&, record = log.runner.GotChunk](const std::string& sChunk,
                                                                bool last) {
            record(sChunk, last);
            log.runner.Stop();
        };
        const std::string output = log.run("C:\\job.bat");
        QCOMPARE(log.shape, std::string("Starting GotChunk* LastChunk Complete"));
        const pid_t group = std::stoi(output.substr(6));
        QVERIFY(output.find("never") == std::string::npos);
        QTRY_VERIFY(::kill(-group, 0) != 0); // both sleepers are gone
        log.runner.Stop();                   // idle: nothing happens
        QVERIFY(hasNoChildren());
    }

    // A flood that fills the pipe is read as it comes; lines that follow at an ordinary pace are
    // gathered again, not read one wake-up each, which would have the reader take turns on the
    // processor with a busy job. A quick run of short lines, as a job's moves give at its end,
    // is gathered too: read a line at a time, it would cost a wake-up for every line.
    void theReaderWakesForAFloodButNotForEveryLine() {
        ScriptedInterpreter interpreter(
            "head -c 3000000 /dev/zero | tr '\\0' x; echo\n"
            "for i in $(seq 200); do echo line; sleep 0.001; done\n"
            "m=\"moved to C:\\\\Program Files (x86)\\\\Unreal Tournament\\\\"
            "Compressed, as a real job's move lines are\"\n"
            "for i in $(seq 3000); do echo \"$i $m\"; echo \"$m\"; done");
        EventLog log;
        int lineChunks = 0;
        int lineAtATime = 0;
        log.runner.GotChunk = [&, record = log.runner.GotChunk](const std::string& sChunk,
                                                                bool last) {
            record(sChunk, last);
            lineChunks += sChunk.find("line\n") != std::string::npos;
            // A read of a line or two: the reader woke for it.
            lineAtATime += sChunk.find("moved") != std::string::npos && sChunk.size() < 200;
        };
        const std::string output = log.run("C:\\job.bat");
        QCOMPARE(output.substr(0, 3000001), std::string(3000000, 'x') + "\n");
        QCOMPARE(std::count(output.begin(), output.end(), '\n'), 1 + 200 + 6000);
        QVERIFY2(lineChunks < 140, std::to_string(lineChunks).c_str());
        // Gathered, the moves come in full reads of the runner's 256 bytes, bar the last of each
        // gathering (a few dozen even on a slow machine); read as they come, the 6,000 lines
        // give thousands of short reads.
        QVERIFY2(lineAtATime < 300, std::to_string(lineAtATime).c_str());
    }

    void manyRunsLeaveNoDescriptorAndNoChild() {
        ScriptedInterpreter scripts("echo unused");
        const std::string missing = (scripts.folder() / "missing").string();
        const std::string holder =
            scripts.addFile("holder", "#!/bin/sh\n(exec sleep 0.5) &\necho early\n", true);
        const int descriptors = openDescriptorCount();
        EventLog log;
        int completed = 0;
        for (int i = 0; i < 60; ++i) {
            // Plain runs, starts that fail, refusals, and runs whose output outlives them.
            ScopedEnv env("ComSpec", i % 3 == 0 ? holder : i % 5 == 1 ? missing : "/bin/echo");
            log.run(i % 7 == 2 ? "" : "C:\\job.bat");
            completed += log.events.back().kind == "Complete" ? 1 : 0;
        }
        QCOMPARE(completed, 44);
        QCOMPARE(openDescriptorCount(), descriptors);
        QVERIFY(hasNoChildren());
    }

    void aHandlerThatThrowsStillReleasesTheRun() {
        ScriptedInterpreter interpreter("echo one; echo two");
        const int descriptors = openDescriptorCount();
        EventLog log;
        const auto record = log.runner.GotChunk;
        log.runner.GotChunk = [](const std::string&, bool) { throw std::runtime_error("handler"); };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, log.run("C:\\job.bat"));
        QVERIFY(!log.runner.busy());
        QCOMPARE(openDescriptorCount(), descriptors);
        // The abandoned interpreter runs on, and is reaped once it has ended: by the end of a
        // later run that outlasts it.
        ScriptedInterpreter later("echo three; sleep 0.2");
        log.runner.GotChunk = record;
        QCOMPARE(log.run("C:\\job.bat"), std::string("three\n"));
        QVERIFY(hasNoChildren());
    }
};

QTEST_GUILESS_MAIN(RunnerEnd)
#include "test_runner_end.moc"
