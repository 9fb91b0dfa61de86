#pragma once
// Ways to make writes fail for a test even when it runs as root, who is never refused by
// permissions alone: give up the capability to override them for a while, or set a file size
// limit, which makes every write past it fail as a full disk would (for this process and every
// program it starts).

#include <csignal>
#include <cstdint>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tolvane::test {

// While it lives, the calling thread (and the programs it starts) is held to file permissions
// even as root. Without root the permissions hold anyway.
class PermissionsEnforced {
public:
    PermissionsEnforced() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (::geteuid() != 0 || ::syscall(SYS_capget, &header_, saved_) != 0) {
            return;
        }
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        }
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~PermissionsEnforced() {
        if (active_) {
            ::syscall(SYS_capset, &header_, saved_);
        }
    }
    // False when running as root and the override could not be given up.
    bool holds() const { return ::geteuid() != 0 || active_; }

    PermissionsEnforced(const PermissionsEnforced&) = delete;
    PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

// While it lives, no file can grow past `bytes`: writes beyond fail with "File too large", as on a
// full disk, rather than ending the writer with a signal.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace tolvane::test
