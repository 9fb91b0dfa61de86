#pragma once
// What the reliability tests look at after a job: the files of a folder, the batch file left
// behind, and files that a command smuggled in through a file name would have made.

#include <QListWidget>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace tolvane::test {

inline std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// The batch file, or the temporary file it is written through, in any letter case.
inline std::vector<std::string> batchFilesIn(const std::filesystem::path& game) {
    std::vector<std::string> found;
    for (const auto& name : namesIn(game)) {
        std::string lower = name;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (lower.find("uccmake.bat") != std::string::npos) {
            found.push_back(name);
        }
    }
    return found;
}

// Files named as an injected command would name them, below `root` (links not followed).
inline std::vector<std::string> planted(const std::filesystem::path& root,
                                        const std::set<std::string>& names) {
    std::vector<std::string> found;
    std::error_code code;
    for (auto it = std::filesystem::recursive_directory_iterator(
             root, std::filesystem::directory_options::skip_permission_denied, code);
         it != std::filesystem::recursive_directory_iterator(); it.increment(code)) {
        if (code) {
            break;
        }
        if (names.count(it->path().filename().string())) {
            found.push_back(it->path().string());
        }
    }
    return found;
}

inline QStringList entriesOf(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        out << list->item(i)->text();
    }
    return out;
}

} // namespace tolvane::test
