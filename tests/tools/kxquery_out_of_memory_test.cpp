// kxquery out of memory: each large allocation of a search-and-sort run is made to fail in
// turn (KX_FAIL_LARGE_ALLOCATION arms kxquery's allocation switch). Whichever it is, on the
// main thread, a build thread or a search or sort worker, kxquery must name the problem in
// one line and exit with status 1, never by a signal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/sim/simulated_volume.h"
#include "platform/usn_layout.h"

namespace kx {
namespace {

constexpr int kFiles = 20000;
constexpr int kMostAllocations = 200;

struct Outcome {
    bool exited = false;
    int status = -1;
    std::string err;
};

// Standard output is dropped: only the exit and standard error matter here.
Outcome RunArmed(int n, const std::string& volumeFile) {
    const std::string errFile = ::testing::TempDir() + "kxquery_oom_err.txt";
    const std::string command = "KX_FAIL_LARGE_ALLOCATION=" + std::to_string(n) + " '" +
                                KXQUERY_PATH + "' --volume K='" + volumeFile +
                                "' --count --query e --sort name >/dev/null 2>'" + errFile + "'";
    const int raw = std::system(command.c_str());
    Outcome outcome;
    // The shell reports a child ended by a signal as status 128 + the signal.
    outcome.exited = raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) < 128;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(errFile);
    outcome.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::remove(errFile.c_str());
    return outcome;
}

TEST(KxqueryOutOfMemory, EveryLargeAllocationFailureEndsWithOneLineAndStatusOne) {
    sim::SimVolume volume;
    volume.ReserveEntries(kFiles);
    for (int i = 0; i < kFiles; ++i)
        volume.AddEntryQuietly(kRootDirectoryFrn, u"name" + std::u16string(1, u'a' + i % 26),
                               FILE_ATTRIBUTE_ARCHIVE_BIT);
    const std::string volumeFile = ::testing::TempDir() + "kxquery_oom.mft";
    {
        std::ofstream out(volumeFile, std::ios::binary);
        out << volume.SaveMftRecords();
    }
    int n = 1;
    for (; n < kMostAllocations; ++n) {
        const Outcome outcome = RunArmed(n, volumeFile);
        ASSERT_TRUE(outcome.exited) << "allocation " << n << ": " << outcome.err;
        if (outcome.status == 0) {
            EXPECT_EQ(outcome.err, "");
            break;
        }
        EXPECT_EQ(outcome.status, 1) << "allocation " << n;
        EXPECT_EQ(outcome.err.rfind("kxquery: out of memory", 0), 0u)
            << "allocation " << n << ": " << outcome.err;
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << "allocation " << n;
    }
    std::remove(volumeFile.c_str());
    // Reading the file, the build, the search and the sort each allocate large blocks.
    EXPECT_GE(n, 5);
    EXPECT_LT(n, kMostAllocations);
}

}  // namespace
}  // namespace kx
