// The step of VolumeIndex::Build that turns ENUM replies into a table, apart from the
// device and the threads around them, so that it can be driven with any bytes at all. The
// table maps its records once they are all in (FileTable::MapAll).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "index/file_table.h"

namespace kx {

// Appends a record for each USN_RECORD_V2 of one ENUM reply of `size` bytes (the 8-byte
// next-start header first). A malformed record ends the reply: nothing after it can be
// located. Stops early once ExitRequested is set. The table is private to the caller.
void AppendEnumRecords(const std::uint8_t* reply, std::size_t size, FileTable& table);

}  // namespace kx
