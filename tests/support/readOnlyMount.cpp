#include "support/readOnlyMount.h"

#include <sched.h>
#include <sys/mount.h>

bool mountReadOnlyInPrivateNamespace(const std::string &directory)
{
    // The namespace's mounts are made private first, so the bind mount does
    // not propagate back into the namespace the tests run in.
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount(directory.c_str(), directory.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
           mount(nullptr, directory.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
