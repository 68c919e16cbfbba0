#include "jet/reader/Confinement.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "jet/ReaderExitCodes.h"

namespace speclore::jet::reader {

namespace {

// Landlock's rights by the ABI version that brought them; Debian 12's
// kernel headers predate the later ones, so they are spelt out here.
constexpr uint64_t kFsRightsAbi1 = (uint64_t{1} << 13) - 1;  // execute .. make_sym
constexpr uint64_t kFsRefer = uint64_t{1} << 13;             // ABI 2
constexpr uint64_t kFsTruncate = uint64_t{1} << 14;          // ABI 3
constexpr uint64_t kFsIoctlDev = uint64_t{1} << 15;          // ABI 5
constexpr uint64_t kNetBindAndConnectTcp = 0x3;              // ABI 4
constexpr uint64_t kScopeUnixSocketAndSignal = 0x3;          // ABI 6

// landlock_ruleset_attr as the newest ABI knows it; older kernels are
// given only the part they know.
struct LandlockRuleset {
    uint64_t handledAccessFs = 0;
    uint64_t handledAccessNet = 0;
    uint64_t scoped = 0;
};

bool restrictWithLandlock() {
    const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1) return false;
    LandlockRuleset ruleset;
    size_t size = sizeof ruleset.handledAccessFs;
    ruleset.handledAccessFs = kFsRightsAbi1;
    if (abi >= 2) ruleset.handledAccessFs |= kFsRefer;
    if (abi >= 3) ruleset.handledAccessFs |= kFsTruncate;
    if (abi >= 5) ruleset.handledAccessFs |= kFsIoctlDev;
    if (abi >= 4) {
        ruleset.handledAccessNet = kNetBindAndConnectTcp;
        size = offsetof(LandlockRuleset, scoped);
    }
    if (abi >= 6) {
        ruleset.scoped = kScopeUnixSocketAndSignal;
        size = sizeof ruleset;
    }
    // No rule is added: every handled access is denied everywhere.
    const int fd = static_cast<int>(::syscall(SYS_landlock_create_ruleset, &ruleset, size, 0));
    if (fd < 0) return false;
    const bool restricted = ::syscall(SYS_landlock_restrict_self, fd, 0) == 0;
    ::close(fd);
    return restricted;
}

class SeccompFilter {
public:
    SeccompFilter() : context_(seccomp_init(SCMP_ACT_KILL_PROCESS)) {}
    ~SeccompFilter() {
        if (context_) seccomp_release(context_);
    }
    SeccompFilter(const SeccompFilter&) = delete;
    SeccompFilter& operator=(const SeccompFilter&) = delete;

    void allow(int call) { add(SCMP_ACT_ALLOW, call, {}); }
    void add(uint32_t action, int call, std::initializer_list<scmp_arg_cmp> conditions) {
        if (context_ &&
            seccomp_rule_add_array(context_, action, call, static_cast<unsigned>(conditions.size()),
                                   conditions.begin()) != 0) {
            failed_ = true;
        }
    }
    bool load() { return context_ && !failed_ && seccomp_load(context_) == 0; }

private:
    scmp_filter_ctx context_;
    bool failed_ = false;
};

// A rule's condition on one argument, every field given: libseccomp's
// SCMP_A* macros leave the second operand of a plain comparison unset.
scmp_arg_cmp argumentEquals(unsigned argument, scmp_datum_t value) {
    return scmp_arg_cmp{argument, SCMP_CMP_EQ, value, 0};
}

scmp_arg_cmp argumentMaskedEquals(unsigned argument, scmp_datum_t mask, scmp_datum_t value) {
    return scmp_arg_cmp{argument, SCMP_CMP_MASKED_EQ, mask, value};
}

bool filterSystemCalls(int databaseFd) {
    SeccompFilter filter;
    filter.add(SCMP_ACT_ALLOW, SCMP_SYS(pread64), {argumentEquals(0, static_cast<scmp_datum_t>(databaseFd))});
    for (int call : {SCMP_SYS(write), SCMP_SYS(writev)}) {
        for (int fd : {STDOUT_FILENO, kReaderNoticeFd}) {
            filter.add(SCMP_ACT_ALLOW, call, {argumentEquals(0, static_cast<scmp_datum_t>(fd))});
        }
        // libmdb prints warnings on standard error as it reads a damaged file.
        for (int fd : {STDIN_FILENO, STDERR_FILENO}) {
            filter.add(SCMP_ACT_ERRNO(EPERM), call, {argumentEquals(0, static_cast<scmp_datum_t>(fd))});
        }
    }
    for (int call : {SCMP_SYS(open), SCMP_SYS(openat), SCMP_SYS(openat2), SCMP_SYS(creat)}) {
        filter.add(SCMP_ACT_ERRNO(EACCES), call, {});
    }
    for (int call : {SCMP_SYS(mmap), SCMP_SYS(mprotect)}) {
        filter.add(SCMP_ACT_ALLOW, call, {argumentMaskedEquals(2, PROT_EXEC, 0)});
    }
    for (int call : {SCMP_SYS(munmap), SCMP_SYS(mremap), SCMP_SYS(madvise), SCMP_SYS(brk), SCMP_SYS(close),
                     SCMP_SYS(futex), SCMP_SYS(exit), SCMP_SYS(exit_group), SCMP_SYS(rt_sigreturn),
                     SCMP_SYS(rt_sigprocmask), SCMP_SYS(getpid), SCMP_SYS(gettid)}) {
        filter.allow(call);
    }
    // abort() raises its signal with tgkill; only at this process.
    filter.add(SCMP_ACT_ALLOW, SCMP_SYS(tgkill), {argumentEquals(0, static_cast<scmp_datum_t>(::getpid()))});
    return filter.load();
}

}  // namespace

std::vector<std::string> confineReader(int databaseFd) {
    std::vector<std::string> missing;
    // Without it neither Landlock nor an unprivileged seccomp filter applies.
    const bool noNewPrivileges = ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
    if (!noNewPrivileges || !restrictWithLandlock()) missing.emplace_back("Landlock");
    if (!noNewPrivileges || !filterSystemCalls(databaseFd)) missing.emplace_back("seccomp");
    return missing;
}

}  // namespace speclore::jet::reader
