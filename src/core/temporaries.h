// Files and folders that must not outlive the process: the headless tool's scratch folders and
// the hidden temporaries of WriteFileAtomically. A termination signal can end the process at
// any moment, whichever code made the path, so the list is process-wide: the one piece of
// global state outside the window object, kept behind a single mutex.
#pragma once

#include <atomic>
#include <string>

namespace vp {

// mkstemp / mkdtemp on pattern (ending in "XXXXXX", filled in on success), registered under
// the same lock, so that a cleanup running at that moment either removes the new path or
// finishes before it exists. -1 / false when it cannot be made; errno says why.
int MakeTemporaryFile(std::string& pattern);
bool MakeTemporaryFolder(std::string& pattern);

// The path was renamed into place or removed: nothing is left to clean up.
void ForgetTemporary(const std::string& path);

// From now on SIGINT, SIGTERM and SIGHUP remove every registered path (a folder with all it
// holds), then end the process as the signal would have. Call once, before any other thread
// starts: the signals are blocked in every thread and taken by a thread of their own, so the
// removal runs as ordinary code rather than inside a signal handler.
void RemoveTemporariesOnTerminationSignals();

// While one of these lives, the first SIGINT (Ctrl-C) only sets its flag and the process goes
// on, so that a long computation can stop at its next step and write what it has; a second
// SIGINT, or SIGTERM or SIGHUP, ends the process as above. One at a time.
class InterruptRequest {
  public:
    InterruptRequest();
    ~InterruptRequest();
    InterruptRequest(const InterruptRequest&) = delete;
    InterruptRequest& operator=(const InterruptRequest&) = delete;

    const std::atomic<bool>& Flag() const { return flag_; }

  private:
    std::atomic<bool> flag_{false};
};

}  // namespace vp
