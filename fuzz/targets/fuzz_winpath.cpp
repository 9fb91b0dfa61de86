// Windows path text. normalizeWinPath must be idempotent and leave no empty, "." or ".."
// component; parentOf must be a normalized prefix of the path that gives the path back with its
// file name; splitComponents must lose nothing but the drive and the first separator.

#include "driver/check.h"
#include "platform/winpath.h"

#include <cstdint>
#include <string>
#include <string_view>

using namespace tolvane::platform;

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

void checkSplit(std::string_view path) {
    const auto parts = splitComponents(path);
    std::string rebuilt;
    std::string_view rest = path;
    if (driveLetterOf(path)) {
        rebuilt += path.substr(0, 2);
        rest.remove_prefix(2);
    }
    if (!rest.empty() && isSeparator(rest.front())) {
        rebuilt += '\\';
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        FUZZ_CHECK(parts[i].find_first_of("\\/") == std::string::npos);
        rebuilt += (i ? "\\" : "") + parts[i];
    }
    std::string expected(path);
    for (char& c : expected) {
        c = c == '/' ? '\\' : c;
    }
    FUZZ_CHECK(rebuilt == expected);
    FUZZ_CHECK(fileNameOf(path) == (parts.empty() ? std::string() : parts.back()));
}

void checkNormal(std::string_view path) {
    const std::string normal = normalizeWinPath(path);
    FUZZ_CHECK(normalizeWinPath(normal) == normal);
    FUZZ_CHECK(normal.find('/') == std::string::npos);
    const char drive = driveLetterOf(path);
    FUZZ_CHECK(driveLetterOf(normal) == drive);
    FUZZ_CHECK(normal.starts_with(drive ? std::string{drive, ':', '\\'} : std::string("\\")));
    const auto parts = splitComponents(normal);
    for (auto& part : parts) {
        FUZZ_CHECK(!part.empty() && part != "." && part != "..");
    }
    // Another spelling of the same path: doubled and forward separators, "." and a detour.
    std::string respelled = drive ? std::string{static_cast<char>(drive | 0x20), ':'} : "";
    for (auto& part : parts) {
        respelled += "/.\\\\" + part + "\\x\\..";
    }
    FUZZ_CHECK(normalizeWinPath(respelled) == normal);
}

void checkParent(std::string_view path) {
    const std::string normal = normalizeWinPath(path);
    const std::string parent = parentOf(path);
    FUZZ_CHECK(parentOf(normal) == parent);
    if (parent.empty()) {
        return;
    }
    FUZZ_CHECK(normalizeWinPath(parent) == parent);
    FUZZ_CHECK(parent.size() < normal.size());
    FUZZ_CHECK(normal.starts_with(parent));
    FUZZ_CHECK(joinFolder(parent, fileNameOf(normal)) == normal);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    checkSplit(path);
    checkNormal(path);
    checkParent(path);
    return 0;
}
