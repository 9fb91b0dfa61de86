#include "job/BatchFile.h"

#include "job/GamePaths.h"
#include "platform/codepage.h"

namespace tolvane {

namespace {

constexpr std::string_view kNeedsQuotes = " \t&()[]{}^=;!'+,`~<>|";

bool representable(std::string_view text) {
    // A double quote or a control character cannot stand inside a quoted field.
    for (char c : text) {
        if (c == '"' || (static_cast<unsigned char>(c) < 0x20)) {
            return false;
        }
    }
    return platform::utf8ToNarrow(text).has_value();
}

} // namespace

std::optional<std::string> decompressedName(std::string_view name) {
    auto pos = name.rfind(".uz");
    if (pos == std::string_view::npos) {
        std::string lowered(name);
        for (char& c : lowered) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c + 32);
            }
        }
        pos = lowered.rfind(".uz");
    }
    if (pos == std::string_view::npos || pos == 0) {
        return std::nullopt;
    }
    return std::string(name.substr(0, pos));
}

std::string batchField(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        out += c;
        if (c == '%') {
            out += '%';
        }
    }
    if (text.find_first_of(kNeedsQuotes) != std::string_view::npos) {
        return '"' + out + '"';
    }
    return out;
}

std::string BatchJob::resultsFolder() const {
    if (!outputFolder.empty()) {
        return outputFolder;
    }
    return gamepaths::under(gameFolder, mode == JobMode::Compress ? gamepaths::kCompressed
                                                                  : gamepaths::kDecompressed);
}

BatchText makeBatchText(const BatchJob& job) {
    BatchText text;
    const std::string& g = job.gameFolder;
    const GameTool gameTool = job.toolToRun();
    const std::string tool = batchField(gameTool.program) + " ";
    const bool compress = job.mode == JobMode::Compress;
    // A native tool takes exactly one file; -nohomedir after it keeps a decompressed file in the
    // tool's own folder, where the Move line looks for it.
    const std::string after = !compress && gameTool.native ? " -nohomedir" : "";
    const std::string verb = compress ? "Compress " : "Decompress ";

    for (const auto& path : job.paths) {
        if (!representable(path)) {
            text.notRepresentable.push_back(path);
        }
    }
    if (!representable(g)) {
        text.notRepresentable.push_back(g);
    }
    for (const auto& path : job.paths) {
        text.lines.push_back(tool + verb + batchField(path) + after);
    }
    if (compress) {
        const std::string target = batchField(job.resultsFolder());
        for (const auto& path : job.paths) {
            text.lines.push_back("Move " + batchField(path + ".uz") + " " + target);
        }
    } else {
        const std::string target = batchField(job.resultsFolder());
        for (const auto& name : job.names) {
            auto base = decompressedName(name);
            if (!base) {
                text.notCompressed.push_back(name);
                continue;
            }
            text.lines.push_back("Move " + batchField(gameTool.resultOf(*base)) + " " + target);
        }
    }
    if (!text.ok()) {
        text.lines.clear();
    }
    return text;
}

std::string batchBytes(const BatchText& text) {
    std::string bytes;
    for (const auto& line : text.lines) {
        bytes += platform::utf8ToNarrow(line).value_or(std::string());
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace tolvane
