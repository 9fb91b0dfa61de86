// tolvane-redirect: brings a redirect server's download folder up to date without a window, as
// cron or a systemd timer runs it. It compresses every package of the game folder whose .uz in
// the output folder is missing or older than the package, through the same batch file, command
// interpreter and tool as Tolvane's window, and prints a line a file and a summary.
//
//     tolvane-redirect [--jobs N] [--tool own|game] GAMEFOLDER OUTDIR
//
// Exit status: 0 when every file is done, 1 when any failed or the run was stopped, 2 for bad
// arguments (nothing is written then).

#include "redirect.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: tolvane-redirect [--jobs N] [--tool own|game] GAMEFOLDER OUTDIR\n"
    "Compresses every package (.u .unr .umx .uax .utx) in GAMEFOLDER's Maps, Music, Sounds,\n"
    "Textures and System folders whose .uz in OUTDIR is missing or older than the package.\n"
    "  --jobs N     run N tool lines at a time (default: one per processor core)\n"
    "  --tool own   use Tolvane's own compressor (byte for byte the game's 469 tool's .uz)\n"
    "  --tool game  use the game's own tool (default: the game's tool when the folder has one)\n"
    "Exit status: 0 every file done, 1 a file failed or the run was stopped, 2 bad arguments.\n";

int usage(const std::string& problem) {
    std::cerr << "tolvane-redirect: " << problem << "\n" << kUsage;
    return tolvane::redirect::kBadArguments;
}

} // namespace

int main(int argc, char** argv) {
    tolvane::redirect::Options options;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--jobs" || arg == "--tool") {
            if (i + 1 >= argc) {
                return usage(arg + " needs a value");
            }
            const std::string value = argv[++i];
            if (arg == "--tool") {
                if (value != "own" && value != "game") {
                    return usage("--tool takes own or game, not " + value);
                }
                options.tool =
                    value == "own" ? tolvane::redirect::Tool::Own : tolvane::redirect::Tool::Game;
            } else if (value.empty() || value.size() > 4 ||
                       value.find_first_not_of("0123456789") != std::string::npos ||
                       std::stoi(value) < 1) {
                return usage("--jobs takes a number from 1 to 9999, not " + value);
            } else {
                options.jobs = std::stoi(value);
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return usage("unknown option " + arg);
        } else {
            folders.push_back(arg);
        }
    }
    if (folders.size() != 2) {
        return usage("needs GAMEFOLDER and OUTDIR");
    }
    options.gameFolder = folders[0];
    options.outputFolder = folders[1];
    return tolvane::redirect::run(options, std::cout, std::cerr);
}
