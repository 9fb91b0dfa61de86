#include "job/NewPackages.h"

#include "job/GamePaths.h"
#include "job/Job.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/winpath.h"

#include <algorithm>

namespace tolvane {

namespace {

bool isPackage(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    const std::string extension = platform::foldCase(name.substr(dot + 1));
    return extension == "u" || extension == "unr" || extension == "umx" || extension == "uax" ||
           extension == "utx";
}

} // namespace

std::vector<std::string> gamePackages(std::string_view gameFolder) {
    std::vector<std::string> paths;
    for (auto suffix : gamepaths::kPackageFolders) {
        const std::string folder = gamepaths::under(gameFolder, suffix);
        std::vector<platform::FileInfo> entries;
        (void)platform::listFolderKinds(folder, entries);
        std::vector<std::string> names;
        for (const auto& entry : entries) {
            if (!entry.isFolder && isPackage(entry.name) &&
                platform::isUsableWindowsName(entry.name)) {
                names.push_back(entry.name);
            }
        }
        std::sort(names.begin(), names.end());
        for (const auto& name : names) {
            paths.push_back(folder + "\\" + name);
        }
    }
    return paths;
}

BatchJob newPackagesJob(const std::string& gameFolder, const std::string& outputFolder,
                        std::size_t& upToDate) {
    BatchJob batch;
    batch.gameFolder = gameFolder;
    batch.outputFolder = outputFolder;
    batch.mode = JobMode::Compress;
    batch.paths = gamePackages(gameFolder);
    for (const auto& path : batch.paths) {
        batch.names.push_back(platform::fileNameOf(path));
    }
    upToDate = leaveOutDone(batch);
    return batch;
}

} // namespace tolvane
