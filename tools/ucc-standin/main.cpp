// ucc-standin: compresses and decompresses .uz files like the game's own package tool, so that a
// whole job can be watched and tested without the game installed.

#include "commands.h"
#include "filesio.h"
#include "native.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include "platform/win32/wide.h"

#include <cstdio>
#include <windows.h>
#endif

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
    "every file was processed, 1 when one failed, 2 for a bad command line.\n"
    "UCC_STANDIN_PACE_MS=<n> makes it take n milliseconds over each file, as the real tool\n"
    "takes its time over a big map, so that a job can be watched.\n"
    "\n"
    "Installed under the name of the game's native Linux tool (ucc-bin-amd64 ...), it follows\n"
    "that tool's rules instead: one host path per run, Decompress results in ~/.utpg/System\n"
    "unless -nohomedir follows the file, \"Exiting due to error\" and status 1 on failure.\n";

constexpr const char* kOwnToolHelp =
    "tolvane-ucc - Tolvane's own package tool. It compresses and decompresses Unreal Tournament\n"
    "packages as the game's own ucc tool does, writing byte for byte the .uz files that the\n"
    "game's version 469 tool writes; every .uz written is read back and checked.\n"
    "\n"
    "Usage:\n"
    "  tolvane-ucc Compress <file>...      writes <file>.uz beside each file\n"
    "  tolvane-ucc Decompress <file.uz>... writes the file stored in each .uz into the System\n"
    "                                      folder of the game folder (made when missing)\n"
    "\n"
    "The game folder is TOLVANE_GAME_FOLDER (set by Tolvane for its jobs), else the working\n"
    "folder. Files are host paths or Windows paths of the Wine prefix. The exit status is 0\n"
    "when every file was processed and 1 when any failed.\n";

bool runsAsOwnTool() {
    return tolvane::standin::executableName().stem() == "tolvane-ucc";
}

bool sameWord(const std::string& a, const char* b) {
    std::string lower;
    for (char c : a) {
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return lower == b;
}

int usageError(const std::string& message) {
    if (runsAsOwnTool()) {
        std::cerr << "Error: " << message << " (see tolvane-ucc --help)" << std::endl;
        return 1;
    }
    std::cerr << "Error: " << message << " (see ucc-standin --help)" << std::endl;
    return 2;
}

#ifdef _WIN32
// The program's text is UTF-8; what it writes goes out in the ANSI code page, as the game's own
// tool writes it and as whoever reads the output decodes it. Text is converted when flushed,
// which the commands do at the end of each line.
class AnsiStream : public std::streambuf {
public:
    explicit AnsiStream(std::FILE* file) : file_(file) {}
    ~AnsiStream() override { sync(); }

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            pending_ += traits_type::to_char_type(c);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return count;
    }
    int sync() override {
        const std::wstring wide = tolvane::platform::widen(pending_);
        pending_.clear();
        if (wide.empty()) {
            return std::fflush(file_);
        }
        const int size = static_cast<int>(wide.size());
        const int n =
            WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
        std::string ansi(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), n, nullptr, nullptr);
        std::fwrite(ansi.data(), 1, ansi.size(), file_);
        return std::fflush(file_);
    }

private:
    std::FILE* file_;
    std::string pending_;
};

// Puts the ANSI streams in place of the standard ones for as long as it lives.
struct AnsiStandardStreams {
    AnsiStream out{stdout};
    AnsiStream err{stderr};
    std::streambuf* savedOut = std::cout.rdbuf(&out);
    std::streambuf* savedErr = std::cerr.rdbuf(&err);
    ~AnsiStandardStreams() {
        std::cout.flush();
        std::cerr.flush();
        std::cout.rdbuf(savedOut);
        std::cerr.rdbuf(savedErr);
    }
};
#endif

// How long to take over each file, from UCC_STANDIN_PACE_MS; none when unset or not a number.
std::chrono::milliseconds pace() {
    const char* value = std::getenv("UCC_STANDIN_PACE_MS");
    const long milliseconds = value ? std::strtol(value, nullptr, 10) : 0;
    return std::chrono::milliseconds(std::clamp(milliseconds, 0L, 60'000L));
}

int run(const std::vector<std::string>& args) {
#ifndef _WIN32
    if (tolvane::standin::runsAsNativeTool()) {
        std::this_thread::sleep_for(pace());
        return tolvane::standin::runNative(args, {std::cout, std::cerr, true});
    }
#endif
    if (args.empty() || sameWord(args[0], "--help") || sameWord(args[0], "-h") ||
        sameWord(args[0], "help") || sameWord(args[0], "/?")) {
        std::cout << (runsAsOwnTool() ? kOwnToolHelp : kHelp);
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
    std::filesystem::path targetFolder = tolvane::standin::executableFolder();
    if (runsAsOwnTool() && !compress) {
        std::string error;
        const auto system = tolvane::standin::gameSystemFolder(error);
        if (!system) {
            std::cerr << "Error: " << error << std::endl;
            return 1;
        }
        targetFolder = *system;
    }
    bool allDone = true;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::this_thread::sleep_for(pace());
        const bool done = compress
                              ? tolvane::standin::compressFile(args[i], output)
                              : tolvane::standin::decompressFile(args[i], targetFolder, output);
        allDone = allDone && done;
    }
    return allDone ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    const AnsiStandardStreams ansi;
#endif
    return run(tolvane::standin::commandArguments(argc, argv));
}
