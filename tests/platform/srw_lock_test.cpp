// SrwLock over the real SRWLOCK: readers share, a writer excludes everyone.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <vector>

#include "platform/srw_lock.h"

namespace kx {
namespace {

TEST(SrwLockSharing, ReadersShareAndKeepWritersOut) {
    SrwLock lock;
    std::shared_lock<SrwLock> first(lock);
    bool secondReader = false;
    bool writer = true;
    // SRW locks belong to no thread, but try from another one as a search worker would.
    std::thread([&] {
        secondReader = lock.try_lock_shared();
        if (secondReader)
            lock.unlock_shared();
        writer = lock.try_lock();
        if (writer)
            lock.unlock();
    }).join();
    EXPECT_TRUE(secondReader);
    EXPECT_FALSE(writer);
}

TEST(SrwLockSharing, WriterKeepsReadersAndWritersOut) {
    SrwLock lock;
    std::unique_lock<SrwLock> exclusive(lock);
    bool reader = true;
    bool writer = true;
    std::thread([&] {
        reader = lock.try_lock_shared();
        writer = lock.try_lock();
    }).join();
    EXPECT_FALSE(reader);
    EXPECT_FALSE(writer);
    exclusive.unlock();
    EXPECT_TRUE(lock.try_lock());
    lock.unlock();
}

TEST(SrwLockSharing, WriterWaitsForTheLastReader) {
    SrwLock lock;
    std::atomic<bool> writerIn{false};
    lock.lock_shared();
    std::thread writer([&] {
        std::unique_lock<SrwLock> exclusive(lock);
        writerIn = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(writerIn.load());
    lock.unlock_shared();
    writer.join();
    EXPECT_TRUE(writerIn.load());
}

TEST(SrwLockExclusion, ReadersNeverSeeAHalfDoneWriteAndNoIncrementIsLost) {
    SrwLock lock;
    // Writers take the value through an odd state; a reader seeing it would be inside a write.
    volatile long counter = 0;
    std::atomic<int> oddSeen{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                {
                    std::unique_lock<SrwLock> exclusive(lock);
                    counter = counter + 1;
                    counter = counter + 1;
                }
                std::shared_lock<SrwLock> shared(lock);
                if (counter % 2 != 0)
                    ++oddSeen;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 160000);
    EXPECT_EQ(oddSeen.load(), 0);
}

}  // namespace
}  // namespace kx
