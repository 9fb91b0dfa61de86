// What a run hands to its host: the command's output, in order, in chunks of one read each.

#include "RunnerHarness.h"

#include "platform/codepage.h"
#include "platform/posix/cmdline.h"

#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace tolvane;
using namespace tolvane::test;
using namespace std::chrono_literals;

namespace {

std::string bracketed(const std::vector<std::string>& words) {
    std::string out;
    for (const auto& word : words) {
        out += "[" + word + "]";
    }
    return out;
}

std::size_t characterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (unsigned char c : utf8) {
        count += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// Puts a pipe holding `text` on this process's standard input for as long as it lives, so that a
// command which inherited it would read that text.
class TypedStandardInput {
public:
    explicit TypedStandardInput(const std::string& text) {
        int ends[2];
        QVERIFY(::pipe(ends) == 0);
        QVERIFY(::write(ends[1], text.data(), text.size()) == ssize_t(text.size()));
        ::close(ends[1]);
        saved_ = ::dup(0);
        ::dup2(ends[0], 0);
        ::close(ends[0]);
    }
    ~TypedStandardInput() {
        ::dup2(saved_, 0);
        ::close(saved_);
    }

private:
    int saved_ = -1;
};

} // namespace

class RunnerOutput : public QObject {
    Q_OBJECT
private slots:
    void aSilentCommandGivesOneEmptyLastChunk() {
        ScriptedInterpreter interpreter("exit 3");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\quiet.bat");
        runner.ProcessCommand();
        QCOMPARE(log.sequence(), std::string("Starting LastChunk Complete"));
        QCOMPARE(log.events[1].text, std::string());
        for (const auto& event : log.events) {
            QVERIFY(event.busy);
        }
        QVERIFY(!runner.busy());
    }

    void longOutputComesInReadsOfAtMost256BytesDecodedFromTheNarrowCodePage() {
        std::string bytes;
        for (int i = 0; i < 600; ++i) {
            bytes += i % 61 == 60 ? '\n' : static_cast<char>(i % 2 ? 'a' + i % 26 : 0x80 + i % 64);
        }
        ScriptedInterpreter interpreter("cat \"$(dirname \"$0\")/data\"");
        interpreter.addFile("data", bytes);
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\long.bat");
        runner.ProcessCommand();

        QCOMPARE(log.shape(), std::string("Starting GotChunk* LastChunk Complete"));
        QVERIFY(log.events.size() >= 3 + 3);
        for (const auto& event : log.events) {
            if (event.kind == "GotChunk") {
                QVERIFY(!event.text.empty());
                // Each byte becomes one character, so the bytes of a read can be counted.
                QVERIFY(characterCount(event.text) <= 256);
            }
        }
        QCOMPARE(log.output(), platform::narrowToUtf8(bytes));
    }

    void standardErrorArrivesInTheOrderWritten() {
        ScriptedInterpreter interpreter(
            "echo out1; echo err1 >&2; echo out2; echo err2 1>&2; echo out3");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\mixed.bat");
        runner.ProcessCommand();
        QCOMPARE(log.output(), std::string("out1\nerr1\nout2\nerr2\nout3\n"));
    }

    void theCommandGetsNoInputNoForeignDescriptorAndAProcessGroupOfItsOwn() {
        TypedStandardInput typed("typed by the user\n");
        const int opened = ::open("/dev/null", O_RDONLY);
        const int stray = ::dup2(opened, 77); // not close-on-exec
        ::close(opened);
        QCOMPARE(stray, 77);
        ScriptedInterpreter interpreter(
            "cat; echo \"input: $(readlink /proc/$$/fd/0)\"\n"
            "[ -e /proc/$$/fd/77 ] && echo 'descriptor 77 inherited'\n"
            "[ \"$(cut -d' ' -f5 /proc/$$/stat)\" = \"$$\" ] && echo 'own group'");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\input.bat");
        runner.ProcessCommand();
        ::close(stray);
        QCOMPARE(log.output(), std::string("input: /dev/null\nown group\n"));
    }

    void theCommandReachesTheInterpreterAsOneQuotedWord() {
        ScriptedInterpreter interpreter("for a in \"$@\"; do printf '[%s]' \"$a\"; done");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\Games\\Unreal Tournament\\uccmake.bat");
        runner.ProcessCommand();
        QCOMPARE(log.output(), std::string("[/c][C:\\Games\\Unreal Tournament\\uccmake.bat]"));

        // Neither doubled nor escaped, inner quotes close and reopen the outer ones.
        runner.SetCommand("C:\\a\" b\"");
        log.events.clear();
        runner.ProcessCommand();
        QCOMPARE(log.output(), std::string("[/c][C:\\a][b]"));
        QCOMPARE(runner.SetCommand(), std::string("C:\\a\" b\""));
        runner.SetCommand("C:\\Games\\Unreal Tournament\\uccmake.bat");

        // ComSpec may carry arguments of its own; a bare program name is looked up on PATH.
        ScopedEnv path("PATH", interpreter.folder().string() + ":/usr/bin:/bin");
        ScopedEnv comSpec("ComSpec", "interpreter \"first word\" second");
        log.events.clear();
        runner.ProcessCommand();
        QCOMPARE(log.output(), std::string("[first word][second][/c][C:\\Games\\Unreal "
                                           "Tournament\\uccmake.bat]"));
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
            QCOMPARE(bracketed(platform::splitCommandLine(line)), std::string(words));
        }
    }

    void aBackgroundProgramHoldingTheOutputDelaysTheEnd() {
        ScriptedInterpreter interpreter("echo early; (sleep 0.5; echo late) & exit 0");
        ReadOutput runner;
        EventLog log(runner);
        runner.SetCommand("C:\\background.bat");
        const auto took = timedRun(runner);
        QCOMPARE(log.output(), std::string("early\nlate\n"));
        QCOMPARE(log.events.back().kind, std::string("Complete"));
        QVERIFY2(took >= 450ms, std::to_string(took.count()).c_str());

        // The end of the output is what counts, not the end of the programs.
        ScriptedInterpreter detached("echo early; (sleep 0.5) >/dev/null 2>&1 & exit 0");
        log.events.clear();
        QVERIFY(timedRun(runner) < 400ms);
        QCOMPARE(log.output(), std::string("early\n"));
    }
};

QTEST_GUILESS_MAIN(RunnerOutput)
#include "test_runner_output.moc"
