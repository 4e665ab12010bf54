#include "diag/account.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace koru::diag {

std::string loggedOnUserName() {
    if (passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name) return entry->pw_name;
    if (const char* user = std::getenv("USER")) return user;
    return {};
}

std::string computerName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;  // cut at the first NUL
}

}  // namespace koru::diag
