#pragma once
// Work split into parts that run at the same time: part 0 on the calling thread, every other part
// on a thread of its own. The call returns when all parts have ended; the first failure (in time)
// is then rethrown on the calling thread. A part that must stop the others when it fails does so
// itself (the search interrupts the other parts' connections).
#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace vela {

// The processor threads the machine offers, at least 1.
inline int hardwareThreads()
{
    return std::max(1, int(std::thread::hardware_concurrency()));
}

template<typename Work> void runInParallel(int parts, const Work &work)
{
    std::mutex mutex;
    std::exception_ptr first;
    const auto run = [&](int part) {
        try {
            work(part);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(mutex);
            if (!first)
                first = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(size_t(std::max(0, parts - 1)));
    int started = 1;
    try {
        for (; started < parts; ++started)
            threads.emplace_back(run, started);
    } catch (const std::system_error &) {
        // No more threads to be had: the parts left run here, after part 0.
    }
    run(0);
    for (int part = started; part < parts; ++part)
        run(part);
    for (std::thread &t : threads)
        t.join();
    if (first)
        std::rethrow_exception(first);
}

} // namespace vela
