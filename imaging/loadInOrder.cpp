// Decoding is most of the time of loading, and files decode independently:
// this thread and the run's second thread take the files in turn, each
// keeping its traces and outcome in the file's own slot, and this thread
// hands the slots over in order as they fill, loading the next file itself
// while the one to hand over is not done. A lone file is loaded here, where
// the palette is then counted from caches it has just filled. Files are
// only read, and a file that is not a regular one is refused before it is
// read, so a load that turns out not to be needed has no effect but its
// time.
#include "imaging/loadInOrder.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>

#include "diagnostics/traceMsg.h"
#include "base/secondThread.h"
#include "imaging/loadImage.h"

namespace {

struct slot_t {
    std::string trace;
    loadOutcome_t outcome;
    std::exception_ptr failure;
    bool done = false;
};

class loaders_t {
public:
    loaders_t(const std::vector<std::string> &paths, const std::vector<plannedLoad_t> &plans, uint32_t depth,
              secondThread_t &thread)
        : paths(paths), plans(plans), slots(paths.size()), depth(depth), thread(thread)
    {
        if (paths.size() > 1)
            worker.reset(new besideTask_t(thread, [this] {
                while (LoadNext()) {
                }
            }));
    }

    ~loaders_t()
    {
        stop = true;
        worker.reset();
    }

    slot_t &Wait(size_t i)
    {
        while (!Done(i) && LoadNext()) {
        }
        std::unique_lock<std::mutex> lock(mutex);
        filled.wait(lock, [&] { return slots[i].done; });
        return slots[i];
    }

private:
    bool Done(size_t i)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return slots[i].done;
    }

    /// Loads the next file no thread has taken; false when none is left.
    bool LoadNext()
    {
        if (stop)
            return false;
        const size_t i = next++;
        if (i >= slots.size())
            return false;
        slot_t &slot = slots[i];
        {
            traceKept_t kept(&slot.trace, depth);
            TRACE(0, "loading %s\n", paths[i].c_str());
            try {
                const plannedLoad_t plan = i < plans.size() ? plans[i] : plannedLoad_t();
                // A lone file has the second thread to itself.
                zoomedLoad_t load =
                    loadImageZoomed(paths[i].c_str(), plan.least, plan.zoom, paths.size() == 1 ? &thread : nullptr);
                slot.outcome.storedWidth = load.storedWidth;
                slot.outcome.storedHeight = load.storedHeight;
                slot.outcome.image.emplace(std::move(load.image));
            } catch (imageRefusal_t &refusal) {
                slot.outcome.error.emplace(refusal);
                slot.outcome.why = refusal.why;
            } catch (dawnmarkError_t &error) {
                slot.outcome.error.emplace(error);
            } catch (...) {
                slot.failure = std::current_exception();
            }
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            slot.done = true;
        }
        filled.notify_all();
        return true;
    }

    const std::vector<std::string> &paths;
    const std::vector<plannedLoad_t> &plans;
    std::vector<slot_t> slots;
    const uint32_t depth;
    secondThread_t &thread;
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable filled;
    /// Last, so that it ends before what it uses.
    std::unique_ptr<besideTask_t> worker;
};

} // namespace

bool loadInOrder(const std::vector<std::string> &paths, const std::function<bool(size_t, loadOutcome_t *)> &use,
                 secondThread_t &thread, const std::vector<plannedLoad_t> &plans)
{
    loaders_t loaders(paths, plans, ident_level, thread);
    for (size_t i = 0; i < paths.size(); ++i) {
        slot_t &slot = loaders.Wait(i);
        fputs(slot.trace.c_str(), stdout);
        if (slot.failure)
            std::rethrow_exception(slot.failure);
        if (!use(i, &slot.outcome))
            return false;
    }
    return true;
}
