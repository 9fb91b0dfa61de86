// What a run hands its host: the events in their order, the command's output in reads of at
// most 256 bytes, the command line the interpreter gets, and one Error when nothing can run.
#include "RunnerHarness.h"
#include "platform/codepage.h"
#include "platform/posix/cmdline.h"
#include "support/TempPrefix.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace tolvane;
using namespace tolvane::test;

class RunnerEvents : public QObject {
    Q_OBJECT
private slots:
    void refusalsChangeNothingAndASecondRunIsRefusedFromEveryHandler() {
        ScriptedInterpreter interpreter("echo one; sleep 0.1; echo two");
        EventLog log;
        ReadOutput& runner = log.runner;
        runner.ProcessCommand(); // no command yet
        runner.SetCommand("C:\\first.bat");
        // Every handler tries another run, the first with an empty command (checked first), and
        // leaves its command set, which the running one must not pick up.
        const auto retry = [&] {
            runner.SetCommand(log.events.size() == 2 ? "" : "C:\\next.bat");
            runner.ProcessCommand();
        };
        runner.Starting = [&, record = runner.Starting] { record(), retry(); };
        runner.GotChunk = [&, record = runner.GotChunk](const std::string& sChunk, bool last) {
            record(sChunk, last), retry();
        };
        runner.ProcessCommand();
        QCOMPARE(log.output, std::string("one\ntwo\n"));
        for (std::size_t i : {0, 2}) {
            QCOMPARE(log.events[i].text, std::string("Invalid Command."));
            QCOMPARE(log.events[i].code, 1200);
        }
        for (std::size_t i = 1; i < log.events.size(); ++i) {
            QVERIFY(log.events[i].busy);
            if (i > 2 && log.events[i].kind == "Error") {
                QCOMPARE(log.events[i].text, std::string("Currently processing a command!"));
                QCOMPARE(log.events[i].code, 1201);
            }
        }
        QCOMPARE(log.events.back().kind, std::string("Complete"));
        QVERIFY(!runner.busy());
        QCOMPARE(runner.SetCommand(), std::string("C:\\next.bat"));
    }

    // In reads of at most 256 bytes, standard error in its place, decoded from Windows-1252; and
    // the command gets no input, no descriptor of ours and a process group of its own.
    void outputInOrderAndWhatTheCommandInherits() {
        std::string bytes;
        for (int i = 0; i < 600; ++i) {
            bytes += i % 61 == 60 ? '\n' : static_cast<char>(i % 2 ? 'a' + i % 26 : 0x80 + i % 64);
        }
        const int stray = ::dup2(::open("/dev/null", O_RDONLY), 77); // not close-on-exec
        ScriptedInterpreter interpreter(
            "cat \"$(dirname \"$0\")/data\"; echo err >&2\n"
            "echo \"input: $(readlink /proc/$$/fd/0)\"\n"
            "[ -e /proc/$$/fd/77 ] && echo 'descriptor 77 inherited'\n"
            "[ \"$(cut -d' ' -f5 /proc/$$/stat)\" = \"$$\" ] && echo 'own group'");
        interpreter.addFile("data", bytes, false);
        EventLog log;
        const std::string output = log.run("C:\\long.bat");
        ::close(stray);
        QCOMPARE(output, platform::narrowToUtf8(bytes) + "err\ninput: /dev/null\nown group\n");
        QCOMPARE(log.shape, std::string("Starting GotChunk* LastChunk Complete"));
        for (const auto& event : log.events) {
            // Each byte becomes one character, so the bytes of a read can be counted.
            QVERIFY(QString::fromStdString(event.text).size() <= 256);
        }
    }

    void theInterpreterGetsTheCommandAsOneQuotedWord() {
        ScriptedInterpreter interpreter("printf '[%s]' \"$@\" \"$PWD\"");
        EventLog log;
        const std::string here = "[" + std::filesystem::current_path().string() + "]";
        QCOMPARE(log.run("C:\\Games\\Unreal Tournament\\uccmake.bat"),
                 "[/c][C:\\Games\\Unreal Tournament\\uccmake.bat]" + here);
        // Neither doubled nor escaped: inner quotes close and reopen the outer ones.
        QCOMPARE(log.run("C:\\a\" b\""), "[/c][C:\\a][b]" + here);

        // A file in a folder the prefix has is run by its bare name from that folder, which
        // survives wine joining the words again whatever the folder's name holds.
        {
            TempPrefix prefix;
            const auto game = prefix.makeFolder("Program Files (x86)/Unreal Tournament");
            QCOMPARE(log.run("C:\\Program Files (x86)\\Unreal Tournament\\uccmake.bat"),
                     "[/c][uccmake.bat][" + game.string() + "]");
        }

        // ComSpec may carry arguments of its own; a bare program name is looked up on PATH.
        ScopedEnv path("PATH", interpreter.folder().string() + ":/usr/bin:/bin");
        ScopedEnv comSpec("ComSpec", "interpreter \"first word\" second");
        QCOMPARE(log.run("C:\\x y"), "[first word][second][/c][C:\\x y]" + here);
    }

    void commandLinesSplitByTheWindowsRules() {
        const std::pair<const char*, const char*> cases[] = {
            {" a  b\tc ", "[a][b][c]"}, // blanks, tabs
            {"\"C:\\x y\\cmd.exe\" /c \"C:\\a b\\u.bat\"",
             "[C:\\x y\\cmd.exe][/c][C:\\a b\\u.bat]"},
            {"C:\\d\\\"x y\"\\p.exe a", "[C:\\d\\x y\\p.exe][a]"}, // the program takes no escapes
            {"p \"ab\\\"c\" \"\\\\\" d", "[p][ab\"c][\\][d]"},     // escaped quote
            {"p a\\\\\\b d\"e f\"g h", "[p][a\\\\\\b][de fg][h]"}, // plain backslashes
            {"p a\\\\\\\"b c", "[p][a\\\"b][c]"},                  // odd backslashes
            {"p a\\\\\\\\\"b c\" d", "[p][a\\\\b c][d]"},          // even backslashes
            {"p a\"b\"\" c d", "[p][ab\" c d]"},                   // doubled quote in a group
            {"p \"\" x", "[p][][x]"},                              // empty argument
            {"   ", ""},
        };
        for (const auto& [line, words] : cases) {
            std::string got;
            for (const auto& word : platform::splitCommandLine(line)) {
                got += "[" + word + "]";
            }
            QCOMPARE(got, std::string(words));
        }
    }

    void anInterpreterThatCannotStartGivesOneErrorAndHoldsNothing_data() {
        QTest::addColumn<QString>("comSpec");
        QTest::addColumn<int>("code");
        QTest::newRow("missing") << "{dir}/no such folder/cmd" << 2;
        QTest::newRow("not on PATH") << "tolvane-no-such-interpreter" << 2;
        QTest::newRow("not executable") << "{dir}/plain" << 5; // also for root: no x bit at all
        QTest::newRow("a folder") << "{dir}" << 5;
        QTest::newRow("not a program") << "{dir}/garbage" << 193;
    }
    void anInterpreterThatCannotStartGivesOneErrorAndHoldsNothing() {
        QFETCH(QString, comSpec);
        QFETCH(int, code);
        ScriptedInterpreter scripts("exit 3"); // silent: its one chunk is the empty last one
        scripts.addFile("plain", "#!/bin/sh\necho never\n", false);
        scripts.addFile("garbage", std::string("\x7f\x01garbage\n", 10), true);
        ScopedEnv env(
            "ComSpec",
            comSpec.replace("{dir}", QString::fromStdString(scripts.folder())).toStdString());
        const int descriptors = openDescriptorCount();
        EventLog log;
        ReadOutput& runner = log.runner;
        // The flag is down when Error comes, so its handler may start the next run.
        runner.Error = [&, record = runner.Error](const std::string& text, std::int32_t code) {
            record(text, code);
            ::setenv("ComSpec", scripts.path().c_str(), 1);
            runner.ProcessCommand();
        };
        QCOMPARE(log.run("C:\\job.bat"), std::string());
        QCOMPARE(log.shape, std::string("Error Starting LastChunk Complete"));
        QCOMPARE(log.events[0].text, std::string("CreateProcess failed."));
        QCOMPARE(log.events[0].code, code);
        QVERIFY(!log.events[0].busy);
        QCOMPARE(openDescriptorCount(), descriptors);
        QVERIFY(hasNoChildren());
    }

    void aPipeThatCannotBeCreatedGivesOneError() {
        ScriptedInterpreter interpreter("echo never");
        EventLog log;
        // With the descriptor limit at the lowest free number, no new descriptor can be made.
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        const rlimit tight{static_cast<rlim_t>(lowestFree), saved.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
        log.run("C:\\job.bat");
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);
        QCOMPARE(log.shape, std::string("Error"));
        QCOMPARE(log.events[0].text, std::string("CreatePipe failed."));
        QCOMPARE(log.events[0].code, 4); // too many open files
        QVERIFY(!log.runner.busy());
    }
};

QTEST_GUILESS_MAIN(RunnerEvents)
#include "test_runner_events.moc"
