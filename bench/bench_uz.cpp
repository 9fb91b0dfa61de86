// .uz compression and decompression of a 20 MB mixed file (text, runs, noise) against bzip2 -9 and
// bzip2 -d on the same file, measured in the same run. Goal: at most 3 times bzip2's time each way.

#include "BenchSupport.h"
#include "uz/uzfile.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace fs = std::filesystem;
using tolvane::bench::timed;
using tolvane::uz::Bytes;

namespace {

Bytes mixedData(std::size_t size) {
    static const char* const words[] = {"Compressing ", "package ",  "DM-Deck16][",  ".unr ",
                                        "the ",         "redirect ", "server ",      "Textures ",
                                        "\r\n",         "Engine.",   "UnrealShare ", "BotPack.",
                                        "= ",           "True ",     "0.500000 "};
    std::mt19937 random(42);
    Bytes out;
    out.reserve(size);
    while (out.size() < size) {
        const auto kind = random() % 10;
        const std::size_t length = 1000 + random() % 60000;
        if (kind < 6) { // text
            while (out.size() < size && length > 0) {
                const std::string word = words[random() % std::size(words)];
                out.insert(out.end(), word.begin(), word.end());
                if (out.size() % length < word.size()) {
                    break;
                }
            }
        } else if (kind < 8) { // runs, as in texture and sound data
            for (std::size_t done = 0; done < length;) {
                const std::size_t run = 1 + random() % 400;
                out.insert(out.end(), run, static_cast<std::uint8_t>(random() % 4));
                done += run;
            }
        } else { // noise
            for (std::size_t i = 0; i < length; ++i) {
                out.push_back(static_cast<std::uint8_t>(random()));
            }
        }
    }
    out.resize(size);
    return out;
}

void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Runs bzip2 with the arguments; stdout goes to `output`. Returns the seconds taken.
double runBzip2(const std::string& flags, const fs::path& input, const fs::path& output) {
    const auto start = tolvane::bench::Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::FILE* in = std::fopen(input.c_str(), "rb");
        std::FILE* out = std::fopen(output.c_str(), "wb");
        if (in == nullptr || out == nullptr) {
            _exit(127);
        }
        dup2(fileno(in), 0);
        dup2(fileno(out), 1);
        execlp("bzip2", "bzip2", flags.c_str(), "-c", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = tolvane::bench::secondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bzip2 %s failed\n", flags.c_str());
        std::exit(1);
    }
    return seconds;
}

} // namespace

int main() {
    constexpr std::size_t kSize = 20 * 1000 * 1000;
    const tolvane::bench::TempFolder folder("uz");
    const fs::path& dir = folder.path();
    const Bytes data = mixedData(kSize);
    writeFile(dir / "mixed.bin", data);

    // The .uz side includes reading and writing the files, as bzip2 does.
    Bytes packed;
    const double uzCompress = timed([&] {
        std::ifstream in(dir / "mixed.bin", std::ios::binary);
        const Bytes input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        packed = tolvane::uz::compressUz(input, "mixed.bin");
        writeFile(dir / "mixed.bin.uz", packed);
    });
    bool same = false;
    const double uzDecompress = timed([&] {
        std::ifstream in(dir / "mixed.bin.uz", std::ios::binary);
        const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto contents = tolvane::uz::decompressUz(file);
        writeFile(dir / "mixed.out", contents.data);
        same = contents.data == data;
    });

    const double bzCompress = runBzip2("-9", dir / "mixed.bin", dir / "mixed.bin.bz2");
    const double bzDecompress = runBzip2("-d", dir / "mixed.bin.bz2", dir / "mixed.bz.out");
    const auto bzSize = fs::file_size(dir / "mixed.bin.bz2");

    std::printf("input: %zu bytes of text, runs and noise\n", kSize);
    std::printf("compress:   .uz %.3f s, bzip2 -9 %.3f s, ratio %.2f (goal <= 3)\n", uzCompress,
                bzCompress, uzCompress / bzCompress);
    tolvane::bench::result("uz_compress_vs_bzip2", uzCompress / bzCompress, "x", "<=", 3);
    std::printf("decompress: .uz %.3f s, bzip2 -d %.3f s, ratio %.2f (goal <= 3)\n", uzDecompress,
                bzDecompress, uzDecompress / bzDecompress);
    tolvane::bench::result("uz_decompress_vs_bzip2", uzDecompress / bzDecompress, "x", "<=", 3);
    std::printf("size:       .uz %zu bytes (%.1f%%), bzip2 %ju bytes (%.1f%%)\n", packed.size(),
                100.0 * static_cast<double>(packed.size()) / kSize,
                static_cast<std::uintmax_t>(bzSize), 100.0 * static_cast<double>(bzSize) / kSize);
    std::printf("round trip: %s\n", same ? "equal" : "DIFFERENT");
    return same ? 0 : 1;
}
