#include "platform/posix/foldernames.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <unordered_map>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

constexpr std::uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                   IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// Whether every change to the folder's file system passes through this system, and so is
// reported: not so on a network share, where another computer may change the folder.
bool changesAreReported(int folder) {
    struct statfs system {};
    if (::fstatfs(folder, &system) != 0) {
        return false;
    }
    constexpr unsigned long kNotReported[] = {
        0x6969,     // NFS
        0xFF534D42, // CIFS
        0xFE534D42, // SMB2
        0x517B,     // SMB
        0x65735546, // FUSE (sshfs and the like)
        0x01021997, // 9P
        0x00C36400, // Ceph
        0x5346414F, // AFS
    };
    const auto type = static_cast<unsigned long>(system.f_type);
    return std::find(std::begin(kNotReported), std::end(kNotReported), type) ==
           std::end(kNotReported);
}

struct Folder {
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<std::string> paths; // the host paths it was looked up by
    std::unordered_map<std::string, std::vector<std::string>> byFolded; // names as listed
};

struct Remembered {
    int notices = -1;                        // the change-notice descriptor
    std::unordered_map<int, Folder> byWatch; // by watch descriptor
    std::unordered_map<std::string, int> watchOfPath;

    void forget(int watch) {
        const auto it = byWatch.find(watch);
        if (it == byWatch.end()) {
            return;
        }
        for (const auto& path : it->second.paths) {
            watchOfPath.erase(path);
        }
        byWatch.erase(it);
        ::inotify_rm_watch(notices, watch);
    }
    void forgetAll() {
        while (!byWatch.empty()) {
            forget(byWatch.begin()->first);
        }
    }

    // Takes in every change reported so far. A change is reported when it is made, so whatever
    // anybody did before this call is known after it.
    void applyNotices() {
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            const ssize_t got = ::read(notices, buffer, sizeof buffer);
            if (got <= 0) {
                return;
            }
            for (ssize_t at = 0; at < got;) {
                inotify_event event;
                std::memcpy(&event, buffer + at, sizeof event);
                const char* name = buffer + at + sizeof event;
                at += static_cast<ssize_t>(sizeof event + event.len);
                if (event.mask & IN_Q_OVERFLOW) {
                    forgetAll(); // changes were lost: read every folder again
                    continue;
                }
                if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) {
                    forget(event.wd);
                    continue;
                }
                const auto folder = byWatch.find(event.wd);
                if (folder == byWatch.end() || event.len == 0) {
                    continue;
                }
                const std::string entry(name, ::strnlen(name, event.len));
                auto& names = folder->second.byFolded[foldCase(entry)];
                names.erase(std::remove(names.begin(), names.end(), entry), names.end());
                if (event.mask & (IN_CREATE | IN_MOVED_TO)) {
                    names.push_back(entry);
                }
            }
        }
    }

    // Starts following the folder, then reads it: a change made while it is read is reported
    // and taken in later, so nothing slips between the two.
    Folder* follow(const std::string& path, const struct stat& before) {
        const int watch = ::inotify_add_watch(notices, path.c_str(), kChanges);
        if (watch < 0) {
            return nullptr;
        }
        if (const auto known = byWatch.find(watch); known != byWatch.end()) {
            // The same folder by another path.
            known->second.paths.push_back(path);
            watchOfPath[path] = watch;
            return &known->second;
        }
        DIR* listing = ::opendir(path.c_str());
        struct stat listed {};
        if (!listing || ::fstat(::dirfd(listing), &listed) != 0 || listed.st_dev != before.st_dev ||
            listed.st_ino != before.st_ino || !changesAreReported(::dirfd(listing))) {
            if (listing) {
                ::closedir(listing);
            }
            ::inotify_rm_watch(notices, watch);
            return nullptr;
        }
        Folder& folder = byWatch[watch];
        folder.device = listed.st_dev;
        folder.inode = listed.st_ino;
        folder.paths.push_back(path);
        while (const dirent* entry = ::readdir(listing)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                folder.byFolded[foldCase(entry->d_name)].emplace_back(entry->d_name);
            }
        }
        ::closedir(listing);
        watchOfPath[path] = watch;
        return &folder;
    }
};

Remembered& remembered() {
    static Remembered state;
    return state;
}

} // namespace

void rememberFolderEntries() {
    Remembered& state = remembered();
    if (state.notices < 0) {
        state.notices = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    }
}

bool findRememberedEntry(const std::filesystem::path& folder, std::string_view folded,
                         std::optional<std::string>& found) {
    Remembered& state = remembered();
    if (state.notices < 0) {
        return false;
    }
    state.applyNotices();
    struct stat now {};
    if (::stat(folder.c_str(), &now) != 0 || !S_ISDIR(now.st_mode)) {
        return false;
    }
    // A path may lead to another folder than before, when a folder above it was renamed.
    Folder* known = nullptr;
    if (const auto it = state.watchOfPath.find(folder.native()); it != state.watchOfPath.end()) {
        Folder& candidate = state.byWatch.at(it->second);
        if (candidate.device == now.st_dev && candidate.inode == now.st_ino) {
            known = &candidate;
        } else {
            state.forget(it->second);
        }
    }
    if (!known) {
        known = state.follow(folder.native(), now);
        if (!known) {
            return false;
        }
    }
    found.reset();
    if (const auto match = known->byFolded.find(std::string(folded));
        match != known->byFolded.end() && !match->second.empty()) {
        found = match->second.front();
    }
    return true;
}

} // namespace tolvane::platform
