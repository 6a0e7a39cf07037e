#pragma once

namespace platform {

// Ends the process at once with the exit code: standard output and error are flushed, and nothing
// else runs (no destructors, no exit handlers). For a process that must not wait for a thread stuck
// in a system call that may never return; whatever must outlive the process is saved before.
[[noreturn]] void endProcessNow(int code);

} // namespace platform
