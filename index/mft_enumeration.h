// The two steps of VolumeIndex::Build that turn ENUM replies into a table, apart from the
// device and the threads around them, so that each can be driven with any bytes at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "index/file_record.h"
#include "index/frn_map.h"
#include "index/name_pool.h"

namespace kx {

// Appends a record for each USN_RECORD_V2 of one ENUM reply of `size` bytes (the 8-byte
// next-start header first). A malformed record ends the reply: nothing after it can be
// located. Stops early once ExitRequested is set. The table is private to the caller.
void AppendEnumRecords(const std::uint8_t* reply, std::size_t size,
                       std::vector<FileRecord>& records, NamePool& names);

// Maps every frn to its last record, once all replies are in. Should an frn appear twice (a
// damaged reply), the earlier records are marked dead so that exactly one live record carries
// it. Returns how many were marked.
std::uint64_t MapEnumeratedRecords(std::vector<FileRecord>& records, FrnMap& frnToIndex);

}  // namespace kx
