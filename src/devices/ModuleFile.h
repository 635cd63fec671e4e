#pragma once

#include <QString>

namespace kwadrill {

// Whether the file at path may be mapped into this process as a module: a
// regular file in a folder that only its owner can change, both owned by
// this user or root and writable by nobody else, an ELF shared object built
// for this machine, and no shorter than its headers say. Mapping a file
// that is cut short kills the process with SIGBUS the moment a missing
// page is touched, so the size is checked here, before dlopen.
// Returns an empty string when it may, else the reason, for the player to
// read after the path.
QString ModuleFileProblem(const QString& path);

}  // namespace kwadrill
