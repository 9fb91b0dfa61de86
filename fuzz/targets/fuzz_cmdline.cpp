// The batch file writer and the bundled interpreter must agree: any fields the writer can name
// come back from the interpreter's line parser exactly as they went in, whatever characters
// they hold. And no line, however odd, may upset the parser.

#include "driver/check.h"
#include "job/BatchFile.h"
#include "lineparser.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::optional<std::string> fixedVariables(std::string_view name) {
    if (name == "GAME") {
        return std::string("C:\\Unreal Tournament");
    }
    return std::nullopt;
}

bool writable(std::string_view field) {
    if (field.empty()) {
        return false;
    }
    for (char c : field) {
        if (c == '"' || static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Any line: no crash, and quotes never survive into a field (the variables hold none).
    for (const auto& field : tolvane::cmd::splitFields(text, fixedVariables)) {
        FUZZ_CHECK(field.find('"') == std::string::npos);
    }

    // Fields separated by NUL bytes, written as the batch writer writes them, read back intact.
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\0', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view field = text.substr(start, end - start);
        if (writable(field)) {
            fields.emplace_back(field);
        }
        start = end + 1;
    }
    std::string line = "Move";
    for (const auto& field : fields) {
        line += ' ' + tolvane::batchField(field);
    }
    const auto parsed = tolvane::cmd::splitFields(line, fixedVariables);
    FUZZ_CHECK(parsed.size() == fields.size() + 1);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        FUZZ_CHECK(parsed[i + 1] == fields[i]);
    }
    return 0;
}
