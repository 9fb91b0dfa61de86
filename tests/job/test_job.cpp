// A job taken at Start: why it may not run, and at its end which results it did not produce.

#include "job/Preflight.h"
#include "job/Progress.h"
#include "job/ResultCheck.h"
#include "support/TempPrefix.h"

#include <QTest>

#include <fstream>

using namespace tolvane;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

// What happens at a result's place, before the job is taken or while it runs. Times set back
// are as a FAT32 volume stores them (two-second steps), or a share whose clock is behind ours.
using Step = void (*)(const fs::path&);
using std::chrono::seconds;
// clang-format off
void write(const fs::path& r, const char* bytes) { std::ofstream(r, std::ios::trunc) << bytes; }
void setTime(const fs::path& r, fs::file_time_type time) { fs::last_write_time(r, time); }
void nothing(const fs::path&) {}
void make(const fs::path& r) { write(r, "result"); }
void makeTwoSecondsEarly(const fs::path& r) { make(r); setTime(r, fs::last_write_time(r) - seconds(2)); }
void makeAnHourEarly(const fs::path& r) { make(r); setTime(r, fs::last_write_time(r) - seconds(3600)); }
void rewriteTwoSecondsEarly(const fs::path& r) { auto t = fs::last_write_time(r); write(r, "RESULT"); setTime(r, t - seconds(2)); }
void replaceSameSizeAndTime(const fs::path& r) { auto t = fs::last_write_time(r); write(r.string() + "~", "RESULT"); setTime(r.string() + "~", t); fs::rename(r.string() + "~", r); }
void makeFolder(const fs::path& r) { fs::create_directory(r); }
// clang-format on

} // namespace

class JobTest : public QObject {
    Q_OBJECT
private slots:
    void refusesWhatCannotRunAndNothingElse() {
        test::TempPrefix prefix;
        prefix.makeFile("UT/System/Core.u", "the game's own");
        const std::string codePage = "The batch file C:\\UT\\uccMake.Bat cannot name these files, "
                                     "since the Windows code page has no place for some of their "
                                     "characters:\r\n";
        const auto C = JobMode::Compress, D = JobMode::Decompress;
        const struct {
            const char* row;
            std::string game;
            JobMode mode;
            Names paths, names;
            std::string refusal; // empty: the job runs
            bool stop;
        } rows[] = {
            // clang-format off
            {"empty queue", "C:\\UT", C, {}, {}, "No files to compile.", false},
            {"no game folder", "", C, {"C:\\a.unr"}, {"a.unr"}, kGameFolderMissing, true},
            {"not a .uz", "C:\\UT", D, {"C:\\UT\\a.unr", "C:\\UT\\b.uz"}, {"b.uz", "a.unr"},
             "Only .uz files can be decompressed:\r\na.unr", false},
            {"result already in System", "C:\\UT", D, {"C:\\C\\Core.u.uz", "C:\\C\\Mine.u.uz"},
             {"Mine.u.uz", "Core.u.uz"}, "These files are already in the game's System folder. "
             "Decompressing would replace them and then move them out of it:\r\nCore.u", true},
            {"quote and control character", "C:\\UT", C, {"C:\\UT\\q\"x.unr", "C:\\UT\\t\tx.unr"},
             {"q\"x.unr", "t\tx.unr"}, codePage + "C:\\UT\\q\"x.unr\r\nC:\\UT\\t\tx.unr", true},
            {"plain compress", "C:\\UT", C, {"C:\\UT\\Maps\\Core.u"}, {"Core.u"}, "", false},
            {"decompress to a new name", "C:\\UT", D, {"C:\\C\\Mine.u.uz"}, {"Mine.u.uz"}, "", false},
            // clang-format on
        };
        for (const auto& row : rows) {
            const Job job = takeJob(BatchJob{row.game, row.paths, row.names, row.mode});
            const Refusal refusal = preflight(job).value_or(Refusal{});
            QCOMPARE(refusal.text, row.refusal);
            QVERIFY2(refusal.stop == row.stop, row.row);
        }
        // A box names twenty files at most, however many there are.
        Names paths, names;
        for (int i = 0; i < 2000; ++i) {
            names.push_back(std::to_string(10000 + i) + ".unr");
            paths.push_back("C:\\UT\\" + names.back());
        }
        const Refusal many = *preflight(takeJob(BatchJob{"C:\\UT", paths, names, D}));
        QVERIFY(many.text.ends_with("\r\n10019.unr\r\nand 1980 more"));
        QCOMPARE(std::count(many.text.begin(), many.text.end(), '\n'), 21);
    }

    void progressFollowsTheLinesAsTheInterpreterEchoesThem() {
        JobProgress progress({"C:\\UT\\System\\ucc.exe Compress C:\\UT\\Maps\\50%%.unr",
                              "Move C:\\UT\\Maps\\50%%.unr.uz C:\\UT\\Compressed"},
                             JobMode::Compress);
        QCOMPARE(progress.caption(), std::string("Compressing 0 of 1"));
        // A line out of its turn counts for nothing; one split between chunks counts once.
        QVERIFY(!progress.add("\r\nC:\\UT>Move C:\\UT\\Maps\\50%.unr.uz C:\\UT\\Compressed \r\n"));
        QVERIFY(!progress.add("\r\nC:\\UT>C:\\UT\\System\\ucc.exe Compr"));
        QVERIFY(
            progress.add("ess C:\\UT\\Maps\\50%.unr \r\nCompressing C:\\UT\\Maps\\50%.unr\r\n"));
        QCOMPARE(progress.caption(), std::string("Compressing 1 of 1"));
        QCOMPARE(progress.toolLineRunning().value_or(9), std::size_t{0});
        QVERIFY(progress.add("\r\nZ:\\>Move C:\\UT\\Maps\\50%.unr.uz C:\\UT\\Compressed \r\n"));
        QCOMPARE(progress.caption(), std::string("Moving 1 of 1"));
        QVERIFY(!progress.toolLineRunning());
        QCOMPARE(progress.reached(), progress.total());
    }

    void countsAResultAsProducedWhenItsPlaceChanged() {
        const struct {
            const char* row;
            Step before, during;
            Names missing;
        } rows[] = {
            // clang-format off
            {"new", nothing, make, {}},
            {"new, two seconds early", nothing, makeTwoSecondsEarly, {}},
            {"new, an hour early", nothing, makeAnHourEarly, {}},
            {"not made", nothing, nothing, {"A.unr.uz"}},
            {"an earlier job's, untouched", make, nothing, {"A.unr.uz"}},
            {"rewritten, same size, two seconds early", make, rewriteTwoSecondsEarly, {}},
            {"replaced, same size and time", make, replaceSameSizeAndTime, {}},
            {"a folder in its place", nothing, makeFolder, {"A.unr.uz"}},
            // clang-format on
        };
        for (const auto& row : rows) {
            test::TempPrefix prefix;
            const fs::path result = prefix.makeFolder("UT/Compressed") / "A.unr.uz";
            row.before(result);
            const Job job =
                takeJob(BatchJob{"C:\\UT", {"C:\\UT\\Maps\\A.unr"}, {"A.unr"}, JobMode::Compress});
            row.during(result);
            QVERIFY2(missingResults(job) == row.missing, row.row);
        }
    }

    // Decompress results come from the name list, in its order; two queued files whose results
    // share one Windows name leave one result, and the one replaced is named as not produced.
    void namesMissingResultsInTheOrderOfTheMoves() {
        test::TempPrefix prefix;
        const fs::path out = prefix.makeFolder("UT/Decompressed");
        // clang-format off
        const Job decompress = takeJob(BatchJob{"C:\\UT", {"C:\\C\\Alpha.unr.uz", "C:\\C\\Beta.u.uz",
            "C:\\C\\Zeta.umx.uz"}, {"Zeta.umx.uz", "Beta.u.uz", "Alpha.unr.uz"}, JobMode::Decompress});
        const Job sameName = takeJob(BatchJob{"C:\\UT", {"C:\\A\\x.unr", "C:\\B\\X.unr", "C:\\y.unr"},
            {"x.unr", "X.unr", "y.unr"}, JobMode::Compress});
        // clang-format on
        write(out / "Beta.u", "made");
        QCOMPARE(missingResults(decompress), (Names{"Zeta.umx", "Alpha.unr"}));

        write(prefix.makeFolder("UT/Compressed") / "X.unr.uz", "made once");
        QCOMPARE(missingResults(sameName), (Names{"y.unr.uz", "x.unr.uz"}));
    }
};

QTEST_GUILESS_MAIN(JobTest)
#include "test_job.moc"
