#pragma once
// A second person for the tests of file ownership and permissions: the user
// "frameloom-test", made with useradd when missing (which needs root), and a
// scope that acts as that user (effective ids and no supplementary groups).

#include "support/ShellRun.h"

#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

struct TTestUser {
    uid_t Uid = 0;
    gid_t Gid = 0;
};

// False when not root or the user cannot be made; the caller skips then.
inline bool FindTestUser(TTestUser& user) {
    if (::geteuid() != 0) return false;
    passwd* entry = ::getpwnam("frameloom-test");
    if (!entry) {
        RunShell("useradd --system --no-create-home --shell /usr/sbin/nologin frameloom-test");
        entry = ::getpwnam("frameloom-test");
    }
    if (!entry) return false;
    user.Uid = entry->pw_uid;
    user.Gid = entry->pw_gid;
    return true;
}

// Acts as user until the end of the scope (root only).
class TActAs {
  public:
    explicit TActAs(const TTestUser& user) {
        const int count = ::getgroups(0, nullptr);
        FGroups.resize(std::size_t(count > 0 ? count : 0));
        if (count > 0) ::getgroups(count, FGroups.data());
        FOk = ::setgroups(0, nullptr) == 0 && ::setegid(user.Gid) == 0 && ::seteuid(user.Uid) == 0;
    }
    ~TActAs() {
        ::seteuid(0);
        ::setegid(0);
        ::setgroups(FGroups.size(), FGroups.data());
    }
    TActAs(const TActAs&) = delete;
    TActAs& operator=(const TActAs&) = delete;
    bool Ok() const { return FOk; }

  private:
    std::vector<gid_t> FGroups;
    bool FOk = false;
};
