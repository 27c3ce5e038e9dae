// Starting a search, sort or warm-up worker: a detached thread counted in
// WorkerThreadsRunning, which is what a waiter reads before it tears down what workers read.
#pragma once

#include <exception>
#include <thread>
#include <utility>

#include "search/search_state.h"

namespace kx {

// Runs work() on a detached thread. Counted before the start, so that a waiter never sees 0
// while a thread is starting, and uncounted once work() returns; work() must not throw. False
// when no thread can be had (none left, or no memory for one): nothing is counted then, and
// work, with all it owns, is freed here.
template <typename Work>
bool StartCountedWorker(Work work) {
    WorkerThreadsRunning.fetch_add(1);
    try {
        std::thread([work = std::move(work)]() mutable {
            work();
            WorkerThreadsRunning.fetch_sub(1);
        }).detach();
    } catch (const std::exception&) {
        WorkerThreadsRunning.fetch_sub(1);
        return false;
    }
    return true;
}

}  // namespace kx
