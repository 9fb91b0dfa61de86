#include "commands.h"

#include "filesio.h"
#include "platform/hostpath.h"
#include "uz/storedname.h"
#include "uz/uzfile.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <ostream>

namespace fs = std::filesystem;

namespace tolvane::standin {

namespace {

// A .uz file of a file within the size limit is never much larger than it; anything bigger is
// refused before it is read into memory.
constexpr std::size_t kMaxUzFileSize = uz::kMaxDecompressedSize + uz::kMaxDecompressedSize / 4;

const std::uint8_t kPackageTag[] = {0xc1, 0x83, 0x2a, 0x9e};

void fail(Output output, const std::string& subject, const std::string& reason) {
    output.out.flush();
    output.err << "Error: " << subject << ": " << reason << std::endl;
}

// The host file an argument names: the host path as given, else a Windows path through the drive
// mapping of the Wine prefix.
std::optional<fs::path> resolveInput(const std::string& argument, Output output) {
    std::error_code code;
    if (const fs::path given = pathFromUtf8(argument); fs::exists(given, code)) {
        return given;
    }
    if (output.native) {
        return std::nullopt;
    }
    if (auto host = platform::toHostPath(argument); host && fs::exists(*host, code)) {
        return host;
    }
    return std::nullopt;
}

// A name from a file shown on one line: control characters become '?'.
std::string printable(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, '?');
    return text;
}

// How a file is named in the output: the Windows path the user queued when the prefix maps the
// host path back, else the argument as given.
std::string displayName(const std::string& argument, Output output) {
    const fs::path path = pathFromUtf8(argument);
    if (path.is_absolute() && !output.native) {
        if (auto windows = platform::toWindowsPath(path)) {
            return *windows;
        }
    }
    return argument;
}

std::string displayName(const fs::path& path, Output output) {
    return displayName(utf8Of(path), output);
}

std::string percentOf(std::size_t part, std::size_t whole) {
    return std::to_string((part * 100 + whole / 2) / whole) + "%";
}

} // namespace

bool compressFile(const std::string& argument, Output output) {
    return compressFileTo(argument, {}, output);
}

bool compressFileTo(const std::string& argument, const fs::path& resultPlace, Output output) {
    const std::optional<fs::path> source = resolveInput(argument, output);
    if (!source) {
        fail(output, argument, "file not found");
        return false;
    }
    const std::string shown = displayName(argument, output);
    output.out << "Compressing " << shown << "\n";
    const std::string name = utf8Of(source->filename());
    if (auto problem = uz::storedNameProblem(name)) {
        fail(output, argument, "cannot store this file name (" + *problem + ")");
        return false;
    }
    uz::Bytes data;
    std::string error;
    if (!readWholeFile(*source, uz::kMaxCompressibleSize, data, error)) {
        fail(output, argument, error);
        return false;
    }
    if (data.size() < std::size(kPackageTag) ||
        !std::equal(std::begin(kPackageTag), std::end(kPackageTag), data.begin())) {
        output.out << "Note: " << shown
                   << " does not start with the package tag; compressing it anyway\n";
    }
    const uz::Bytes packed = uz::compressUz(data, name);
    fs::path target = resultPlace;
    if (target.empty()) {
        target = *source;
        target += ".uz";
    }
    std::error_code code;
    fs::create_directories(target.parent_path(), code);
    if (!writeFileAtomically(target, packed, error)) {
        fail(output, argument, error);
        return false;
    }
    // What reached the disk is read back and decoded before the file counts as written, so that
    // a damaged write never goes out to players as a good .uz.
    if (!uzFileHolds(target, data, name, error)) {
        fs::remove(target, code);
        fail(output, argument, "the written file did not read back as written: " + error);
        return false;
    }
    if (output.native) {
        output.out << "Compressed " << shown << " -> " << utf8Of(target) << " ("
                   << (data.empty() ? "0%" : percentOf(packed.size(), data.size())) << ")\n";
    } else {
        output.out << "Compressed " << shown << " -> " << shown << ".uz (" << packed.size()
                   << " bytes";
        if (!data.empty()) {
            output.out << ", " << percentOf(packed.size(), data.size());
        }
        output.out << ")\n";
    }
    if (packed.size() > data.size() && !output.native) {
        output.out << "Warning: " << shown << ".uz is larger than its source; game clients "
                   << "before version 469 crash on such files\n";
    }
    output.out.flush();
    return true;
}

bool decompressFile(const std::string& argument, const fs::path& targetFolder, Output output) {
    const std::optional<fs::path> source = resolveInput(argument, output);
    if (!source) {
        fail(output, argument, "file not found");
        return false;
    }
    const std::string shown = displayName(argument, output);
    output.out << "Decompressing " << shown << "\n";
    uz::Bytes file;
    std::string error;
    if (!readWholeFile(*source, kMaxUzFileSize, file, error)) {
        fail(output, argument, error);
        return false;
    }
    uz::UzContents contents;
    try {
        // The name is judged before any decoding work, then the whole file is decoded in memory
        // so that nothing is written for a file that turns out damaged.
        const uz::UzContents header = uz::readUzHeader(file);
        if (auto problem = uz::storedNameProblem(header.name)) {
            fail(output, argument,
                 "unsafe stored file name \"" + printable(header.name) + "\" (" + *problem + ")");
            return false;
        }
        contents = uz::decompressUz(file);
    } catch (const uz::UzError& e) {
        fail(output, argument, std::string("damaged or not a .uz file: ") + e.what());
        return false;
    }
    const fs::path target = targetFolder / pathFromUtf8(contents.name);
    std::error_code code;
    if (fs::equivalent(target, targetFolder / executableName(), code)) {
        fail(output, argument,
             "the stored file name \"" + contents.name + "\" is this tool itself");
        return false;
    }
    if (!writeFileAtomically(target, contents.data, error)) {
        fail(output, argument, error);
        return false;
    }
    output.out << "Decompressed " << shown << " -> " << displayName(target, output) << " ("
               << contents.data.size() << " bytes)\n";
    output.out.flush();
    return true;
}

std::optional<fs::path> gameSystemFolder(std::string& error) {
    const char* given = std::getenv("TOLVANE_GAME_FOLDER");
    std::error_code code;
    std::optional<fs::path> game;
    if (given && *given) {
        game = fs::path(pathFromUtf8(given)).is_absolute() ? pathFromUtf8(given)
                                                           : platform::toHostPath(given);
        if (!game || !fs::is_directory(*game, code)) {
            error = std::string("the game folder ") + given + " does not exist";
            return std::nullopt;
        }
    } else {
        game = fs::current_path(code);
    }
    // The folder of the game's own System in whatever letter case it has.
    fs::path system = *game / "System";
    for (const auto& entry : fs::directory_iterator(*game, code)) {
        if (entry.is_directory(code) &&
            platform::foldCase(utf8Of(entry.path().filename())) == "system") {
            system = entry.path();
        }
    }
    fs::create_directories(system, code);
    if (code || !fs::is_directory(system, code)) {
        error = "the folder " + utf8Of(system) + " cannot be made";
        return std::nullopt;
    }
    if (fs::equivalent(system, executableFolder(), code)) {
        error = "the game's System folder is this tool's own folder";
        return std::nullopt;
    }
    return system;
}

bool uzFileHolds(const fs::path& target, const uz::Bytes& data, const std::string& name,
                 std::string& error) {
    uz::Bytes written;
    if (!readWholeFile(target, kMaxUzFileSize, written, error)) {
        return false;
    }
    try {
        const uz::UzContents contents = uz::decompressUz(written);
        if (contents.name != name || contents.data != data) {
            error = "its contents differ";
            return false;
        }
    } catch (const uz::UzError& e) {
        error = e.what();
        return false;
    }
    return true;
}

} // namespace tolvane::standin
