// The batch file writer and the bundled interpreter must agree: fields the writer can name (here
// the input cut at NUL bytes) come back from the interpreter's parser exactly as they went in. And
// no line, however odd, upsets the parser or leaves a quote in a field.

#include "check.h"
#include "job/BatchFile.h"
#include "lineparser.h"

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto noVariables = [](std::string_view) { return std::optional<std::string>(); };
    for (const auto& field : tolvane::cmd::splitFields(text, noVariables)) {
        FUZZ_CHECK(field.find('"') == std::string::npos);
    }

    std::vector<std::string> fields;
    std::string line = "Move";
    for (std::size_t start = 0, end = 0; start <= text.size(); start = end + 1) {
        end = std::min(text.find('\0', start), text.size());
        const std::string_view field = text.substr(start, end - start);
        if (!field.empty() && std::none_of(field.begin(), field.end(),
                                           [](unsigned char c) { return c == '"' || c < 0x20; })) {
            fields.emplace_back(field);
            line += ' ' + tolvane::batchField(field);
        }
    }
    const auto parsed = tolvane::cmd::splitFields(line, noVariables);
    FUZZ_CHECK(parsed.size() == fields.size() + 1 &&
               std::equal(fields.begin(), fields.end(), parsed.begin() + 1));
    return 0;
}
