#pragma once

#include <vector>

#include "platform/system.h"

namespace tn {

// The processes of this machine, read from /proc.
//
// list(): one entry per numbered folder of /proc, with the target of its "exe" link: the file the
// process was started from, which for a program run by an interpreter or a compatibility layer is
// that interpreter or layer, never the name the process gives itself. Kernel threads, zombies and
// processes this user may not inspect get an empty path. A process whose executable file was
// deleted or replaced since it started (an update renames a new file over the old) is listed under
// the path it was started from: the kernel's " (deleted)" mark is removed when the file really has
// no name left, and kept when it is part of an existing file's name.
//
// terminate(pid): sends SIGKILL and returns whether the signal was delivered. It refuses, returning
// false, every pid below 2 (0 and the negative numbers would reach whole process groups or every
// process, 1 is init) and the shell's own pid.
class LinuxProcesses final : public IProcesses {
public:
    std::vector<Process> list() override;
    bool terminate(int pid) override;
};

}  // namespace tn
