// A small stand-in for libFuzzer, linked into the fuzz targets when they are built with GCC: it
// runs every seed file, then a fixed number of inputs made by mutating the seeds with a fixed
// seed, and prints one closing line with the figures. It takes the libFuzzer flags it knows
// (-runs=, -seed=, -dict=, -max_len=, -artifact_prefix=), so commands carry over between both.

#include "check.h"
#include "dictionary.h"
#include "mutator.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Present only when a sanitizer runtime is linked in.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {
namespace fs = std::filesystem;

constexpr int kMaxReportedFailures = 20;

// What a crash handler needs, prepared before any input runs (handlers may not allocate).
const std::string* currentInput = nullptr;
std::string crashPath;

void saveCurrentInput() {
    if (!currentInput) {
        return;
    }
    int fd = ::open(crashPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        [[maybe_unused]] auto written = ::write(fd, currentInput->data(), currentInput->size());
        ::close(fd);
    }
    constexpr char note[] = "\nfuzz driver: the input that crashed is saved as ";
    [[maybe_unused]] auto a = ::write(2, note, sizeof note - 1);
    [[maybe_unused]] auto b = ::write(2, crashPath.c_str(), crashPath.size());
    [[maybe_unused]] auto c = ::write(2, "\n", 1);
    currentInput = nullptr;
}

void onFatalSignal(int signal) {
    saveCurrentInput();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A printable preview of an input for the log.
std::string preview(const std::string& data) {
    std::string out;
    for (std::size_t i = 0; i < data.size() && i < 300; ++i) {
        auto c = static_cast<unsigned char>(data[i]);
        if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return data.size() > 300 ? out + "..." : out;
}

struct Options {
    long long runs = 1000;
    std::uint64_t seed = 1;
    std::size_t maxLength = 4096;
    std::string dictionary;
    std::string artifactPrefix;
    std::vector<fs::path> inputs;
};

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto valueOf = [&](std::string_view flag) { return arg.substr(flag.size()); };
        if (arg.starts_with("-runs=")) {
            options.runs = std::stoll(valueOf("-runs="));
        } else if (arg.starts_with("-seed=")) {
            options.seed = std::stoull(valueOf("-seed="));
        } else if (arg.starts_with("-max_len=")) {
            options.maxLength = std::stoull(valueOf("-max_len="));
        } else if (arg.starts_with("-dict=")) {
            options.dictionary = valueOf("-dict=");
        } else if (arg.starts_with("-artifact_prefix=")) {
            options.artifactPrefix = valueOf("-artifact_prefix=");
        } else if (arg.starts_with("-")) {
            std::cerr << "fuzz driver: unknown option " << arg << '\n';
            return false;
        } else {
            options.inputs.emplace_back(arg);
        }
    }
    return true;
}

// Every file named, and every file inside the folders named, in name order. Nothing when a
// name does not exist: a mistyped seed folder must not pass as an empty one.
std::optional<std::vector<std::string>> loadCorpus(const std::vector<fs::path>& inputs) {
    std::vector<fs::path> files;
    for (auto& input : inputs) {
        if (!fs::exists(input)) {
            std::cerr << "fuzz driver: " << input.string() << " does not exist\n";
            return std::nullopt;
        }
        if (fs::is_directory(input)) {
            std::vector<fs::path> inFolder;
            for (auto& entry : fs::directory_iterator(input)) {
                if (entry.is_regular_file()) {
                    inFolder.push_back(entry.path());
                }
            }
            std::sort(inFolder.begin(), inFolder.end());
            files.insert(files.end(), inFolder.begin(), inFolder.end());
        } else {
            files.push_back(input);
        }
    }
    std::vector<std::string> corpus;
    for (auto& file : files) {
        corpus.push_back(readFile(file));
    }
    return corpus;
}

} // namespace

int main(int argc, char** argv) {
    const std::string name = fs::path(argv[0]).filename().string();
    Options options;
    if (!parseOptions(argc, argv, options)) {
        return 2;
    }
    std::vector<std::string> tokens;
    if (!options.dictionary.empty()) {
        int badLine = 0;
        auto parsed = tolvane::fuzz::parseDictionary(readFile(options.dictionary), &badLine);
        if (!parsed) {
            std::cerr << "fuzz driver: " << options.dictionary << ":" << badLine
                      << ": not a dictionary line\n";
            return 2;
        }
        tokens = std::move(*parsed);
    }
    const auto loaded = loadCorpus(options.inputs);
    if (!loaded) {
        return 2;
    }
    const std::vector<std::string>& corpus = *loaded;

    crashPath = options.artifactPrefix + "crash-" + name;
    if (__sanitizer_set_death_callback) {
        __sanitizer_set_death_callback(saveCurrentInput);
    }
    for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) {
        std::signal(signal, onFatalSignal);
    }

    long long count = 0;
    int failures = 0;
    auto runOne = [&](const std::string& input) {
        ++count;
        currentInput = &input;
        std::string failure;
        try {
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()),
                                   input.size());
        } catch (const tolvane::fuzz::PropertyFailure& e) {
            failure = e.what();
        } catch (const std::exception& e) {
            failure = std::string("unexpected exception: ") + e.what();
        }
        currentInput = nullptr;
        if (failure.empty()) {
            return;
        }
        ++failures;
        std::string path =
            options.artifactPrefix + "failure-" + name + "-" + std::to_string(failures);
        std::ofstream(path, std::ios::binary) << input;
        std::cerr << name << ": " << failure << "\n  input (saved as " << path
                  << "): " << preview(input) << '\n';
    };

    const auto start = std::chrono::steady_clock::now();
    for (auto& entry : corpus) {
        runOne(entry);
    }
    tolvane::fuzz::Mutator mutator(options.seed, corpus, tokens, options.maxLength);
    for (long long i = 0; i < options.runs && failures < kMaxReportedFailures; ++i) {
        runOne(mutator.next());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %lld inputs, %d failures, %.1f s\n", name.c_str(), count, failures, seconds);
    return failures ? 1 : 0;
}
