// Applying journal batches to a built table of 1 million records, as the monitor does: each
// READ reply under the table's lock held exclusively. A batch is what 1000 file operations of
// one kind write to the simulated volume's journal, read back in 64 KiB replies as the monitor
// reads them; making the operations and reading the replies is not timed. Once more than 10,000
// records are dead the table is compacted, untimed, as the monitor would; BM_Compact times that
// compaction on its own.
//
// Counters: journal records applied per second, records per batch.
#include <benchmark/benchmark.h>

#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "index/journal_monitor.h"
#include "platform/usn_layout.h"

namespace kx::bench {
namespace {

constexpr std::size_t kTableRecords = 1000000;
constexpr std::size_t kOperationsPerBatch = 1000;
constexpr std::uint32_t kReplyBytes = 65536;

enum class Operation { kCreate, kRename, kDelete, kTemporary };

// The volume, its table and where the journal was last read, shared by every benchmark here.
struct Fixture {
    std::shared_ptr<sim::SimVolume> volume;
    std::unique_ptr<VolumeIndex> table;
    std::vector<std::uint64_t> files;
    std::vector<std::uint64_t> directories;
    std::uint64_t made = 0;
    std::uint64_t random = 88172645463325252ull;

    std::uint64_t Next() {  // xorshift: cheap, and the same on every run
        random ^= random << 13;
        random ^= random >> 7;
        random ^= random << 17;
        return random;
    }
};

Fixture& TheFixture() {
    static Fixture fixture = [] {
        Fixture made;
        made.volume = SyntheticDrive('J', kTableRecords);
        made.table = BuildStoppedVolume('J');
        for (const sim::SimEntry& entry : made.volume->LiveEntries()) {
            if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY_BIT) != 0)
                made.directories.push_back(entry.frn);
            else
                made.files.push_back(entry.frn);
        }
        return made;
    }();
    return fixture;
}

std::u16string NewName(Fixture& fixture) {
    std::u16string name = u"bench-";
    for (char c : std::to_string(++fixture.made))
        name.push_back(static_cast<char16_t>(c));
    name += u".tmp";
    return name;
}

void MakeOperations(Fixture& fixture, Operation operation) {
    sim::SimVolume& volume = *fixture.volume;
    for (std::size_t i = 0; i < kOperationsPerBatch; ++i) {
        const std::uint64_t directory =
            fixture.directories[fixture.Next() % fixture.directories.size()];
        switch (operation) {
            case Operation::kCreate:
                fixture.files.push_back(volume.CreateFile(directory, NewName(fixture)));
                break;
            case Operation::kRename:
                volume.Rename(fixture.files[fixture.Next() % fixture.files.size()],
                              NewName(fixture));
                break;
            case Operation::kDelete: {
                const std::size_t at = fixture.Next() % fixture.files.size();
                volume.Delete(fixture.files[at]);
                fixture.files[at] = fixture.files.back();
                fixture.files.pop_back();
                break;
            }
            case Operation::kTemporary:
                volume.CreateTemporaryFile(directory, NewName(fixture));
                break;
        }
    }
}

struct Reply {
    // 8-byte elements: records are 8-byte aligned from the start of a reply.
    std::vector<std::uint64_t> storage = std::vector<std::uint64_t>(kReplyBytes / 8);
    std::uint32_t size = 0;
    const std::uint8_t* bytes() const {
        return reinterpret_cast<const std::uint8_t*>(storage.data());
    }
};

// Every reply from the table's nextUsn on, as the monitor would read them.
std::vector<Reply> ReadReplies(Fixture& fixture) {
    std::vector<Reply> replies;
    std::int64_t start = fixture.table->nextUsn;
    for (;;) {
        Reply reply;
        const ReadUsnJournalDataV0 request{start, kJournalReasonMask,      0, 0,
                                           0,     fixture.table->journalId};
        std::uint32_t got = 0;
        if (fixture.volume->Control(FSCTL_READ_USN_JOURNAL, &request, sizeof(request),
                                    reply.storage.data(), kReplyBytes, &got) != 0 ||
            got <= kUsnReplyHeaderSize) {
            break;
        }
        std::memcpy(&start, reply.storage.data(), sizeof(start));
        reply.size = got;
        replies.push_back(std::move(reply));
    }
    return replies;
}

std::size_t CountRecords(const Reply& reply) {
    UsnRecordReader reader(reply.bytes(), reply.size, kUsnReplyHeaderSize);
    UsnRecordView record;
    std::size_t count = 0;
    while (reader.Next(&record) == UsnReadStatus::kRecord)
        ++count;
    return count;
}

void BM_ApplyJournalBatch(benchmark::State& state, Operation operation) {
    Fixture& fixture = TheFixture();
    VolumeIndex& table = *fixture.table;
    std::size_t journalRecords = 0;
    std::size_t lastBatchRecords = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MakeOperations(fixture, operation);
        const std::vector<Reply> replies = ReadReplies(fixture);
        lastBatchRecords = 0;
        for (const Reply& reply : replies)
            lastBatchRecords += CountRecords(reply);
        journalRecords += lastBatchRecords;
        state.ResumeTiming();

        for (const Reply& reply : replies) {
            std::unique_lock<SrwLock> guard(table.lock);
            ApplyJournalReply(table, reply.bytes(), reply.size);
        }

        state.PauseTiming();
        if (table.table.DeadRecordsHeld() > kCompactionThreshold)
            table.Compact();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(journalRecords));
    state.counters["records_per_batch"] = static_cast<double>(lastBatchRecords);
    state.counters["table_records"] = static_cast<double>(table.table.Size());
}

// A compaction of the 1 million record table with 10,001 dead records, the least that
// triggers one. The dead records are appended first, so the table keeps its size.
void BM_Compact(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    VolumeIndex& table = *fixture.table;
    std::uint64_t deadFrn = 1ull << 47;
    for (auto _ : state) {
        state.PauseTiming();
        {
            std::unique_lock<SrwLock> guard(table.lock);
            for (std::uint64_t i = 0; i <= kCompactionThreshold; ++i) {
                std::uint64_t previous = 0;
                table.table.AppendMapped(deadFrn++, kRootDirectoryFrn, u"bench-dead.tmp", 14,
                                         FILE_ATTRIBUTE_ARCHIVE_BIT, &previous);
                MarkDead(table, table.table.Size() - 1);
            }
        }
        state.ResumeTiming();
        table.Compact();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * table.table.Size()));
    state.counters["live_records"] = static_cast<double>(table.table.Size());
}

void RegisterAll() {
    const std::pair<const char*, Operation> kinds[] = {{"create", Operation::kCreate},
                                                       {"rename", Operation::kRename},
                                                       {"delete", Operation::kDelete},
                                                       {"temporary", Operation::kTemporary}};
    for (const auto& [label, operation] : kinds) {
        benchmark::RegisterBenchmark(
            (std::string("BM_ApplyJournalBatch/") + label).c_str(),
            [op = operation](benchmark::State& state) { BM_ApplyJournalBatch(state, op); })
            ->Iterations(40)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("BM_Compact", BM_Compact)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

}  // namespace
}  // namespace kx::bench

int main(int argc, char** argv) {
    return kx::bench::RunBenchmarks(argc, argv, &kx::bench::RegisterAll);
}
