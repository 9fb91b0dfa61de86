#pragma once
// Why a job must not run. Each reason is found before anything is written or run.

#include "job/Job.h"

#include <optional>
#include <string>

namespace tolvane {

inline constexpr const char* kGameFolderMissing =
    "The game folder could not be found. Is the game installed?";

struct Refusal {
    std::string text;
    bool stop = false; // shown with the stop icon
};

// The first reason the job must not run, or nothing when it may.
std::optional<Refusal> preflight(const Job& job);

} // namespace tolvane
