#include "base/secondThread.h"

#include <pthread.h>
#include <sched.h>

namespace {

cpu_set_t allowedCpus()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        CPU_ZERO(&allowed);
    return allowed;
}

} // namespace

secondThread_t::secondThread_t() : allowed(allowedCpus()), thread(&secondThread_t::Run, this) {}

void secondThread_t::KeepOffCallersCpu()
{
    const int cpu = sched_getcpu();
    if (cpu < 0 || cpu == keptOff || CPU_COUNT(&allowed) < 2 || !CPU_ISSET(cpu, &allowed))
        return;
    cpu_set_t others = allowed;
    CPU_CLR(cpu, &others);
    if (pthread_setaffinity_np(thread.native_handle(), sizeof others, &others) == 0)
        keptOff = cpu;
}

secondThread_t::~secondThread_t()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

bool secondThread_t::Start(const std::function<void()> *work)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (taken)
            return false;
        taken = true;
        KeepOffCallersCpu();
        task = work;
        running = true;
        failure = nullptr;
    }
    changed.notify_all();
    return true;
}

std::exception_ptr secondThread_t::Finish()
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return !running; });
    taken = false;
    return failure;
}

void secondThread_t::Run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [&] { return stopping || task != nullptr; });
        if (task == nullptr)
            return;
        const std::function<void()> *work = task;
        task = nullptr;
        lock.unlock();
        std::exception_ptr failed;
        try {
            (*work)();
        } catch (...) {
            failed = std::current_exception();
        }
        lock.lock();
        failure = failed;
        running = false;
        changed.notify_all();
    }
}

besideTask_t::besideTask_t(secondThread_t *thread, std::function<void()> work)
    : task(std::move(work)), kept(thread != nullptr && thread->Start(&task) ? thread : nullptr)
{
    if (kept != nullptr)
        return;
    own = std::thread([this] {
        try {
            task();
        } catch (...) {
            failure = std::current_exception();
        }
    });
}

besideTask_t::~besideTask_t()
{
    if (waited)
        return;
    try {
        Wait();
    } catch (...) {
    }
}

void besideTask_t::Wait()
{
    waited = true;
    if (kept != nullptr)
        failure = kept->Finish();
    else
        own.join();
    if (failure)
        std::rethrow_exception(failure);
}
