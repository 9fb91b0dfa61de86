// The real tolvane-cmd running batch files in a throw-away prefix: what it prints, what it
// moves, what the programs it starts receive, and that it ends when its last program has.

#include "platform/posix/spawn.h"
#include "support/ScopedEnv.h"
#include "support/TempPrefix.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include <csignal>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

struct Run {
    QByteArray output; // stdout and stderr together, as the runner's pipe sees them
    int exitCode = -1;
};

// Runs tolvane-cmd in `folder` as the runner does and reads its output until the pipe ends.
// With `readerGone` the pipe's reader has left before the job starts.
Run runCmd(std::vector<std::string> arguments, const fs::path& folder, bool readerGone = false) {
    int ends[2] = {-1, -1};
    ::pipe2(ends, O_CLOEXEC);
    platform::SpawnRequest request;
    request.program = QCoreApplication::applicationDirPath().toStdString() + "/tolvane-cmd";
    arguments.insert(arguments.begin(), request.program);
    request.arguments = arguments;
    request.output = ends[1];
    request.workingFolder = folder.string();
    QFile reader;
    reader.open(ends[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (readerGone) {
        reader.close();
    }
    pid_t pid = 0;
    const int failed = platform::spawnProcess(request, pid);
    ::close(ends[1]);
    Run run{readerGone ? QByteArray() : reader.readAll()};
    int status = 0;
    if (failed == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    return run;
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

void writeScript(const fs::path& path, const std::string& body) {
    writeBytes(path, "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms(0744));
}

std::string lines(std::initializer_list<std::string> items) {
    std::string out;
    for (const auto& item : items) {
        out += item + "\r\n";
    }
    return out;
}

// A prefix with C: and Z: (the whole host), the job's folder C:\UT and host programs:
// C:\tools\say.exe prints its arguments, C:\tools\record.exe appends one line per argument to
// C:\tools\record.log. Windows programs go to a "wine" first on PATH that records its prefix
// and arguments in wine.log and exits with 7.
struct Job {
    test::TempPrefix prefix;
    fs::path ut = prefix.makeFolder("UT");
    fs::path tools = prefix.driveC() / "tools";
    fs::path bin = prefix.root() / "bin";
    test::ScopedEnv path{"PATH", bin.string() + ":" + std::getenv("PATH")};

    Job() {
        prefix.addDrive('Z', "/");
        writeScript(tools / "say.exe", "printf 'said %s\\r\\n' \"$*\"\n");
        writeScript(tools / "record.exe",
                    "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"${0%/*}/record.log\"\n");
        writeScript(tools / "exit3", "exit 3\n");
        writeScript(bin / "wine", "{ printf '%s\\n' \"$WINEPREFIX\"; for a in \"$@\"; do printf "
                                  "'%s\\n' \"$a\"; done; } > \"${0%/*}/wine.log\"\n"
                                  "echo wine ran\nexit 7\n");
    }

    // Writes C:\UT\job.bat and runs it from C:\UT, as the runner does.
    Run run(const std::string& batch) {
        writeBytes(ut / "uccMake.Bat", batch);
        return runCmd({"/c", "uccmake.bat"}, ut);
    }

    std::string host(const std::string& belowC) const {
        return (prefix.root() / "dosdevices" / "c:" / belowC).string();
    }
};

} // namespace

class CmdRunTest : public QObject {
    Q_OBJECT
private slots:
    void echoesEachCommandAfterThePromptWithItsVariablesExpanded() {
        Job job;
        test::ScopedEnv game("Game", "Unreal");
        const Run run = job.run("C:\\tools\\say.exe one  two\r\n\r\n   \r\n"
                                "C:\\tools\\say \"Song 100%% !loud\" %GAME%\n");
        QCOMPARE(run.output, QByteArray("\r\nC:\\UT>C:\\tools\\say.exe one  two \r\n"
                                        "said one two\r\n"
                                        "\r\nC:\\UT>C:\\tools\\say \"Song 100% !loud\" Unreal \r\n"
                                        "said Song 100% !loud Unreal\r\n"));
        QCOMPARE(run.exitCode, 0);
        // Outside every drive but Z:, the prompt is the folder as Z: shows it.
        const fs::path outside = fs::canonical(job.prefix.root());
        QVERIFY(runCmd({"/c", "C:\\UT\\uccmake.bat"}, outside)
                    .output.startsWith(
                        "\r\nZ:" + QByteArray::fromStdString(outside.string()).replace('/', '\\') +
                        ">C:\\tools\\say.exe"));
    }

    void findsTheBatchFileByTheInterpretersQuoteRule() {
        Job job;
        const fs::path batch = job.prefix.driveC() / "My Games" / "job.bat";
        writeBytes(batch, "C:\\tools\\say ok\r\n");
        const std::vector<std::string> found[] = {{"/c", "C:\\My Games\\JOB.BAT"},
                                                  {"/c", "\"C:\\My Games\\job.bat\""},
                                                  {"/C", batch.string()}};
        for (const auto& arguments : found) {
            QCOMPARE(runCmd(arguments, job.ut).output,
                     QByteArray("\r\nC:\\UT>C:\\tools\\say ok \r\nsaid ok\r\n"));
        }
        const Run split = runCmd({"/c", "C:\\My", "Games\\job.bat"}, job.ut);
        QCOMPARE(split.output, QByteArray("'C:\\My' is not recognized as an internal or external "
                                          "command,\r\noperable program or batch file.\r\n"));
        QCOMPARE(split.exitCode, 255); // 9009 does not fit an exit status; still a failure
    }

    void movesReplaceInPlaceAndFailuresSayWhy() {
        Job job;
        job.prefix.makeFile("UT/Maps/Alpha.unr.uz", "alpha");
        job.prefix.makeFile("UT/Maps/Beta.unr.uz", "new beta");
        job.prefix.makeFile("UT/Compressed/beta.unr.uz", "old beta");
        job.prefix.makeFile("UT/system/Gamma.umx", "gamma");
        Run run = job.run(lines({"Move C:\\UT\\Maps\\Alpha.unr.uz C:\\UT\\Compressed",
                                 "move C:\\UT\\Maps\\Beta.unr.uz C:\\UT\\compressed\\",
                                 "MOVE /Y C:\\UT\\system\\Gamma.umx C:\\UT\\Music.umx"}));
        QCOMPARE(run.output.count("        1 file(s) moved.\r\n"), 3);
        QCOMPARE(run.exitCode, 0);
        const fs::path compressed = job.ut / "Compressed";
        QCOMPARE(test::readFile(compressed / "Alpha.unr.uz"), std::string("alpha"));
        // Replaced in place, in the letter case it already had, never a twin beside it.
        QCOMPARE(test::readFile(compressed / "beta.unr.uz"), std::string("new beta"));
        QVERIFY(!fs::exists(compressed / "Beta.unr.uz"));
        QCOMPARE(test::readFile(job.ut / "Music.umx"), std::string("gamma"));

        run = job.run(lines({"Move C:\\UT\\missing.unr C:\\UT\\Compressed",
                             "Move C:\\UT\\Music.umx C:\\UT\\No\\Such\\b.unr", "Move C:\\UT\\a.unr",
                             "C:\\UT\\System\\ucc.exe Compress"}));
        QCOMPARE(run.output,
                 QByteArray("\r\nC:\\UT>Move C:\\UT\\missing.unr C:\\UT\\Compressed \r\n"
                            "The system cannot find the file specified.\r\n"
                            "\r\nC:\\UT>Move C:\\UT\\Music.umx C:\\UT\\No\\Such\\b.unr \r\n"
                            "The system cannot find the path specified.\r\n"
                            "\r\nC:\\UT>Move C:\\UT\\a.unr \r\n"
                            "The syntax of the command is incorrect.\r\n"
                            "\r\nC:\\UT>C:\\UT\\System\\ucc.exe Compress \r\n"
                            "'C:\\UT\\System\\ucc.exe' is not recognized as an "
                            "internal or external command,\r\n"
                            "operable program or batch file.\r\n"));
        QCOMPARE(run.exitCode, 255);
        QCOMPARE(job.run(lines({"C:\\tools\\say fine", "C:\\tools\\exit3"})).exitCode, 3);
    }

    // No chaining: "&" is a plain field. Windows paths reach a host program as host paths.
    void argumentsReachTheProgramAsTheyAreWithPathsOnTheHost() {
        Job job;
        QCOMPARE(job.run("C:\\tools\\record x & touch pwned.unr \"C:\\UT\\Caf\xE9 \x80.unr\"\r\n")
                     .exitCode,
                 0);
        QCOMPARE(test::readFile(job.tools / "record.log"),
                 "x\n&\ntouch\npwned.unr\n" + job.host("UT/Caf\xC3\xA9 \xE2\x82\xAC.unr") + "\n");
        QVERIFY(!fs::exists(job.ut / "pwned.unr"));
    }

    void windowsProgramsRunThroughWineAndAReplacedProgramIsLookedAtAnew() {
        Job job;
        writeScript(job.ut / "System" / "ucc.exe", "echo host tool\n");
        job.prefix.makeFile("UT/Windows/ucc.exe", std::string("MZ\x90\0\3", 5));
        const Run run = job.run(
            lines({"C:\\UT\\System\\ucc.exe", "Move C:\\UT\\Windows\\ucc.exe C:\\UT\\System",
                   "C:\\UT\\System\\ucc Compress \"C:\\UT\\Maps\\My Map.unr\""}));
        QVERIFY2(run.output.contains("host tool\n") && run.output.endsWith("wine ran\n"),
                 run.output.constData());
        QCOMPARE(run.exitCode, 7);
        QCOMPARE(test::readFile(job.bin / "wine.log"),
                 job.prefix.root().string() +
                     "\nC:\\UT\\System\\ucc.exe\nCompress\nC:\\UT\\Maps\\My Map.unr\n");
    }

    void whatAProgramLeavesRunningHoldsNeitherTheLineNorTheJobsOutput() {
        // As Wine's system processes do: started by the first program, they keep its output.
        Job job;
        writeScript(job.tools / "starter", "(exec sleep 30) &\necho \"holder $!\"\n");
        const Run run = job.run(lines({"C:\\tools\\starter", "C:\\tools\\say next"}));
        const QByteArray output = run.output;
        const int holder = output.mid(output.indexOf("holder ") + 7).split('\n').front().toInt();
        const bool holderStillThere = holder > 0 && ::kill(holder, 0) == 0;
        ::kill(holder, SIGKILL);
        QVERIFY(holderStillThere); // the job's output ended while the holder still had its own
        QVERIFY2(output.endsWith("said next\r\n"), output.constData());
    }

    void keepsRunningWhenTheReaderHasGone() {
        Job job;
        job.prefix.makeFile("UT/a.unr", "a");
        std::string batch;
        for (int i = 0; i < 200; ++i) {
            batch += "C:\\tools\\say filling the pipe until it breaks\r\n";
        }
        writeBytes(job.ut / "job.bat", batch + "Move C:\\UT\\a.unr C:\\UT\\b.unr\r\n");
        QCOMPARE(runCmd({"/c", "C:\\UT\\job.bat"}, job.ut, true).exitCode, 0);
        QVERIFY(fs::exists(job.ut / "b.unr"));
    }
};

QTEST_GUILESS_MAIN(CmdRunTest)
#include "test_cmd_run.moc"
