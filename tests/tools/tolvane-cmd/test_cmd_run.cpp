// The real tolvane-cmd running batch files in a throw-away prefix: what it prints, what it
// moves, what the programs it starts receive, and that it ends when its last program has.

#include "platform/posix/spawn.h"
#include "platform/process.h"
#include "support/ScopedEnv.h"
#include "support/TempPrefix.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include <chrono>
#include <csignal>

#include <fcntl.h>
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
    const std::string program =
        QCoreApplication::applicationDirPath().toStdString() + "/tolvane-cmd";
    arguments.insert(arguments.begin(), program);
    const platform::SpawnRequest request{program, arguments, -1, ends[1], folder.string()};
    QFile reader;
    reader.open(ends[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (readerGone) {
        reader.close();
    }
    pid_t pid = 0;
    const int failed = platform::spawnProcess(request, pid);
    ::close(ends[1]);
    const QByteArray output = readerGone ? QByteArray() : reader.readAll();
    int status = 0;
    const bool exited = failed == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status);
    return {output, exited ? WEXITSTATUS(status) : -1};
}

// A prefix with C: and Z: (the whole host), the job's folder C:\UT and host programs:
// C:\tools\say.exe prints each argument in brackets. Windows programs go to a "wine" first on
// PATH that records its prefix and arguments in wine.log and exits with 7.
struct Job {
    test::TempPrefix prefix;
    fs::path ut = prefix.makeFolder("UT");
    test::ScopedEnv path{"PATH", (prefix.driveC() / "bin").string() + ":" + std::getenv("PATH")};

    Job() {
        prefix.addDrive('Z', "/");
        script("tools/say.exe", "printf '[%s]' \"$@\"; printf '\\r\\n'\n");
        script("tools/exit3", "exit 3\n");
        script("bin/wine", "printf '%s\\n' \"$WINEPREFIX\" \"$@\" > \"${0%/*}/wine.log\"\n"
                           "echo wine ran\nexit 7\n");
    }
    void script(const std::string& belowC, const std::string& body) {
        fs::permissions(prefix.makeFile(belowC, "#!/bin/sh\n" + body), fs::perms(0744));
    }
    // Writes the batch file and runs it from C:\UT, as the runner does.
    Run run(const std::string& batch) {
        prefix.makeFile("UT/uccMake.Bat", batch);
        return runCmd({"/c", "uccmake.bat"}, ut);
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
                                        "[one][two]\r\n"
                                        "\r\nC:\\UT>C:\\tools\\say \"Song 100% !loud\" Unreal \r\n"
                                        "[Song 100% !loud][Unreal]\r\n"));
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
        const fs::path batch = job.prefix.makeFile("My Games/job.bat", "C:\\tools\\say ok\r\n");
        const std::vector<std::string> found[] = {{"/c", "C:\\My Games\\JOB.BAT"},
                                                  {"/c", "\"C:\\My Games\\job.bat\""},
                                                  {"/C", batch.string()}};
        for (const auto& arguments : found) {
            QCOMPARE(runCmd(arguments, job.ut).output,
                     QByteArray("\r\nC:\\UT>C:\\tools\\say ok \r\n[ok]\r\n"));
        }
    }

    void movesReplaceInPlaceAndFailuresSayWhy() {
        Job job;
        job.prefix.makeFile("UT/Maps/Alpha.unr.uz", "alpha");
        job.prefix.makeFile("UT/Maps/Beta.unr.uz", "new beta");
        job.prefix.makeFile("UT/Compressed/beta.unr.uz", "old beta");
        job.prefix.makeFile("UT/system/Gamma.umx", "gamma");
        Run run = job.run("Move C:\\UT\\Maps\\Alpha.unr.uz C:\\UT\\Compressed\r\n"
                          "move C:\\UT\\Maps\\Beta.unr.uz C:\\UT\\compressed\\\r\n"
                          "MOVE /Y C:\\UT\\system\\Gamma.umx C:\\UT\\Music.umx\r\n");
        QCOMPARE(run.output.count("        1 file(s) moved.\r\n"), 3);
        QCOMPARE(run.exitCode, 0);
        const fs::path compressed = job.ut / "Compressed";
        QCOMPARE(test::readFile(compressed / "Alpha.unr.uz"), std::string("alpha"));
        // Replaced in place, in the letter case it already had, never a twin beside it.
        QCOMPARE(test::readFile(compressed / "beta.unr.uz"), std::string("new beta"));
        QVERIFY(!fs::exists(compressed / "Beta.unr.uz"));
        QCOMPARE(test::readFile(job.ut / "Music.umx"), std::string("gamma"));

        run = job.run("Move C:\\UT\\missing.unr C:\\UT\\Compressed\r\n"
                      "Move C:\\UT\\Music.umx C:\\UT\\No\\Such\\b.unr\r\nMove C:\\UT\\a.unr\r\n"
                      "C:\\UT\\System\\ucc.exe Compress\r\n");
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
        QCOMPARE(run.exitCode, 255); // 9009 does not fit an exit status; still a failure
        QCOMPARE(job.run("C:\\tools\\say fine\r\nC:\\tools\\exit3\r\n").exitCode, 3);
    }

    // No chaining: "&" is a plain field. Windows paths reach a host program as host paths.
    void argumentsReachTheProgramAsTheyAreWithPathsOnTheHost() {
        Job job;
        const Run run =
            job.run("C:\\tools\\say x & touch pwned.unr \"C:\\UT\\Caf\xE9 \x80.unr\"\r\n");
        QVERIFY2(
            run.output.endsWith(
                "[x][&][touch][pwned.unr][" +
                (job.prefix.root() / "dosdevices/c:/UT/Caf\xC3\xA9 \xE2\x82\xAC.unr").string() +
                "]\r\n"),
            run.output.constData());
        QVERIFY(!fs::exists(job.ut / "pwned.unr"));
    }

    void windowsProgramsRunThroughWineAndAReplacedProgramIsLookedAtAnew() {
        Job job;
        job.script("UT/System/ucc.exe", "echo host tool\n");
        job.prefix.makeFile("UT/Windows/ucc.exe", std::string("MZ\x90\0\3", 5));
        const Run run =
            job.run("C:\\UT\\System\\ucc.exe\r\nMove C:\\UT\\Windows\\ucc.exe C:\\UT\\System\r\n"
                    "C:\\UT\\System\\ucc Compress \"C:\\UT\\Maps\\My Map.unr\"\r\n");
        QVERIFY2(run.output.contains("host tool\n") && run.output.endsWith("wine ran\n"),
                 run.output.constData());
        QCOMPARE(run.exitCode, 7);
        QCOMPARE(test::readFile(job.prefix.driveC() / "bin" / "wine.log"),
                 job.prefix.root().string() +
                     "\nC:\\UT\\System\\ucc.exe\nCompress\nC:\\UT\\Maps\\My Map.unr\n");
    }

    void whatAProgramLeavesRunningHoldsNeitherTheLineNorTheJobsOutput() {
        // As Wine's system processes do: started by the first program, they keep its output.
        Job job;
        job.script("tools/starter", "(exec sleep 30) &\necho \"holder $!\"\n");
        const Run run = job.run("C:\\tools\\starter\r\nC:\\tools\\say next\r\n");
        const QByteArray output = run.output;
        const int holder = output.mid(output.indexOf("holder ") + 7).split('\n').front().toInt();
        const bool holderStillThere = holder > 0 && ::kill(holder, 0) == 0;
        ::kill(holder, SIGKILL);
        QVERIFY(holderStillThere); // the job's output ended while the holder still had its own
        QVERIFY2(output.endsWith("[next]\r\n"), output.constData());
    }

    // Tool lines run side by side, yet the output reads as one line after the other would; a
    // Move waits for the tool lines before it, and the errorlevel is the last line's.
    void toolLinesRunSideBySideAndShowWholeInTheFilesOrder() {
        Job job;
        test::ScopedEnv lines("TOLVANE_PARALLEL", "3");
        job.script("tools/slow", "echo \"start $1\"; sleep $2; echo $1 > $1.uz; echo \"end $1\"\n"
                                 "exit $3\n");
        const auto started = std::chrono::steady_clock::now();
        const Run run =
            job.run("C:\\tools\\slow a 1 0\r\nC:\\tools\\slow b 0.2 5\r\n"
                    "C:\\tools\\none\r\nC:\\tools\\slow c 0.5 0\r\n"
                    "Move C:\\UT\\a.uz C:\\UT\\moved.uz\r\nC:\\tools\\slow d 0.1 2\r\n");
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        QCOMPARE(run.output, QByteArray("\r\nC:\\UT>C:\\tools\\slow a 1 0 \r\nstart a\nend a\n"
                                        "\r\nC:\\UT>C:\\tools\\slow b 0.2 5 \r\nstart b\nend b\n"
                                        "\r\nC:\\UT>C:\\tools\\none \r\n'C:\\tools\\none' is not "
                                        "recognized as an internal or external command,\r\n"
                                        "operable program or batch file.\r\n"
                                        "\r\nC:\\UT>C:\\tools\\slow c 0.5 0 \r\nstart c\nend c\n"
                                        "\r\nC:\\UT>Move C:\\UT\\a.uz C:\\UT\\moved.uz \r\n"
                                        "        1 file(s) moved.\r\n"
                                        "\r\nC:\\UT>C:\\tools\\slow d 0.1 2 \r\nstart d\nend d\n"));
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(took.count() < 1.5, std::to_string(took.count()).c_str()); // 1.8 s one by one
    }

    // Stopping a job ends its process group: every tool line running, Windows ones in wine too.
    void stoppingTheJobEndsEveryLineRunning() {
        Job job;
        test::ScopedEnv lines("TOLVANE_PARALLEL", "3");
        const std::string waits = "echo $$ > " + job.ut.string() + "/$1.pid; exec sleep 30\n";
        job.script("tools/wait", waits);
        job.script("bin/wine", "shift; " + waits);
        job.prefix.makeFile("UT/tool.exe", "MZ");
        job.prefix.makeFile("UT/uccmake.bat", "C:\\tools\\wait a\r\nC:\\UT\\tool.exe b\r\n"
                                              "C:\\tools\\wait c\r\nC:\\tools\\wait d\r\n");
        const std::string cmd =
            QCoreApplication::applicationDirPath().toStdString() + "/tolvane-cmd";
        platform::CommandProcess process;
        QCOMPARE(process.createPipe(), 0);
        QCOMPARE(process.start({cmd + " /c uccmake.bat", job.ut.string()}), 0);
        const auto pidOf = [&](const char* name) {
            return test::readFile(job.ut / (std::string(name) + ".pid"));
        };
        // Running: neither gone nor a zombie left for whoever adopted it.
        const auto running = [&](const char* name) {
            const std::string stat =
                test::readFile("/proc/" + std::to_string(std::atoi(pidOf(name).c_str())) + "/stat");
            return !stat.empty() && stat.find(") Z") == std::string::npos;
        };
        QTRY_VERIFY_WITH_TIMEOUT(running("a") && running("b") && running("c"), 5000);
        process.terminate();
        char buffer[4096];
        std::size_t count = 0;
        while (process.read(buffer, sizeof buffer, count, 50) !=
               platform::CommandProcess::ReadStatus::Ended) {
        }
        QTRY_VERIFY_WITH_TIMEOUT(!running("a") && !running("b") && !running("c"), 2000);
        QVERIFY(!fs::exists(job.ut / "d.pid"));
    }

    void keepsRunningWhenTheReaderHasGone() {
        Job job;
        job.prefix.makeFile("UT/a.unr", "a");
        const QByteArray filling = QByteArray("C:\\tools\\say filling the pipe\r\n").repeated(200);
        job.prefix.makeFile("UT/job.bat",
                            filling.toStdString() + "Move C:\\UT\\a.unr C:\\UT\\b.unr\r\n");
        QCOMPARE(runCmd({"/c", "C:\\UT\\job.bat"}, job.ut, true).exitCode, 0);
        QVERIFY(fs::exists(job.ut / "b.unr"));
    }
};

QTEST_GUILESS_MAIN(CmdRunTest)
#include "test_cmd_run.moc"
