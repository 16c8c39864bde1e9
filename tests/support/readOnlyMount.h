// Making a directory read-only even for root, who is not stopped by
// permission bits.
#pragma once

#include <string>

/// In the calling process only: moves it into a mount namespace of its own
/// and mounts `directory` read-only there. False when the system allows
/// none of that (no privilege, or a root that is not a mount point, as in a
/// chroot); the caller then skips its test. Call it in a child process.
bool mountReadOnlyInPrivateNamespace(const std::string &directory);
