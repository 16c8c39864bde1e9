#include "base/secondThread.h"

#include <pthread.h>
#include <sched.h>
#include <stdexcept>

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

void secondThread_t::Start(const std::function<void()> *work)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (taken)
            throw std::logic_error("the second thread is taken by another task");
        taken = true;
        KeepOffCallersCpu();
        task = work;
        running = true;
        failure = nullptr;
    }
    changed.notify_all();
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

besideTask_t::besideTask_t(secondThread_t &thread, std::function<void()> work)
    : task(std::move(work)), thread(thread)
{
    thread.Start(&task);
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
    failure = thread.Finish();
    if (failure)
        std::rethrow_exception(failure);
}
