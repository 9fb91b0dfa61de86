// Hostile file names through the whole program: the window queues them, the batch file names
// them, the bundled interpreter reads them back and the tool gets them. Every file is compressed
// or refused with a clear message, no other command ever runs, and no file is lost.

#include "JobChecks.h"
#include "controls/DirListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"
#include "mainwindow/GameFolder.h"

#include <QAction>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <fstream>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

// What a command smuggled into the batch file through a name would leave behind.
const std::set<std::string> kPlanted = {"PWNED", "PWNED.unr"};

// Names the tool can compress and the interpreter must pass on untouched.
std::vector<std::string> compressibleNames() {
    return {
        "blank name.unr",
        " leading blank.unr",
        "many   blanks .unr",
        "& % ^ ( ) ! ' , ;.unr",
        "100%.unr",
        "%PATH%.unr",
        "%%.unr",
        "%~dp0.unr",
        "x & touch PWNED.unr",
        "x && touch PWNED.unr",
        "x ^& touch PWNED.unr",
        "$(touch PWNED).unr",
        "`touch PWNED`.unr",
        ";touch PWNED.unr",
        "\xC3\x89"
        "clair \xE2\x82\xAC"
        "uro \xC3\x9C"
        "ber.unr", // Éclair €uro Über
        "-rf.unr",
        "--help.unr",
        std::string(236, 'L') + ".unr", // 240 bytes
        std::string(248, 'M') + ".unr", // its .uz is 255 bytes, the most a name may have
    };
}

// Names whose .uz would be longer than a file name may be: the tool must refuse them.
std::vector<std::string> tooLongNames() {
    std::string accents;
    for (int i = 0; i < 125; ++i) {
        accents += "\xC3\xA9"; // é: one character, two bytes
    }
    return {std::string(249, 'N') + ".unr", std::string(251, 'O') + ".unr", accents + ".unr"};
}

void queueAll(Form1& form, const QString& folder) {
    QVERIFY(form.Dir1->setPath(folder));
    form.File1->selectAll();
    form.KewlButtons1->click();
}

// The names an end-of-job question lists as not produced.
std::set<std::string> listedAsMissing(const std::string& text) {
    std::set<std::string> names;
    std::size_t start = text.find("\r\n");
    while (start != std::string::npos) {
        start += 2;
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            break; // the question itself
        }
        names.insert(text.substr(start, end - start));
        start = end;
    }
    return names;
}

} // namespace

class HostileNamesTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ::unsetenv("ComSpec"); }

    void everyFileIsCompressedOrRefusedAndNothingIsLost() {
        test::GameFolder game;
        const fs::path hostile = game.prefix.makeFolder("UnrealTournament/Hostile");
        std::map<std::string, std::string> sources;
        for (const auto& name : compressibleNames()) {
            sources[name] = test::GameFolder::package(name);
        }
        for (const auto& name : tooLongNames()) {
            sources[name] = test::GameFolder::package(name);
        }
        for (const auto& [name, bytes] : sources) {
            std::ofstream(hostile / name, std::ios::binary) << bytes;
        }

        test::Form1Fixture f;
        f.form->Show();
        f.form->mnuOpen->setChecked(false);
        queueAll(*f.form, "C:\\UnrealTournament\\Hostile");
        QCOMPARE(f.form->List1->count(), static_cast<int>(sources.size()));
        QString output;
        f.messages.onShow = [&](const test::ShownBox&) {
            output = f.form->txtOutput->toPlainText();
        };
        f.form->KewlButtons2->click();

        // The names the tool could not write a result for, and only those, are reported.
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        const test::ShownBox& question = f.messages.shown[0];
        QCOMPARE(question.title, std::string("Error~!"));
        QCOMPARE(question.style, 20);
        std::set<std::string> expectedMissing;
        for (const auto& name : tooLongNames()) {
            expectedMissing.insert(name + ".uz");
        }
        QVERIFY2(listedAsMissing(question.text) == expectedMissing, question.text.c_str());
        QCOMPARE(output.count("File name too long"), static_cast<qsizetype>(tooLongNames().size()));
        QVERIFY2(!output.contains("not recognized"), qPrintable(output));

        std::set<std::string> expectedResults;
        for (const auto& name : compressibleNames()) {
            expectedResults.insert(name + ".uz");
        }
        QCOMPARE(test::namesIn(game.compressed()), expectedResults);
        checkNothingLost(hostile, sources);

        // Back again: every result decompresses to its source's bytes.
        queueAll(*f.form, "C:\\UnrealTournament\\Compressed");
        f.form->Option2->setChecked(true);
        f.form->KewlButtons2->click();
        QCOMPARE(f.messages.shown.size(), std::size_t(2));
        QVERIFY2(f.messages.shown[1].title == "Success!", f.messages.shown[1].text.c_str());
        std::size_t sameBytes = 0;
        for (const auto& name : compressibleNames()) {
            QCOMPARE(test::readFile(game.decompressed() / name), sources[name]);
            ++sameBytes;
        }
        QCOMPARE(test::namesIn(game.decompressed()).size(), sameBytes);
        checkNothingLost(hostile, sources);

        const auto injected = plantedAnywhere(game);
        QVERIFY2(injected.empty(), injected.empty() ? "" : injected.front().c_str());
        std::printf("reliability: hostile names: %zu files, %zu compressed and decompressed "
                    "byte for byte, %zu refused by the tool (name too long) and named at the end "
                    "of the job, %zu lost, %zu commands injected\n",
                    sources.size(), sameBytes, expectedMissing.size(), std::size_t(0),
                    injected.size());
    }

    void namesTheBatchFileCannotHoldAreRefusedBeforeAnythingRuns() {
        test::GameFolder game;
        const fs::path foreign = game.prefix.makeFolder("UnrealTournament/Foreign");
        const std::vector<std::string> refused = {
            "\xE5\x9C\xB0\xE5\x9B\xBE.unr", // 地图: no place in the Windows code page
            "smile \xF0\x9F\x98\x80.unr",   // an emoji, outside the basic plane
            "\xCE\xA9mega.unr",             // Ω
        };
        // No Windows path holds these: they are not even queued.
        const std::vector<std::string> unusable = {"say \"hi\" & touch PWNED.unr", "tab\there.unr",
                                                   "x | touch PWNED.unr", "a\\b.unr",
                                                   "bad\xFF.unr"};
        std::map<std::string, std::string> sources;
        for (const auto& name : refused) {
            sources[name] = test::GameFolder::package(name);
        }
        for (const auto& name : unusable) {
            sources[name] = test::GameFolder::package(name);
        }
        sources["plain.unr"] = test::GameFolder::package("plain.unr");
        for (const auto& [name, bytes] : sources) {
            std::ofstream(foreign / name, std::ios::binary) << bytes;
        }

        test::Form1Fixture f;
        f.form->Show();
        queueAll(*f.form, "C:\\UnrealTournament\\Foreign");
        const QStringList queued = test::entriesOf(f.form->List1);
        const QStringList names = test::entriesOf(f.form->List2);
        QCOMPARE(queued.size(), static_cast<int>(refused.size() + 1));
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QVERIFY(f.messages.shown[0].text.starts_with("Windows programs cannot use the names"));
        f.form->KewlButtons2->click();

        QCOMPARE(f.messages.shown.size(), std::size_t(2));
        const test::ShownBox& box = f.messages.shown[1];
        QCOMPARE(box.title, std::string("Error~!"));
        QCOMPARE(box.style, 16);
        QVERIFY2(box.text.starts_with("The batch file C:\\UnrealTournament\\uccMake.Bat cannot "
                                      "name these files"),
                 box.text.c_str());
        for (const auto& name : refused) {
            QVERIFY2(box.text.find("\r\nC:\\UnrealTournament\\Foreign\\" + name) !=
                         std::string::npos,
                     name.c_str());
        }
        QVERIFY(box.text.find("plain.unr") == std::string::npos);

        // Nothing was written or run, and the window is as it was, ready for another try.
        QVERIFY(test::batchFilesIn(game.game()).empty());
        QVERIFY(test::namesIn(game.compressed()).empty());
        checkNothingLost(foreign, sources);
        QVERIFY(f.form->KewlButtons2->isVisible());
        QVERIFY(!f.form->txtOutput->isVisible());
        QCOMPARE(test::entriesOf(f.form->List1), queued);
        QCOMPARE(test::entriesOf(f.form->List2), names);
        QVERIFY(plantedAnywhere(game).empty());
        std::printf("reliability: names the batch file cannot hold: %zu of %zu refused before "
                    "anything ran, 0 written, 0 lost\n",
                    refused.size(), sources.size());
    }

    // Two sources whose results have one Windows name (names that differ only in letter case,
    // or the same name in two folders) leave one result, the later replacing the earlier; the
    // replaced one must not be reported as produced.
    void resultsOfTheSameWindowsName() {
        test::GameFolder game;
        const fs::path cases = game.prefix.makeFolder("UnrealTournament/Cases");
        const fs::path more = game.prefix.makeFolder("UnrealTournament/Cases2");
        std::map<std::string, std::string> sources;
        for (const char* name : {"Case.unr", "CASE.unr", "other.unr"}) {
            sources[name] = test::GameFolder::package(name);
            std::ofstream(cases / name, std::ios::binary) << sources[name];
        }
        std::ofstream(more / "other.unr", std::ios::binary) << "another other";
        test::Form1Fixture f;
        f.form->Show();
        f.form->mnuOpen->setChecked(false);
        queueAll(*f.form, "C:\\UnrealTournament\\Cases");
        queueAll(*f.form, "C:\\UnrealTournament\\Cases2");
        const QStringList queued = test::entriesOf(f.form->List1);
        f.form->KewlButtons2->click();

        // The queue's order is the job's: the earlier of each pair is the one replaced.
        const std::string replacedCase =
            queued.indexOf("C:\\UnrealTournament\\Cases\\CASE.unr") <
                    queued.indexOf("C:\\UnrealTournament\\Cases\\Case.unr")
                ? "CASE.unr.uz"
                : "Case.unr.uz";
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].title, std::string("Error~!"));
        QCOMPARE(listedAsMissing(f.messages.shown[0].text),
                 (std::set<std::string>{replacedCase, "other.unr.uz"}));
        QCOMPARE(test::namesIn(game.compressed()).size(), std::size_t(2));
        checkNothingLost(cases, sources);
    }

private:
    // Every source is still there with its bytes, and nothing else was left beside them.
    static void checkNothingLost(const fs::path& folder,
                                 const std::map<std::string, std::string>& sources) {
        std::set<std::string> expected;
        for (const auto& [name, bytes] : sources) {
            expected.insert(name);
            QCOMPARE(test::readFile(folder / name), bytes);
        }
        QCOMPARE(test::namesIn(folder), expected);
    }

    static std::vector<std::string> plantedAnywhere(const test::GameFolder& game) {
        std::vector<std::string> found = test::planted(game.prefix.root(), kPlanted);
        for (const fs::path& place :
             {fs::current_path(), fs::path(QCoreApplication::applicationDirPath().toStdString()),
              fs::temp_directory_path()}) {
            for (const auto& name : kPlanted) {
                if (fs::exists(place / name)) {
                    found.push_back((place / name).string());
                }
            }
        }
        return found;
    }
};

QTEST_MAIN(HostileNamesTest)
#include "test_hostile_names.moc"
