#include "platform/posix/foldernames.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <unordered_map>
#include <utility>
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

// A folder is known by its identity on the host, not by a path: a path may lead to another
// folder than before, when the folder or one above it was renamed.
using Identity = std::pair<dev_t, ino_t>;

struct Folder {
    std::unordered_map<std::string, std::vector<std::string>> byFolded; // names as listed
};

struct Remembered {
    int notices = -1; // the change-notice descriptor
    std::map<Identity, Folder> byIdentity;
    std::unordered_map<int, Identity> identityOfWatch;

    void forget(int watch) {
        const auto it = identityOfWatch.find(watch);
        if (it == identityOfWatch.end()) {
            return;
        }
        byIdentity.erase(it->second);
        identityOfWatch.erase(it);
        ::inotify_rm_watch(notices, watch);
    }
    void forgetAll() {
        while (!identityOfWatch.empty()) {
            forget(identityOfWatch.begin()->first);
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
                const auto identity = identityOfWatch.find(event.wd);
                if (identity == identityOfWatch.end() || event.len == 0) {
                    continue;
                }
                const std::string entry(name, ::strnlen(name, event.len));
                auto& names = byIdentity.at(identity->second).byFolded[foldCase(entry)];
                names.erase(std::remove(names.begin(), names.end(), entry), names.end());
                if (event.mask & (IN_CREATE | IN_MOVED_TO)) {
                    names.push_back(entry);
                }
            }
        }
    }

    // Starts following the folder, then reads it: a change made while it is read is reported
    // and taken in later, so nothing slips between the two.
    Folder* follow(const std::string& path, const Identity& identity) {
        const int watch = ::inotify_add_watch(notices, path.c_str(), kChanges);
        if (watch < 0) {
            return nullptr;
        }
        DIR* listing = ::opendir(path.c_str());
        struct stat listed {};
        if (!listing || ::fstat(::dirfd(listing), &listed) != 0 ||
            Identity(listed.st_dev, listed.st_ino) != identity ||
            !changesAreReported(::dirfd(listing))) {
            if (listing) {
                ::closedir(listing);
            }
            ::inotify_rm_watch(notices, watch);
            return nullptr;
        }
        Folder& folder = byIdentity[identity];
        identityOfWatch[watch] = identity;
        while (const dirent* entry = ::readdir(listing)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                folder.byFolded[foldCase(entry->d_name)].emplace_back(entry->d_name);
            }
        }
        ::closedir(listing);
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
    const Identity identity(now.st_dev, now.st_ino);
    const auto known = state.byIdentity.find(identity);
    const Folder* entries =
        known != state.byIdentity.end() ? &known->second : state.follow(folder.native(), identity);
    if (!entries) {
        return false;
    }
    found.reset();
    if (const auto match = entries->byFolded.find(std::string(folded));
        match != entries->byFolded.end() && !match->second.empty()) {
        found = match->second.front();
    }
    return true;
}

} // namespace tolvane::platform
