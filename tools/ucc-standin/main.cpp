// ucc-standin: compresses and decompresses .uz files like the game's own package tool, so that a
// whole job can be watched and tested without the game installed.

#include "commands.h"
#include "filesio.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kHelp =
    "ucc-standin - a stand-in for the game's own ucc.exe, for demos and tests.\n"
    "It knows only the two package commands and writes real .uz files (the format game\n"
    "servers and clients use); with the game installed, use the game's ucc.exe instead.\n"
    "\n"
    "Usage:\n"
    "  ucc-standin Compress <file>...      writes <file>.uz beside each file\n"
    "  ucc-standin Decompress <file.uz>... writes the file stored in each .uz into the\n"
    "                                      folder of this program (the game's System folder)\n"
    "  ucc-standin --help                  shows this text\n"
    "\n"
    "Files are host paths or Windows paths of the Wine prefix. The exit status is 0 when\n"
    "every file was processed, 1 when one failed, 2 for a bad command line.\n";

bool sameWord(const std::string& a, const char* b) {
    std::string lower;
    for (char c : a) {
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return lower == b;
}

int usageError(const std::string& message) {
    std::cerr << "Error: " << message << " (see ucc-standin --help)" << std::endl;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || sameWord(args[0], "--help") || sameWord(args[0], "-h") ||
        sameWord(args[0], "help") || sameWord(args[0], "/?")) {
        std::cout << kHelp;
        return 0;
    }
    const bool compress = sameWord(args[0], "compress");
    if (!compress && !sameWord(args[0], "decompress")) {
        return usageError("unknown command \"" + args[0] + "\"");
    }
    if (args.size() < 2) {
        return usageError(args[0] + " needs a file");
    }
    const tolvane::standin::Output output{std::cout, std::cerr};
    const auto targetFolder = tolvane::standin::executableFolder();
    bool allDone = true;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool done = compress
                              ? tolvane::standin::compressFile(args[i], output)
                              : tolvane::standin::decompressFile(args[i], targetFolder, output);
        allDone = allDone && done;
    }
    return allDone ? 0 : 1;
}
