// .uz compression and decompression of a 20 MB mixed file (text, runs, noise) against bzip2 -9 and
// bzip2 -d on the same file, measured in the same run. Goals: compressing on all cores takes at
// most bzip2's time, decompressing at most 3 times its time. Also: compressing on all cores
// against one thread, and the block sort with libdivsufsort against our own induced sorting (the
// codec uses the faster); every way gives the same bytes.

#include "BenchSupport.h"
#include "uz/bwt.h"
#include "uz/rle.h"
#include "uz/suffixsort.h"
#include "uz/uzfile.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <thread>

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

// The fastest of `rounds` runs of each piece of work, in seconds. The pieces run by turns, so that
// a spell of load on the shared machine slows them alike rather than whichever ran then.
std::vector<double> bestByTurns(int rounds, const std::vector<std::function<void()>>& works) {
    std::vector<double> best(works.size(), 1e9);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < works.size(); ++k) {
            best[k] = std::min(best[k], timed(works[k]));
        }
    }
    return best;
}

// Sorts every block of `data` on one thread.
void sortBlocks(const Bytes& data, tolvane::uz::BlockSorter sorter) {
    std::vector<std::int32_t> order;
    for (std::size_t start = 0; start < data.size(); start += tolvane::uz::kBwtBlockSize) {
        const auto block = tolvane::uz::ByteSpan(data).subspan(
            start, std::min(tolvane::uz::kBwtBlockSize, data.size() - start));
        tolvane::uz::engineSuffixOrder(block, sorter, order);
    }
}

} // namespace

int main() {
    using tolvane::uz::BlockSorter;
    using tolvane::uz::BwtOptions;
    constexpr std::size_t kSize = 20 * 1000 * 1000;
    const tolvane::bench::TempFolder folder("uz");
    const fs::path& dir = folder.path();
    const Bytes data = mixedData(kSize);
    writeFile(dir / "mixed.bin", data);
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());

    // The .uz side includes reading and writing the files, as bzip2 does.
    auto compressFile = [&](const BwtOptions& options, Bytes& packed, const char* name) {
        return [&, options, name] {
            std::ifstream in(dir / "mixed.bin", std::ios::binary);
            const Bytes input((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
            packed = tolvane::uz::compressUz(input, "mixed.bin", tolvane::uz::kSignature, options);
            writeFile(dir / name, packed);
        };
    };
    Bytes packed;
    Bytes packedOne;
    const auto compress =
        bestByTurns(5, {compressFile({}, packed, "mixed.bin.uz"),
                        compressFile({.threads = 1}, packedOne, "one.uz"),
                        [&] { runBzip2("-9", dir / "mixed.bin", dir / "mixed.bin.bz2"); }});
    const double uzCompress = compress[0];
    const double uzCompressOne = compress[1];
    const double bzCompress = compress[2];

    bool same = false;
    const auto decompress =
        bestByTurns(3, {[&] {
                            std::ifstream in(dir / "mixed.bin.uz", std::ios::binary);
                            const Bytes file((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
                            const auto contents = tolvane::uz::decompressUz(file);
                            writeFile(dir / "mixed.out", contents.data);
                            same = contents.data == data;
                        },
                        [&] { runBzip2("-d", dir / "mixed.bin.bz2", dir / "mixed.bz.out"); }});
    const double uzDecompress = decompress[0];
    const double bzDecompress = decompress[1];
    const auto bzSize = fs::file_size(dir / "mixed.bin.bz2");

    std::printf("input: %zu bytes of text, runs and noise; best of 5 runs (decompress: 3)\n",
                kSize);
    std::printf("compress:   .uz %.3f s (%u cores), bzip2 -9 %.3f s, ratio %.2f (goal <= 1)\n",
                uzCompress, cores, bzCompress, uzCompress / bzCompress);
    tolvane::bench::result("uz_compress_vs_bzip2", uzCompress / bzCompress, "x", "<=", 1);
    std::printf("decompress: .uz %.3f s, bzip2 -d %.3f s, ratio %.2f (goal <= 3)\n", uzDecompress,
                bzDecompress, uzDecompress / bzDecompress);
    tolvane::bench::result("uz_decompress_vs_bzip2", uzDecompress / bzDecompress, "x", "<=", 3);
    std::printf("size:       .uz %zu bytes (%.1f%%), bzip2 %ju bytes (%.1f%%)\n", packed.size(),
                100.0 * static_cast<double>(packed.size()) / kSize,
                static_cast<std::uintmax_t>(bzSize), 100.0 * static_cast<double>(bzSize) / kSize);
    std::printf("threads:    compress on one thread %.3f s, on %u %.3f s, speed-up %.2f\n",
                uzCompressOne, cores, uzCompress, uzCompressOne / uzCompress);

    // The block stage alone, on what it sees: the data after run-length folding. Only this stage
    // runs on several threads; the others are one pass each over the whole file.
    const Bytes folded = tolvane::uz::rleEncode(data);
    const auto stage = bestByTurns(5, {[&] { tolvane::uz::bwtEncode(folded, {.threads = 1}); },
                                       [&] { tolvane::uz::bwtEncode(folded); }});
    std::printf("            block stage on one thread %.3f s, on %u %.3f s, speed-up %.2f%s\n",
                stage[0], cores, stage[1], stage[0] / stage[1], cores > 1 ? " (goal >= 1.5)" : "");
    if (cores > 1) {
        tolvane::bench::result("uz_block_stage_all_cores_speedup", stage[0] / stage[1], "x",
                               ">=", 1.5);
    }

    bool sameBytes = packedOne == packed;
    if (tolvane::uz::haveDivsufsort()) {
        const auto sort = bestByTurns(3, {[&] { sortBlocks(folded, BlockSorter::inducedSorting); },
                                          [&] { sortBlocks(folded, BlockSorter::divsufsort); }});
        std::printf("block sort: one thread, libdivsufsort %.3f s, induced sorting %.3f s, ratio "
                    "%.2f (goal <= 1)\n",
                    sort[1], sort[0], sort[1] / sort[0]);
        tolvane::bench::result("uz_sort_divsufsort_vs_sais", sort[1] / sort[0], "x", "<=", 1);
        sameBytes = sameBytes && tolvane::uz::compressUz(
                                     data, "mixed.bin", tolvane::uz::kSignature,
                                     BwtOptions{.sorter = BlockSorter::inducedSorting}) == packed;
    } else {
        std::printf("block sort: built without libdivsufsort, induced sorting only\n");
    }
    std::printf("same bytes: %s (one thread and all cores, both sorts)\n",
                sameBytes ? "yes" : "NO");
    std::printf("round trip: %s\n", same ? "equal" : "DIFFERENT");
    return same && sameBytes ? 0 : 1;
}
