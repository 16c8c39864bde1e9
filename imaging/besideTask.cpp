#include "imaging/besideTask.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <sched.h>

namespace {

/// A child made by fork has only the thread that forked: the kept thread's
/// object is copied, its thread is not there to run a task.
bool forked = false;

void onForkInChild() { forked = true; }

} // namespace

/// The thread kept for the whole program, handed one task at a time.
class besideTask_t::keptThread_t {
public:
    /// The program's kept thread, started on first use.
    static keptThread_t &Shared()
    {
        static keptThread_t thread;
        return thread;
    }

    /// The kept thread for one task; null while another task has it, and
    /// in a forked child.
    static keptThread_t *Take()
    {
        keptThread_t &thread = Shared();
        bool free = false;
        return !forked && thread.taken.compare_exchange_strong(free, true) ? &thread : nullptr;
    }

    ~keptThread_t()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        if (forked)
            thread.detach();
        else
            thread.join();
    }

    /// Runs `work`, which must last until Finish, and returns at once.
    void Start(const std::function<void()> &work)
    {
        KeepOffCallersCpu();
        {
            std::lock_guard<std::mutex> lock(mutex);
            task = &work;
            running = true;
            failure = nullptr;
        }
        changed.notify_all();
    }

    /// Waits for the task to end and gives the thread back; what the task
    /// threw.
    std::exception_ptr Finish()
    {
        std::exception_ptr failed;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return !running; });
            failed = failure;
        }
        taken = false;
        return failed;
    }

private:
    keptThread_t() : thread(&keptThread_t::Run, this)
    {
        pthread_atfork(nullptr, nullptr, onForkInChild);
        CPU_ZERO(&allowed);
        if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
            CPU_ZERO(&allowed);
    }

    /// Keeps the thread off the CPU the caller runs on. The scheduler tends
    /// to wake a thread on the CPU of the thread that wakes it, and the
    /// woken thread then waits there until the waker's time slice ends
    /// (3 to 4 ms here) even with another CPU idle: that happened to the
    /// codec in about one run in five. The caller may move later; the next
    /// task looks again. With a single CPU to run on there is nothing to do.
    void KeepOffCallersCpu()
    {
        const int cpu = sched_getcpu();
        if (cpu < 0 || cpu == keptOff || CPU_COUNT(&allowed) < 2 || !CPU_ISSET(cpu, &allowed))
            return;
        cpu_set_t others = allowed;
        CPU_CLR(cpu, &others);
        if (pthread_setaffinity_np(thread.native_handle(), sizeof others, &others) == 0)
            keptOff = cpu;
    }

    void Run()
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

    /// Whether a task has the thread, from Take to Finish.
    std::atomic<bool> taken{false};
    std::mutex mutex;
    std::condition_variable changed;
    const std::function<void()> *task = nullptr;
    bool running = false;
    bool stopping = false;
    std::exception_ptr failure;
    /// The CPUs the program may run on, and the one the thread is kept
    /// off (-1: none).
    cpu_set_t allowed;
    int keptOff = -1;
    std::thread thread;
};

besideTask_t::besideTask_t(std::function<void()> work) : task(std::move(work)), kept(keptThread_t::Take())
{
    if (kept != nullptr) {
        kept->Start(task);
        return;
    }
    own = std::thread([this] {
        try {
            task();
        } catch (...) {
            failure = std::current_exception();
        }
    });
}

void besideTask_t::Prepare() { keptThread_t::Shared(); }

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
    if (kept != nullptr) {
        failure = kept->Finish();
    } else {
        own.join();
    }
    if (failure)
        std::rethrow_exception(failure);
}
