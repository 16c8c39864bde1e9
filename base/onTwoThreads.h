// Work shared out between the calling thread and one more.
#pragma once

#include "base/secondThread.h"

/// Runs work(0) on this thread and work(1) on `thread`, which must be free,
/// and returns when both are done. The second is done
/// on every path, also when work(0) throws; what work(1) throws is thrown
/// here once work(0) is done.
template <typename work_t> void onTwoThreads(secondThread_t &thread, const work_t &work)
{
    besideTask_t second(thread, [&work] { work(1); });
    work(0);
    second.Wait();
}
