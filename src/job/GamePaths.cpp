#include "job/GamePaths.h"

namespace tolvane::gamepaths {

std::string under(std::string_view gameFolder, std::string_view suffix) {
    std::string path(gameFolder);
    path += suffix;
    return path;
}

std::string batchFileWritten(std::string_view gameFolder) {
    return under(gameFolder, "\\uccMake.Bat");
}

std::string batchFileRun(std::string_view gameFolder) {
    return under(gameFolder, "\\uccmake.bat");
}

std::string tool(std::string_view gameFolder) {
    return under(gameFolder, "\\System\\ucc.exe");
}

} // namespace tolvane::gamepaths
