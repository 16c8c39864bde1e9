#include "bootfile/removeOnSignal.h"

#include <atomic>
#include <cassert>
#include <csignal>
#include <unistd.h>

namespace {

const int ending[] = {SIGINT, SIGTERM, SIGHUP};
const int endingCount = sizeof ending / sizeof ending[0];

// The handler may run on any thread: the save deflates and checks on others.
static_assert(std::atomic<const char *>::is_always_lock_free, "the handler reads the path without a lock");
std::atomic<const char *> armedPath{nullptr};
volatile sig_atomic_t holding = 0;
volatile sig_atomic_t held = 0;
bool installed = false;
struct sigaction previous[endingCount];
bool replaced[endingCount];

// Only async-signal-safe calls: this also runs inside the handler.
void removeAndEnd(int signalNumber)
{
    if (const char *path = armedPath.load())
        unlink(path);
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signalNumber, &fallback, nullptr);
    // Blocked while its handler runs, it ends the process as soon as the
    // handler returns.
    raise(signalNumber);
}

extern "C" void onEndingSignal(int signalNumber)
{
    if (holding) {
        held = signalNumber;
        return;
    }
    removeAndEnd(signalNumber);
}

} // namespace

removeOnSignal_t::removeOnSignal_t()
{
    assert(!installed);
    installed = true;
    holding = 1;
    held = 0;
    struct sigaction action = {};
    action.sa_handler = onEndingSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : ending)
        sigaddset(&action.sa_mask, signalNumber);
    for (int i = 0; i < endingCount; ++i) {
        replaced[i] = false;
        if (sigaction(ending[i], nullptr, &previous[i]) != 0 || previous[i].sa_handler == SIG_IGN)
            continue;
        replaced[i] = sigaction(ending[i], &action, nullptr) == 0;
    }
}

removeOnSignal_t::~removeOnSignal_t()
{
    for (int i = 0; i < endingCount; ++i)
        if (replaced[i])
            sigaction(ending[i], &previous[i], nullptr);
    armedPath.store(nullptr);
    installed = false;
    if (const int signalNumber = held) {
        held = 0;
        raise(signalNumber);
    }
}

void removeOnSignal_t::Arm(const char *path)
{
    armedPath.store(path);
    holding = 0;
    if (const int signalNumber = held)
        removeAndEnd(signalNumber);
}

void removeOnSignal_t::Disarm() { armedPath.store(nullptr); }
