// Writing the batch file for 10,000 queued files, as the Start button does: the lines, their
// bytes in the Windows code page, and the file itself inside a Wine prefix. Goal: under 100 ms
// each way. A plain write of the same bytes is measured alongside, for scale.

#include "BenchSupport.h"
#include "job/BatchFile.h"
#include "platform/files.h"

#include <fstream>

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 10000;
constexpr int kRounds = 5;

BatchJob makeJob(JobMode mode) {
    static const char* const folders[] = {"Maps", "Textures", "Sounds", "Music", "System"};
    static const char* const kinds[] = {".unr", ".utx", ".uax", ".umx", ".u"};
    BatchJob job;
    job.gameFolder = "C:\\UnrealTournament";
    job.mode = mode;
    for (int i = 0; i < kFiles; ++i) {
        const int k = i % 5;
        std::string name = "Package" + std::to_string(100000 + i) + kinds[k];
        if (mode == JobMode::Decompress) {
            name += ".uz";
        }
        job.paths.push_back(
            job.gameFolder + "\\" +
            (mode == JobMode::Decompress ? std::string("Compressed") : std::string(folders[k])) +
            "\\" + name);
        job.names.push_back(name);
    }
    std::sort(job.paths.begin(), job.paths.end());
    return job;
}

double bestSeconds(const BatchJob& job, std::size_t& size) {
    return bench::bestOf(kRounds, [&] {
        const BatchText text = makeBatchText(job);
        const std::string bytes = batchBytes(text);
        const auto error = platform::writeFileBytes("C:\\UnrealTournament\\uccMake.Bat", bytes);
        if (!text.ok() || error || text.lines.size() != 2 * job.paths.size()) {
            std::fprintf(stderr, "the batch file could not be written: %s\n",
                         error.message.c_str());
            std::exit(1);
        }
        size = bytes.size();
    });
}

double plainWriteSeconds(const fs::path& path, std::size_t size) {
    const std::string bytes(size, 'x');
    return bench::bestOf(kRounds, [&] {
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    });
}

} // namespace

int main() {
    const bench::TempFolder prefix("batch");
    prefix.makePrefix();
    fs::create_directories(prefix.path() / "drive_c" / "UnrealTournament");

    std::size_t compressBytes = 0;
    std::size_t decompressBytes = 0;
    const double compress = bestSeconds(makeJob(JobMode::Compress), compressBytes);
    const double decompress = bestSeconds(makeJob(JobMode::Decompress), decompressBytes);
    const double plain = plainWriteSeconds(prefix.path() / "plain.bin", compressBytes);

    std::printf("batch file for %d files, best of %d: Compress %.1f ms (%zu bytes), Decompress "
                "%.1f ms (%zu bytes); plain write of the same size %.1f ms\n",
                kFiles, kRounds, compress * 1000, compressBytes, decompress * 1000, decompressBytes,
                plain * 1000);
    bench::result("batch_write_10000_compress", compress * 1000, "ms", "<", 100);
    bench::result("batch_write_10000_decompress", decompress * 1000, "ms", "<", 100);
    return 0;
}
