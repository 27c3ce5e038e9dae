// kxcapacity: how many records one volume's table holds before the process runs out of address
// space, with the names of a volume file read over and over. The question matters most for the
// 32-bit program, whose whole address space is 4 GiB: build it with the linux-m32 preset and
// run it natively, or under qemu-i386-static where the kernel runs no 32-bit code.
//
//   kxcapacity FILE [RECORDS]
//
// FILE holds USN_RECORD_V2 records back to back, as kxquery --volume takes it. Its records are
// appended, renumbered, to a table until an allocation fails; then tables of a million records
// fewer at a time are built whole, map included, until one fits. Prints the largest that fit,
// what its structures take per record and the resident memory it added. With RECORDS, builds
// one table of that many records and prints the same of it. The file is read a piece at a
// time, so that only the table fills the address space.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "index/file_table.h"
#include "platform/process_memory.h"
#include "platform/usn_layout.h"
#include "platform/usn_record_reader.h"

namespace {

constexpr std::size_t kPieceBytes = 1 << 20;
constexpr std::uint64_t kStep = 1000000;

// Appends the file's records, renumbered from record 16 on, until `limit` are in (0: until
// memory runs out). Returns how many went in; false in *fitted when memory ran out first.
std::uint64_t Fill(std::FILE* file, kx::FileTable& table, std::uint64_t limit, bool* fitted) {
    std::vector<std::uint8_t> piece(kPieceBytes + 8);
    std::uint64_t added = 0;
    *fitted = true;
    try {
        for (;;) {
            std::rewind(file);
            std::size_t held = 0;
            std::size_t got = 0;
            bool any = false;
            while ((got = std::fread(piece.data() + held, 1, kPieceBytes - held, file)) > 0) {
                const std::size_t size = held + got;
                kx::UsnRecordReader reader(piece.data(), size, 0);
                kx::UsnRecordView record;
                while (reader.Next(&record) == kx::UsnReadStatus::kRecord) {
                    if (limit != 0 && added == limit)
                        return added;
                    table.Append(kx::MakeFileReference(16 + added, 1), record.parentFrn,
                                 record.name, record.nameLength, record.fileAttributes);
                    ++added;
                    any = true;
                }
                // A record cut by the end of the piece starts the next one.
                held = size - reader.Offset();
                std::memmove(piece.data(), piece.data() + reader.Offset(), held);
            }
            if (!any)
                return added;  // nothing readable: no point going round again
        }
    } catch (const std::bad_alloc&) {
        *fitted = false;
        return added;
    }
}

// Builds a whole table of `wanted` records, map included; false when it does not fit.
bool PrintWholeTable(std::FILE* file, std::uint64_t wanted) {
    const std::size_t residentBefore = kx::ResidentBytes();
    kx::FileTable table;
    bool fitted = false;
    if (Fill(file, table, wanted, &fitted) != wanted || !fitted)
        return false;
    try {
        table.MapAll();
    } catch (const std::bad_alloc&) {
        return false;
    }
    const std::size_t resident = kx::ResidentBytes() - residentBefore;
    const kx::TableMemory memory = table.Memory();
    const double n = static_cast<double>(wanted);
    std::printf("a whole table of %" PRIu64
                " records fits: %.1f bytes a record resident, its structures %.1f (records %.1f, "
                "names %.1f, map %.1f, signatures %.1f, letter-pair runs %.1f)\n",
                wanted, static_cast<double>(resident) / n, static_cast<double>(memory.Total()) / n,
                static_cast<double>(memory.records) / n, static_cast<double>(memory.names) / n,
                static_cast<double>(memory.map) / n, static_cast<double>(memory.signatures) / n,
                static_cast<double>(memory.pairRuns) / n);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fputs("usage: kxcapacity FILE [RECORDS]\n", stderr);
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "kxcapacity: cannot open %s\n", argv[1]);
        return 2;
    }
    if (argc == 3) {
        // Digits only (strtoull would take "-5" as 2^64 - 5), and not 0, which to Fill means as
        // many as memory holds; no table holds more than 2^32 records.
        char* end = nullptr;
        const std::uint64_t wanted = std::strtoull(argv[2], &end, 10);
        if (argv[2][0] < '0' || argv[2][0] > '9' || *end != '\0' || wanted == 0 ||
            wanted > UINT32_MAX) {
            std::fprintf(stderr,
                         "kxcapacity: RECORDS must be a count from 1 to %" PRIu32 ", not %s\n",
                         UINT32_MAX, argv[2]);
            std::fclose(file);
            return 2;
        }
        const bool fits = PrintWholeTable(file, wanted);
        std::fclose(file);
        if (!fits)
            std::puts("it does not fit");
        return fits ? 0 : 1;
    }
    bool fitted = false;
    std::uint64_t most = 0;
    {
        kx::FileTable table;
        most = Fill(file, table, 0, &fitted);
    }
    std::printf("appended %" PRIu64 " records before an allocation failed\n", most);
    for (std::uint64_t wanted = most / kStep * kStep; wanted >= kStep; wanted -= kStep) {
        if (PrintWholeTable(file, wanted)) {
            std::fclose(file);
            return 0;
        }
    }
    std::fclose(file);
    std::puts("not even a million records fit");
    return 1;
}
