// The test build's simulated machine: which NTFS volume stands on C: and the change that a
// test can make to it while the program runs. The product has no simulated machine.
//
// Environment of the test build (the program itself takes no command line):
// - KX_SIM_VOLUME: an MFT file (USN_RECORD_V2 records back to back) loaded as C:, with
//   KX_SIM_SIDECAR naming its optional sizes-and-times file, each as large as the process
//   can hold. A file that cannot be read, does not fit, holds a damaged record or a sidecar
//   that does not parse is refused (RefuseFixture): the program ends, naming the file and
//   why, instead of running as a machine without NTFS. Without KX_SIM_VOLUME, C: holds the
//   built-in demo tree.
// - KX_SIM_TRIGGER: a file path polled five times a second; once the file exists, a file
//   named kSimTriggeredFileName is created in C:'s root directory, with its journal records,
//   as a user creating a file would.
// - KX_SIM_HOLD_INDEX: a file path polled the same way; until the file exists, C: answers no
//   control code, so the index stays unbuilt and the window stays in its indexing state.
// - KX_SIM_FOLLOW_DELETES (any value): the files and directories of C: that also exist on the
//   machine's own C: drive when the program starts are watched, five times a second; one that
//   disappears from the real drive (the program deleted it) is deleted from the simulated
//   volume too, with its journal records, as NTFS logs a DeleteFileW.
#pragma once

namespace kx {

constexpr char16_t kSimTriggeredFileName[] = u"journal-added.txt";

#if defined(KX_SIMULATED_VOLUMES)
void PrepareSimulatedMachine();
#else
inline void PrepareSimulatedMachine() {}
#endif

}  // namespace kx
