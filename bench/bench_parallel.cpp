// A big compression job through the real window, its tool lines run on all the machine's
// processors against one at a time (Options > Run Tool Lines One at a Time), and against the same
// job with a tool that only copies each file: what the window, the interpreter and starting a
// program for every file cost the job. Goal: all processors at least 1.8 times as fast as one at
// a time on two.
//
//     bench_parallel [FILES]      (2,000 files unless given; fewer for a quick look)
//
// The packages are made up, the same in every run (a fixed seed), 32 to 256 KB each (290 MB for
// 2,000): the package signature, then stretches like those of real packages in random turn: name
// and property text (the engine's words), texture-like runs of a few palette values, and noise
// like compressed sound. Smaller than most maps, so that a full run takes minutes, not an hour;
// big enough that the tool's own work, which is what runs side by side, outweighs starting it;
// and each within one block of the codec, so that one at a time is one processor.

#include "BenchSupport.h"
#include "mainwindow/Form1.h"

#include "controls/DirListBox.h"
#include "controls/FileListBox.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

constexpr double kGoal = 1.8;
constexpr int kRounds = 2; // of each job, taking the fastest: a shared machine is seldom quiet

// Answers every question with No, so that the window goes back to its browser.
struct Answers : ui::MessageBoxes {
    int show(const std::string&, const std::string&, int) override { return ui::kIdNo; }
};

// Processor time used so far by this process and the processes it has waited for (the
// interpreter, and through it every tool), in seconds.
double processorSeconds() {
    double seconds = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        ::getrusage(who, &usage);
        seconds += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return seconds;
}

std::string packageLike(std::mt19937& random) {
    static const char* const words[] = {"None ",      "Engine ",  "Core ",     "Botpack ",
                                        "LevelInfo ", "Texture ", "Palette ",  "Brush ",
                                        "Light ",     "Mover ",   "Location ", "PlayerStart ",
                                        "Package ",   "Class ",   "Default ",  "bHidden "};
    // Below the codec's block of 0x40000 bytes, which it would sort on several threads.
    const std::size_t size = 32 * 1024 + random() % (0x40000 - 32 * 1024);
    std::string bytes = "\xC1\x83\x2A\x9E";
    while (bytes.size() < size) {
        const std::size_t stretch = 512 + random() % 8192;
        switch (random() % 3) {
        case 0:
            for (std::size_t end = bytes.size() + stretch; bytes.size() < end;) {
                bytes += words[random() % std::size(words)];
            }
            break;
        case 1: {
            const unsigned palette = random() % 200;
            for (std::size_t end = bytes.size() + stretch; bytes.size() < end;) {
                bytes.append(1 + random() % 24, static_cast<char>(palette + random() % 4));
            }
            break;
        }
        default:
            for (std::size_t i = 0; i < stretch; ++i) {
                bytes += static_cast<char>(random());
            }
        }
    }
    bytes.resize(size);
    return bytes;
}

struct Game {
    bench::TempFolder folder{"parallel"};
    fs::path ut;
    fs::path tool;

    explicit Game(int files) {
        folder.makePrefix();
        // Z: as in every Wine prefix, which is where the batch file finds Tolvane's own tool.
        fs::create_symlink("/", folder.path() / "dosdevices" / "z:");
        ut = folder.path() / "drive_c" / "UT";
        tool = ut / "System" / "ucc.exe";
        for (const char* sub : {"Maps", "System", "Compressed"}) {
            fs::create_directories(ut / sub);
        }
        std::ofstream(folder.path() / "system.reg")
            << "WINE REGISTRY Version 2\n\n[Software\\\\Unreal Technology\\\\Installed "
               "Apps\\\\UnrealTournament] 1\n\"Folder\"=\"C:\\\\UT\"\n";
        useCodec(); // the game is found by its tool
        std::mt19937 random(20261208);
        for (int i = 0; i < files; ++i) {
            std::ofstream(ut / "Maps" / ("DM-Map" + std::to_string(10000 + i) + ".unr"),
                          std::ios::binary)
                << packageLike(random);
        }
    }
    void useCodec() {
        fs::remove(tool);
        fs::copy_file(QCoreApplication::applicationDirPath().toStdString() + "/ucc-standin", tool);
    }
    // Copies the file beside itself under the result's name, saying so as the codec does.
    void useCopier() {
        fs::remove(tool);
        std::ofstream(tool) << "#!/bin/sh\necho \"Compressing $2\"\ncp \"$2\" \"$2.uz\" && "
                               "echo \"Compressed $2 -> $2.uz\"\n";
        fs::permissions(tool, fs::perms(0755));
    }
    void clearResults() {
        for (const auto& entry : fs::directory_iterator(ut / "Compressed")) {
            fs::remove(entry.path());
        }
        ::sync();
    }
};

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    bench::offscreenByDefault();
    ::unsetenv("ComSpec");
    // Settings of its own: the benchmark switches Options > Run Tool Lines One at a Time, which is
    // remembered, and must neither follow nor change the user's choices.
    const bench::TempFolder settings("parallel-settings");
    ::setenv("XDG_CONFIG_HOME", settings.path().c_str(), 1);
    QApplication app(argc, argv);
    std::printf("making %d package-like files...\n", files);
    std::fflush(stdout);
    Game game(files);
    Answers answers;
    Form1 form(Form1::Services{&answers, [] {}, nullptr});
    form.Show();
    form.mnuOpen->setChecked(false);

    bool failed = false;
    double processorsHad = 0;
    // The whole job as a user starts it, timed from the click on the start button to its end.
    // With Tolvane's own compressor, or the game folder's tool (the copier).
    const auto job = [&](bool oneAtATime, bool ownTool = true) {
        form.mnuOneAtATime->setChecked(oneAtATime);
        form.mnuOwnTool->setChecked(ownTool);
        game.clearResults();
        form.Dir1->setPath(QStringLiteral("C:\\UT\\Maps"));
        form.File1->selectAll();
        form.KewlButtons1->click();
        const double processorBefore = processorSeconds();
        const double seconds = bench::timed([&] { form.KewlButtons2->click(); });
        // On a machine shared with other work (and with the system sharing processors out by
        // session, as Linux desktops do), the job may get fewer processors than there are.
        processorsHad = (processorSeconds() - processorBefore) / seconds;
        failed = failed || form.List1->count() != 0 ||
                 std::distance(fs::directory_iterator(game.ut / "Compressed"),
                               fs::directory_iterator()) != files;
        return seconds;
    };
    const std::string cores = std::to_string(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<double> parallel;
    std::vector<double> oneByOne;
    std::vector<double> copying;
    for (int round = 0; round < kRounds; ++round) {
        game.useCodec();
        // In turn first, so that a machine slowly getting busier or quieter favours neither.
        double parallelHad = 0;
        if (round % 2 == 0) {
            parallel.push_back(job(false));
            parallelHad = processorsHad;
            oneByOne.push_back(job(true));
        } else {
            oneByOne.push_back(job(true));
            parallel.push_back(job(false));
            parallelHad = processorsHad;
        }
        game.useCopier();
        copying.push_back(job(false, false));
        std::printf("round %d: %s at a time %.2f s (using %.2f processors on average), one at a "
                    "time %.2f s, copying %.2f s\n",
                    round + 1, cores.c_str(), parallel.back(), parallelHad, oneByOne.back(),
                    copying.back());
        std::fflush(stdout);
    }
    if (failed) {
        std::fprintf(stderr, "a job did not end the usual way, with every result written\n");
        return 1;
    }
    // Other work on the machine takes processors from the lines side by side first.
    std::ifstream load("/proc/loadavg");
    std::string lastMinute;
    load >> lastMinute;
    std::printf("load average over the last minute: %s\n", lastMinute.c_str());
    const double fastParallel = *std::min_element(parallel.begin(), parallel.end());
    const double fastOne = *std::min_element(oneByOne.begin(), oneByOne.end());
    const double fastCopy = *std::min_element(copying.begin(), copying.end());
    std::printf("%d files on %s processors: one at a time %.2f s, all at once %.2f s (%.2fx)\n",
                files, cores.c_str(), fastOne, fastParallel, fastOne / fastParallel);
    std::printf("the same job with a tool that only copies: %.2f s, %.0f%% of the codec's job "
                "(the window, the interpreter and a program started for every file)\n",
                fastCopy, fastCopy / fastParallel * 100);
    bench::result("parallel_speedup", fastOne / fastParallel, "x", ">=", kGoal);
    return 0;
}
