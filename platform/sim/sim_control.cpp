// SimVolume::Control: the four USN control codes as DeviceIoControl serves them, and the
// injected faults that stand in for what a real device sometimes does.
#include <algorithm>
#include <cstring>

#include "platform/sim/sim_volume_state.h"
#include "platform/usn_layout.h"
#include "platform/windows_errors.h"

namespace kx::sim {

namespace {

// NTFS's own limit for USNs; readers never get near it.
constexpr std::int64_t kMaxUsn = 0x7FFFFFFFFFFF0000;
// What NTFS picks when CREATE asks for 0 bytes.
constexpr std::uint64_t kDefaultJournalSize = 32ull << 20;
constexpr std::uint64_t kDefaultAllocationDelta = 8ull << 20;

std::uint32_t QueryJournal(const SimVolumeState& state, void* output, std::uint32_t outputSize,
                           std::uint32_t* bytesReturned) {
    if (!state.journal)
        return kErrorJournalNotActive;
    if (output == nullptr || outputSize < sizeof(UsnJournalDataV0))
        return kErrorInsufficientBuffer;
    const Journal& journal = *state.journal;
    UsnJournalDataV0 data{};
    data.UsnJournalID = journal.id;
    data.FirstUsn = journal.firstUsn;
    data.NextUsn = journal.nextUsn;
    data.LowestValidUsn = journal.lowestValidUsn;
    data.MaxUsn = kMaxUsn;
    data.MaximumSize = journal.maximumSize;
    data.AllocationDelta = journal.allocationDelta;
    std::memcpy(output, &data, sizeof(data));
    *bytesReturned = sizeof(data);
    return kErrorSuccess;
}

std::uint32_t CreateJournalControl(SimVolumeState& state, const void* input,
                                   std::uint32_t inputSize) {
    if (input == nullptr || inputSize < sizeof(CreateUsnJournalData))
        return kErrorInvalidParameter;
    CreateUsnJournalData request;
    std::memcpy(&request, input, sizeof(request));
    CreateJournal(state, request.MaximumSize == 0 ? kDefaultJournalSize : request.MaximumSize,
                  request.AllocationDelta == 0 ? kDefaultAllocationDelta : request.AllocationDelta);
    return kErrorSuccess;
}

std::uint32_t Serve(SimVolumeState& state, std::uint32_t code, const void* input,
                    std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                    std::uint32_t* bytesReturned) {
    switch (code) {
        case FSCTL_ENUM_USN_DATA:
            return EnumerateMft(state, input, inputSize, output, outputSize, bytesReturned);
        case FSCTL_READ_USN_JOURNAL:
            return ReadJournal(state, input, inputSize, output, outputSize, bytesReturned);
        case FSCTL_QUERY_USN_JOURNAL:
            return QueryJournal(state, output, outputSize, bytesReturned);
        case FSCTL_CREATE_USN_JOURNAL:
            return CreateJournalControl(state, input, inputSize);
        default:
            return kErrorInvalidFunction;
    }
}

// Counts this call against every pending fault of its code and takes out the one that fires.
std::optional<SimFault> DueFault(SimVolumeState& state, std::uint32_t code) {
    std::optional<SimFault> due;
    std::size_t dueAt = 0;
    for (std::size_t i = 0; i < state.faults.size(); ++i) {
        PendingFault& pending = state.faults[i];
        if (pending.fault.controlCode != 0 && pending.fault.controlCode != code)
            continue;
        if (pending.callsLeft > 1) {
            --pending.callsLeft;
        } else if (!due) {
            due = pending.fault;
            dueAt = i;
        }
    }
    if (due)
        state.faults.erase(state.faults.begin() + static_cast<std::ptrdiff_t>(dueAt));
    return due;
}

void Damage(const SimFault& fault, void* output, std::uint32_t outputSize,
            std::uint32_t* bytesReturned) {
    if (fault.truncateTo != 0)
        *bytesReturned = std::min(*bytesReturned, fault.truncateTo);
    if (fault.patchBytes.empty() || output == nullptr || fault.patchOffset >= outputSize)
        return;
    const std::uint32_t count = std::min<std::uint32_t>(
        static_cast<std::uint32_t>(fault.patchBytes.size()), outputSize - fault.patchOffset);
    std::memcpy(static_cast<std::uint8_t*>(output) + fault.patchOffset, fault.patchBytes.data(),
                count);
    *bytesReturned = std::max(*bytesReturned, fault.patchOffset + count);
}

}  // namespace

std::uint32_t SimVolume::Control(std::uint32_t code, const void* input, std::uint32_t inputSize,
                                 void* output, std::uint32_t outputSize,
                                 std::uint32_t* bytesReturned) {
    std::unique_lock<std::mutex> lock(mutex_);
    released_.wait(lock, [this] { return !state_->held; });
    State& state = *state_;
    std::uint32_t ignored = 0;
    if (bytesReturned == nullptr)
        bytesReturned = &ignored;
    *bytesReturned = 0;
    ++state.controlCalls;
    if (state.removed)
        return kErrorDeviceNotConnected;
    const std::optional<SimFault> fault = DueFault(state, code);
    if (fault && fault->error != 0)
        return fault->error;
    const std::uint32_t error =
        Serve(state, code, input, inputSize, output, outputSize, bytesReturned);
    if (error != kErrorSuccess) {
        *bytesReturned = 0;
        return error;
    }
    if (fault)
        Damage(*fault, output, outputSize, bytesReturned);
    return kErrorSuccess;
}

}  // namespace kx::sim
