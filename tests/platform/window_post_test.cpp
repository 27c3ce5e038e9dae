// PostToWindow through PostMessageW to a real message-only window, and the background start-up
// that reports through it.
#include <gtest/gtest.h>

#include <thread>

#include "common/messages.h"
#include "index/search_engine.h"
#include "platform/window_post.h"
#include "tests/platform/running_under_wine.h"
#include "tests/support/message_recorder.h"

namespace kx {
namespace {

using namespace std::chrono_literals;
using testing::MessageRecorder;

TEST(WindowPosting, MessagesArriveInOrderWithTheirParameters) {
    MessageRecorder recorder;
    ASSERT_TRUE(PostToWindow(recorder.Window(), WM_SEARCH_DONE, 7, 0));
    ASSERT_TRUE(PostToWindow(recorder.Window(), WM_SEARCH_DONE, 8, 1));
    // Full-width values: on x86-64 a generation or a pointer must not be cut to 32 bits.
    const auto wide = static_cast<std::uintptr_t>(~std::uintptr_t{0} - 5);
    ASSERT_TRUE(PostToWindow(recorder.Window(), WM_SORT_PROGRESS, wide, -2));
    ASSERT_TRUE(recorder.WaitForCount(3, 5s));
    const auto messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].message, WM_SEARCH_DONE);
    EXPECT_EQ(messages[0].wParam, 7u);
    EXPECT_EQ(messages[1].wParam, 8u);
    EXPECT_EQ(messages[1].lParam, 1);
    EXPECT_EQ(messages[2].message, WM_SORT_PROGRESS);
    EXPECT_EQ(messages[2].wParam, wide);
    EXPECT_EQ(messages[2].lParam, -2);
}

TEST(WindowPosting, PostsFromAWorkerThreadReachTheWindowsThread) {
    MessageRecorder recorder;
    const WindowHandle window = recorder.Window();
    bool posted = false;
    std::thread([&] { posted = PostToWindow(window, WM_INDEX_READY, 0, 0); }).join();
    EXPECT_TRUE(posted);
    const auto message = recorder.WaitFor(WM_INDEX_READY, 5s);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->wParam, 0u);
}

TEST(WindowPosting, WaitingWithNothingPostedTimesOut) {
    MessageRecorder recorder;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(recorder.WaitFor(WM_INDEX_READY, 100ms).has_value());
    EXPECT_GE(std::chrono::steady_clock::now() - started, 90ms);
    EXPECT_TRUE(recorder.Messages().empty());
}

// The caller frees what lParam owns when the post fails, so a failed post must say so.
TEST(WindowPosting, PostToAGoneOrNullWindowFails) {
    WindowHandle gone = nullptr;
    {
        MessageRecorder recorder;
        gone = recorder.Window();
    }
    EXPECT_FALSE(PostToWindow(gone, WM_SORT_PROGRESS, 1, 0));
    EXPECT_FALSE(PostToWindow(nullptr, WM_SORT_PROGRESS, 1, 0));
}

// Under Wine the volume devices answer no USN control code, so the real start-up indexes
// nothing and must say so; on Windows with administrator rights it indexes at least C:.
TEST(BackgroundStartUp, ReportsIndexReadyOnceWithTheRealVolumes) {
    MessageRecorder recorder;
    SearchEngine& engine = TheSearchEngine();
    engine.InitBackground(recorder.Window());
    const auto ready = recorder.WaitFor(WM_INDEX_READY, 120s);
    ASSERT_TRUE(ready.has_value());
    EXPECT_EQ(ready->lParam, 0);
    std::lock_guard<std::mutex> guard(engine.volumesMutex);
    EXPECT_EQ(ready->wParam, engine.volumes.empty() ? 1u : 0u);
    EXPECT_EQ(engine.ready.load(), !engine.volumes.empty());
    if (testing::RunningUnderWine()) {
        EXPECT_EQ(ready->wParam, 1u);
    }
    EXPECT_FALSE(recorder.WaitFor(WM_INDEX_READY, 200ms).has_value());
}

}  // namespace
}  // namespace kx
