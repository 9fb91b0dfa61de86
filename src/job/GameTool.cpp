#include "job/GameTool.h"

#include "common/HelperPrograms.h"
#include "job/GamePaths.h"
#include "platform/files.h"

namespace tolvane {

std::string GameTool::resultOf(std::string_view name) const {
    std::string path = resultFolder;
    path += '\\';
    path += name;
    return path;
}

GameTool windowsTool(std::string_view gameFolder) {
    return {gamepaths::tool(gameFolder), gamepaths::under(gameFolder, "\\system"), false};
}

std::vector<std::string_view> nativeToolSuffixes() {
#if defined(_WIN32)
    return {};
#elif defined(__x86_64__)
    return {"\\System64\\ucc-bin-amd64", "\\System64\\ucc-bin"};
#elif defined(__aarch64__)
    return {"\\SystemARM64\\ucc-bin-arm64"};
#elif defined(__i386__)
    return {"\\System\\ucc-bin-x86", "\\System\\ucc-bin"};
#else
    return {};
#endif
}

std::optional<GameTool> nativeTool(std::string_view gameFolder) {
    if (gameFolder.empty()) {
        return std::nullopt;
    }
    for (std::string_view suffix : nativeToolSuffixes()) {
        std::string program = gamepaths::under(gameFolder, suffix);
        if (platform::fileExists(program)) {
            std::string folder = program.substr(0, program.rfind('\\'));
            return GameTool{std::move(program), std::move(folder), true};
        }
    }
    return std::nullopt;
}

std::optional<GameTool> ownTool(std::string_view gameFolder) {
    auto program = ownToolProgram();
    if (!program) {
        return std::nullopt;
    }
    return GameTool{std::move(*program), gamepaths::under(gameFolder, gamepaths::kSystem), false};
}

bool isOwnTool(const GameTool& tool) {
    const auto program = ownToolProgram();
    return program && tool.program == *program;
}

GameTool gameTool(std::string_view gameFolder, ToolChoice choice) {
    GameTool windows = windowsTool(gameFolder);
    if (!choice.preferOwn) {
        const bool hasWindowsTool = platform::fileExists(windows.program);
        if (hasWindowsTool && !choice.interpreterStartsLinuxPrograms) {
            return windows;
        }
        if (auto native = nativeTool(gameFolder)) {
            return *native;
        }
        if (hasWindowsTool) {
            return windows;
        }
    }
    return ownTool(gameFolder).value_or(std::move(windows));
}

} // namespace tolvane
