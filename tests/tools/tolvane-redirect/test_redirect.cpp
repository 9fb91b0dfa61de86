// The headless redirect run, as cron starts it: no display, a tree of done, stale and new
// packages, its summary and exit status, the lock on the output folder, and an interrupt.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>

#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Redirect {
    QTemporaryDir dir;
    fs::path root = dir.path().toStdString();
    fs::path game = root / "server";
    fs::path out = root / "www" / "uz";

    Redirect() {
        for (const char* name :
             {"Maps/DM-Done.unr", "Maps/DM-Stale.unr", "Maps/CTF-New.unr", "Music/New.umx",
              "System/New.u", "Maps/Old.unr.uz", "Maps/readme.txt"}) {
            file(game / name, std::string("\xC1\x83\x2A\x9E") + std::string(3000, 'p'));
        }
        file(out / "DM-Done.unr.uz", "done");
        file(out / "DM-Stale.unr.uz", "stale");
        const auto before = fs::last_write_time(game / "Maps/DM-Done.unr");
        fs::last_write_time(out / "DM-Done.unr.uz", before + std::chrono::seconds(5));
        fs::last_write_time(out / "DM-Stale.unr.uz", before - std::chrono::seconds(5));
    }
    static void file(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    // Runs it as cron would: no display and no toolkit platform in the environment.
    QProcess* start(QStringList arguments, const QStringList& extra = {}) {
        auto* run = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "WINEPREFIX", "ComSpec"}) {
            env.remove(QString::fromLatin1(name));
        }
        for (const auto& setting : extra) {
            env.insert(setting.section('=', 0, 0), setting.section('=', 1));
        }
        run->setProcessEnvironment(env);
        run->start(QCoreApplication::applicationDirPath() + "/tolvane-redirect", arguments);
        return run;
    }
    std::pair<int, QString> run(QStringList arguments) {
        std::unique_ptr<QProcess> process(start(std::move(arguments)));
        process->waitForFinished(60000);
        return {process->exitCode(),
                process->readAllStandardOutput() + process->readAllStandardError()};
    }
    QStringList folders() const {
        return {QString::fromStdString(game.string()), QString::fromStdString(out.string())};
    }
};

} // namespace

class RedirectTest : public QObject {
    Q_OBJECT
private slots:
    void bringsTheFolderUpToDateOnceAndSaysSo() {
        Redirect r;
        auto [status, output] = r.run(QStringList{"--tool", "own"} + r.folders());
        QCOMPARE(status, 0);
        QVERIFY2(output.contains("compressed Maps/DM-Stale.unr\n") &&
                     output.contains("compressed System/New.u\n") &&
                     output.contains("4 compressed, 1 up to date, 0 failed\n") &&
                     !output.contains("DM-Done") && !output.contains("Old.unr") &&
                     !output.contains("readme"),
                 qPrintable(output));
        for (const char* result : {"DM-Stale.unr.uz", "CTF-New.unr.uz", "New.umx.uz", "New.u.uz"}) {
            QVERIFY2(fs::file_size(r.out / result) > 100, result);
        }
        QVERIFY(!fs::exists(r.game / "Compressed") && !fs::exists(r.game / "uccmake.bat"));
        std::tie(status, output) = r.run(r.folders());
        QCOMPARE(std::pair(status, output),
                 std::pair(0, QString("0 compressed, 5 up to date, 0 failed\n")));
    }

    void refusesBadArgumentsAndWritesNothing() {
        Redirect r;
        const QString game = r.folders()[0];
        const QString blocked =
            QString::fromStdString((r.root / "www/uz/DM-Done.unr.uz/x").string());
        for (const QStringList& arguments :
             {QStringList{game}, QStringList{"--jobs", "0", game, "o"},
              QStringList{"--tool", "mine", game, "o"}, QStringList{"--fast", game, "o"},
              QStringList{QString::fromStdString(r.root.string()), "o"},
              QStringList{"--tool", "game", game, QString::fromStdString(r.out.string())},
              QStringList{game, blocked}}) {
            const auto [status, output] = r.run(arguments);
            QVERIFY2(status == 2 && output.startsWith("tolvane-redirect: "), qPrintable(output));
        }
        QVERIFY(!fs::exists(r.out / "CTF-New.unr.uz") && !fs::exists(r.root / "o"));
    }

    // A second run into the same folder leaves it to the first; a broken package fails alone;
    // a stopped run keeps what is done and leaves no half-written result.
    void lockFailureAndInterrupt() {
        Redirect r;
        const int lock = ::open((r.out / ".tolvane-redirect.lock").c_str(), O_RDWR | O_CREAT, 0644);
        QVERIFY(lock >= 0 && ::flock(lock, LOCK_EX) == 0);
        auto [status, output] = r.run(r.folders());
        QVERIFY2(status == 1 && output.contains("another run"), qPrintable(output));
        ::close(lock);

        fs::create_symlink(r.root / "nowhere", r.game / "Maps" / "Broken.unr");
        std::tie(status, output) = r.run(QStringList{"--jobs", "1"} + r.folders());
        QVERIFY2(status == 1 && output.contains("FAILED     Maps/Broken.unr\n") &&
                     output.contains("4 compressed, 1 up to date, 1 failed"),
                 qPrintable(output));
        fs::remove(r.game / "Maps" / "Broken.unr");

        for (const auto& entry : fs::directory_iterator(r.out)) {
            if (entry.path().extension() == ".uz" && entry.path().filename() != "DM-Done.unr.uz") {
                fs::remove(entry.path());
            }
        }
        fs::copy_file(QCoreApplication::applicationDirPath().toStdString() + "/ucc-standin",
                      r.game / "System" / "ucc.exe");
        std::unique_ptr<QProcess> slow(
            r.start(QStringList{"--jobs", "1", "--tool", "game"} + r.folders(),
                    {"UCC_STANDIN_PACE_MS=700"}));
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(r.game / "Maps" / "CTF-New.unr.uz"), 20000);
        QTest::qWait(350); // the next line has begun: the tool takes 700 ms before it writes
        ::kill(static_cast<pid_t>(slow->processId()), SIGTERM);
        QVERIFY(slow->waitForFinished(20000));
        output = slow->readAllStandardOutput();
        QVERIFY2(slow->exitCode() == 1 && output.contains("(stopped)"), qPrintable(output));
        std::size_t results = 0;
        for (const auto& entry : fs::recursive_directory_iterator(r.root)) {
            const auto name = entry.path().filename().string();
            QVERIFY2(name.find(".tmp") == std::string::npos, name.c_str());
            results += entry.path().extension() == ".uz" && name != "Old.unr.uz";
        }
        // The one there before and what was done; not the rest.
        QVERIFY2(results >= 2 && results < 5, qPrintable(output + QString::number(results)));
    }
};

QTEST_GUILESS_MAIN(RedirectTest)
#include "test_redirect.moc"
