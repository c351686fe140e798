#include "core/temporaries.h"

#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace vp {
namespace {

struct Registry {
    std::mutex mutex;
    std::vector<std::string> paths;
    std::atomic<bool>* interrupt = nullptr;  // the live InterruptRequest's flag
};

// Never destroyed: the signal thread may still need it while the process runs its exit.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

void Register(const std::string& path) {
    TheRegistry().paths.push_back(path);
}

void RemoveAndEnd(int signal) {
    Registry& registry = TheRegistry();
    registry.mutex.lock();  // kept to the end: nothing new is made once the removal has begun
    for (const std::string& path : registry.paths) {
        // The main thread may still be writing into a folder: another pass takes what it added.
        for (int pass = 0; pass < 3; ++pass) {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
            if (!ec) break;
        }
    }
    ::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

}  // namespace

int MakeTemporaryFile(std::string& pattern) {
    std::lock_guard<std::mutex> lock(TheRegistry().mutex);
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0) Register(pattern);
    return fd;
}

bool MakeTemporaryFolder(std::string& pattern) {
    std::lock_guard<std::mutex> lock(TheRegistry().mutex);
    if (!::mkdtemp(pattern.data())) return false;
    Register(pattern);
    return true;
}

void ForgetTemporary(const std::string& path) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = std::find(registry.paths.rbegin(), registry.paths.rend(), path);
    if (found != registry.paths.rend()) registry.paths.erase(std::next(found).base());
}

void RemoveTemporariesOnTerminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals] {
        for (;;) {
            int signal = 0;
            if (sigwait(&signals, &signal) != 0) continue;
            if (signal == SIGINT) {
                Registry& registry = TheRegistry();
                std::lock_guard<std::mutex> lock(registry.mutex);
                if (registry.interrupt && !registry.interrupt->exchange(true)) continue;
            }
            RemoveAndEnd(signal);
        }
    }).detach();
}

InterruptRequest::InterruptRequest() {
    std::lock_guard<std::mutex> lock(TheRegistry().mutex);
    TheRegistry().interrupt = &flag_;
}

InterruptRequest::~InterruptRequest() {
    std::lock_guard<std::mutex> lock(TheRegistry().mutex);
    if (TheRegistry().interrupt == &flag_) TheRegistry().interrupt = nullptr;
}

}  // namespace vp
