// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded into the program with LD_PRELOAD: every write and sync of a file
// under $ZELVORIN_STALL_UNDER waits for ever, as on a network share that
// stopped answering; with $ZELVORIN_SLOW_SYNC_MS, only each sync waits, that
// long, as on a slow disk.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <string>
#include <unistd.h>

namespace {

bool Stalled(int descriptor)
{
    const char *under = std::getenv("ZELVORIN_STALL_UNDER");
    char path[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
    const ssize_t size = ::readlink(link.c_str(), path, sizeof path - 1);
    return under != nullptr && *under != '\0' && size > 0 && std::strncmp(path, under, std::strlen(under)) == 0;
}

void StallIf(int descriptor)
{
    while (Stalled(descriptor))
        ::pause();
}

template<typename Function>
Function Next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" ssize_t write(int descriptor, const void *bytes, size_t size)
{
    if (std::getenv("ZELVORIN_SLOW_SYNC_MS") == nullptr)
        StallIf(descriptor);
    return Next<decltype(&write)>("write")(descriptor, bytes, size);
}

extern "C" int fsync(int descriptor)
{
    if (const char *slow = std::getenv("ZELVORIN_SLOW_SYNC_MS"); slow != nullptr && Stalled(descriptor))
        ::usleep(std::atoi(slow) * 1000);
    else
        StallIf(descriptor);
    return Next<decltype(&fsync)>("fsync")(descriptor);
}
