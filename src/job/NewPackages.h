#pragma once
// A redirect folder brought up to date: every package the server offers whose .uz there is
// missing or older than the package.

#include "job/BatchFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The package files (.u .unr .umx .uax .utx) directly in the game folder's Maps, Music, Sounds,
// Textures and System folders, in that order and by name within each; never a .uz.
std::vector<std::string> gamePackages(std::string_view gameFolder);

// The Compress job over the game's packages into the output folder, without those whose .uz
// there is newer than the package; `upToDate` tells how many were left out.
BatchJob newPackagesJob(const std::string& gameFolder, const std::string& outputFolder,
                        std::size_t& upToDate);

} // namespace tolvane
