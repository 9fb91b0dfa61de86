// The real tolvane-cmd running batch files in a throw-away prefix: what it prints, what it
// moves, what the programs it starts receive.

#include "support/TempPrefix.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

using namespace tolvane;
namespace fs = std::filesystem;

extern char** environ;

namespace {

struct Run {
    QByteArray output; // stdout and stderr together, as the runner's pipe sees them
    int exitCode = -1;
};

QString interpreter() {
    return QCoreApplication::applicationDirPath() + "/tolvane-cmd";
}

Run runCmd(const QStringList& arguments, const fs::path& folder,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.setProcessEnvironment(environment);
    process.start(interpreter(), arguments);
    process.waitForFinished(30000);
    return {process.readAll(), process.exitCode()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

void writeScript(const fs::path& path, const std::string& body) {
    writeBytes(path, "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

std::string lines(std::initializer_list<std::string> items) {
    std::string out;
    for (const auto& item : items) {
        out += item + "\r\n";
    }
    return out;
}

// A prefix with C: and Z: (the whole host), the job's folder C:\UT and two host programs:
// C:\tools\say.exe prints its arguments, C:\tools\record.exe appends one line per argument to
// C:\tools\record.log. Neither is a Windows program, so both run directly. Windows programs go
// to a "wine" first on PATH that records its prefix and arguments in wine.log and exits with 7.
struct Job {
    test::TempPrefix prefix;
    fs::path ut;
    fs::path log;
    fs::path bin = prefix.root() / "bin";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    Job() {
        prefix.addDrive('Z', "/");
        ut = prefix.makeFolder("UT");
        writeScript(prefix.driveC() / "tools" / "say.exe", "printf 'said %s\\r\\n' \"$*\"\n");
        writeScript(prefix.driveC() / "tools" / "record.exe",
                    "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"${0%/*}/record.log\"\n");
        writeScript(prefix.driveC() / "tools" / "exit3", "exit 3\n");
        log = prefix.driveC() / "tools" / "record.log";
        writeScript(bin / "wine", "{ printf '%s\\n' \"$WINEPREFIX\"; for a in \"$@\"; do printf "
                                  "'%s\\n' \"$a\"; done; } > \"${0%/*}/wine.log\"\n"
                                  "echo wine ran\nexit 7\n");
        environment.insert("PATH",
                           QString::fromStdString(bin.string()) + ":" + environment.value("PATH"));
    }

    // Writes C:\UT\job.bat and runs it from C:\UT.
    Run run(const std::string& batch) {
        writeBytes(ut / "job.bat", batch);
        return runCmd({"/c", "C:\\UT\\job.bat"}, ut, environment);
    }

    std::string host(const std::string& belowC) const {
        return (prefix.root() / "dosdevices" / "c:" / belowC).string();
    }
};

} // namespace

class CmdRunTest : public QObject {
    Q_OBJECT
private slots:
    void echoesEachCommandLikeTheWindowsInterpreter() {
        Job job;
        const Run run =
            job.run("C:\\tools\\say.exe one  two\r\n\r\n   \r\nC:\\tools\\say \"3 4\"\n");
        QCOMPARE(run.output, QByteArray("\r\nC:\\UT>C:\\tools\\say.exe one  two \r\n"
                                        "said one two\r\n"
                                        "\r\nC:\\UT>C:\\tools\\say \"3 4\" \r\n"
                                        "said 3 4\r\n"));
        QCOMPARE(run.exitCode, 0);
    }

    void promptIsTheWorkingFolderSeenThroughTheDrives() {
        Job job;
        writeBytes(job.ut / "job.bat",
                   "C:\\UT\\System\\ucc.exe Compress C:\\UT\\Maps\\Alpha.unr\r\n");
        const fs::path outside = fs::canonical(job.prefix.root());
        const Run run = runCmd({"/c", "C:\\UT\\job.bat"}, outside);
        QVERIFY(run.output.startsWith(
            "\r\nZ:" + QByteArray::fromStdString(outside.string()).replace('/', '\\') +
            ">C:\\UT\\System\\ucc.exe Compress C:\\UT\\Maps\\Alpha.unr \r\n"));
    }

    void acceptsTheBatchFileQuotedSplitOrAsAHostPath() {
        Job job;
        const fs::path batch = job.prefix.driveC() / "My Games" / "job.bat";
        writeBytes(batch, "C:\\tools\\say ok\r\n");
        for (const QStringList& arguments :
             {QStringList{"/c", "\"C:\\My Games\\JOB.BAT\""},
              QStringList{"/C", "C:\\My", "Games\\job.bat"},
              QStringList{"/c", QString::fromStdString(batch.string())}}) {
            QCOMPARE(runCmd(arguments, job.ut).output,
                     QByteArray("\r\nC:\\UT>C:\\tools\\say ok \r\nsaid ok\r\n"));
        }
        const Run missing = runCmd({"/c", "C:\\My Games\\none.bat"}, job.ut);
        QCOMPARE(missing.output, QByteArray("'C:\\My Games\\none.bat' is not recognized as an "
                                            "internal or external command,\r\n"
                                            "operable program or batch file.\r\n"));
        QCOMPARE(missing.exitCode, 255);
    }

    void movesIntoAFolderOverAFileAndByRenaming() {
        Job job;
        job.prefix.makeFile("UT/Maps/Alpha.unr.uz", "alpha");
        job.prefix.makeFile("UT/Maps/Beta.unr.uz", "new beta");
        job.prefix.makeFile("UT/Compressed/beta.unr.uz", "old beta");
        job.prefix.makeFile("UT/system/Gamma.umx", "gamma");
        const Run run = job.run(lines({"Move C:\\UT\\Maps\\Alpha.unr.uz C:\\UT\\Compressed",
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
        QVERIFY(!fs::exists(job.ut / "Maps" / "Alpha.unr.uz"));
        QVERIFY(!fs::exists(job.ut / "system" / "Gamma.umx"));
    }

    void moveFailuresSayWhyAndSetErrorlevelOne() {
        Job job;
        job.prefix.makeFile("UT/a.unr", "a");
        const Run run =
            job.run(lines({"Move C:\\UT\\missing.unr C:\\UT\\Compressed",
                           "Move C:\\UT\\a.unr C:\\UT\\No\\Such\\b.unr", "Move C:\\UT\\a.unr"}));
        QCOMPARE(run.output,
                 QByteArray("\r\nC:\\UT>Move C:\\UT\\missing.unr C:\\UT\\Compressed \r\n"
                            "The system cannot find the file specified.\r\n"
                            "\r\nC:\\UT>Move C:\\UT\\a.unr C:\\UT\\No\\Such\\b.unr \r\n"
                            "The system cannot find the path specified.\r\n"
                            "\r\nC:\\UT>Move C:\\UT\\a.unr \r\n"
                            "The syntax of the command is incorrect.\r\n"));
        QCOMPARE(run.exitCode, 1);
        QVERIFY(fs::exists(job.ut / "a.unr"));
    }

    void movesAcrossFileSystems() {
        Job job;
        const fs::path shm = "/dev/shm";
        struct stat here {
        }, there{};
        if (::stat(job.ut.c_str(), &here) != 0 || ::stat(shm.c_str(), &there) != 0 ||
            here.st_dev == there.st_dev || ::access(shm.c_str(), W_OK) != 0) {
            QSKIP("needs /dev/shm on a file system of its own");
        }
        const fs::path away = shm / ("tolvane-cmd-" + std::to_string(::getpid()));
        fs::create_directories(away);
        job.prefix.addDrive('D', away);
        job.prefix.makeFile("UT/Maps/Alpha.unr.uz", "alpha");
        // The longest name a file may have still leaves room for the copy's temporary name.
        const std::string longest = std::string(248, 'L') + ".unr.uz";
        job.prefix.makeFile("UT/Maps/" + longest, "long");
        const Run run = job.run(lines(
            {"Move C:\\UT\\Maps\\Alpha.unr.uz D:\\", "Move C:\\UT\\Maps\\" + longest + " D:\\"}));
        const std::string moved = test::readFile(away / "Alpha.unr.uz");
        const std::string movedLong = test::readFile(away / longest);
        fs::remove_all(away);
        QVERIFY2(run.exitCode == 0, run.output.constData());
        QCOMPARE(moved, std::string("alpha"));
        QCOMPARE(movedLong, std::string("long"));
        QVERIFY(!fs::exists(job.ut / "Maps" / "Alpha.unr.uz"));
        QVERIFY(!fs::exists(job.ut / "Maps" / longest));
    }

    void missingProgramIsNotRecognized() {
        Job job;
        const Run run = job.run(lines({"C:\\UT\\System\\ucc.exe Compress C:\\UT\\Maps\\A.unr"}));
        QCOMPARE(run.output,
                 QByteArray("\r\nC:\\UT>C:\\UT\\System\\ucc.exe Compress C:\\UT\\Maps\\A.unr \r\n"
                            "'C:\\UT\\System\\ucc.exe' is not recognized as an internal or "
                            "external command,\r\noperable program or batch file.\r\n"));
        // Errorlevel 9009 does not fit an exit status; it must still read as a failure.
        QCOMPARE(run.exitCode, 255);
    }

    void exitStatusIsTheLastCommands() {
        Job job;
        QCOMPARE(job.run(lines({"C:\\tools\\exit3", "C:\\tools\\say fine"})).exitCode, 0);
        QCOMPARE(job.run(lines({"C:\\tools\\say fine", "C:\\tools\\exit3"})).exitCode, 3);
        QCOMPARE(job.run("\r\n").exitCode, 0);
    }

    void hostileNamesReachTheProgramIntact() {
        Job job;
        // As the batch writer puts them: quoted when they hold a blank or a special sign, every
        // percent sign doubled, in Windows-1252.
        const Run run = job.run(lines({
            "C:\\tools\\record Compress \"C:\\UT\\Maps\\x & touch pwned.unr\"",
            "C:\\tools\\record x & touch pwned.unr",
            "C:\\tools\\record C:\\UT\\Maps\\50%%.unr",
            "\"C:\\tools\\record.exe\" \"C:\\Program Files (x86)\\a^b!c;d=e,f'g+h`i~j[k]{l}.unr\"",
            "C:\\tools\\record \"C:\\UT\\Caf\xE9 \x80\\\xDC"
            "ber.unr\" plain",
        }));
        QCOMPARE(run.exitCode, 0);
        const std::string expected =
            "Compress\n" + job.host("UT/Maps/x & touch pwned.unr") + "\n" +
            "x\n&\ntouch\npwned.unr\n" + job.host("UT/Maps/50%.unr") + "\n" +
            job.host("Program Files (x86)/a^b!c;d=e,f'g+h`i~j[k]{l}.unr") + "\n" +
            job.host("UT/Caf\xC3\xA9 \xE2\x82\xAC/\xC3\x9C"
                     "ber.unr") +
            "\nplain\n";
        QCOMPARE(test::readFile(job.log), expected);
        QVERIFY(!fs::exists(job.ut / "pwned.unr"));
        QVERIFY(!fs::exists("pwned.unr"));
    }

    void windowsProgramsRunThroughWineWithTheLineAsTyped() {
        Job job;
        job.prefix.makeFile("UT/System/ucc.exe", std::string("MZ\x90\0\3", 5));
        const Run run =
            job.run(lines({"C:\\UT\\System\\ucc Compress \"C:\\UT\\Maps\\My Map.unr\""}));
        QCOMPARE(run.output,
                 QByteArray("\r\nC:\\UT>C:\\UT\\System\\ucc Compress \"C:\\UT\\Maps\\My "
                            "Map.unr\" \r\nwine ran\n"));
        QCOMPARE(run.exitCode, 7);
        QCOMPARE(test::readFile(job.bin / "wine.log"),
                 job.prefix.root().string() +
                     "\nC:\\UT\\System\\ucc.exe\nCompress\nC:\\UT\\Maps\\My Map.unr\n");
    }

    void aProgramReplacedDuringTheJobIsLookedAtAnew() {
        Job job;
        writeScript(job.prefix.driveC() / "UT" / "System" / "ucc.exe", "echo host tool\n");
        job.prefix.makeFile("UT/Windows/ucc.exe", std::string("MZ\x90\0\3", 5));
        const Run run = job.run(
            lines({"C:\\UT\\System\\ucc.exe", "Move C:\\UT\\Windows\\ucc.exe C:\\UT\\System",
                   "C:\\UT\\System\\ucc.exe"}));
        QVERIFY2(run.output.contains("host tool\n") && run.output.endsWith("wine ran\n") &&
                     run.exitCode == 7,
                 run.output.constData());
    }

    void keepsRunningWhenTheReaderHasGone() {
        Job job;
        job.prefix.makeFile("UT/a.unr", "a");
        std::string batch;
        for (int i = 0; i < 200; ++i) {
            batch += "C:\\tools\\say filling the pipe until it breaks\r\n";
        }
        batch += "Move C:\\UT\\a.unr C:\\UT\\b.unr\r\n";
        writeBytes(job.ut / "job.bat", batch);

        int fds[2];
        QCOMPARE(::pipe(fds), 0);
        ::close(fds[0]); // the reader is gone before the job starts
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        posix_spawn_file_actions_addchdir_np(&actions, job.ut.c_str());
        const std::string program = interpreter().toStdString();
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("/c"),
                        const_cast<char*>("C:\\UT\\job.bat"), nullptr};
        pid_t pid = 0;
        QCOMPARE(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(fs::exists(job.ut / "b.unr"));
    }
};

QTEST_GUILESS_MAIN(CmdRunTest)
#include "test_cmd_run.moc"
