// SimVolume: its journal, faults and access switches, and inspection of its entries.
#include "platform/sim/sim_volume_state.h"
#include "platform/sim/simulated_volume.h"
#include "platform/usn_layout.h"

namespace kx::sim {

void SimVolume::DeleteJournal() {
    std::lock_guard<std::mutex> guard(mutex_);
    RemoveJournal(*state_);
}

void SimVolume::SetJournalMaximumSize(std::uint64_t bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!state_->journal)
        return;
    state_->journal->maximumSize = bytes;
    TrimJournal(*state_->journal);
}

bool SimVolume::HasJournal() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_->journal.has_value();
}

std::uint64_t SimVolume::JournalId() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_->journal ? state_->journal->id : 0;
}

std::int64_t SimVolume::NextUsn() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_->journal ? state_->journal->nextUsn : 0;
}

std::int64_t SimVolume::FirstUsn() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_->journal ? state_->journal->firstUsn : 0;
}

void SimVolume::InjectFault(const SimFault& fault) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_->faults.push_back({fault, fault.callNumber == 0 ? 1 : fault.callNumber});
}

void SimVolume::SetRemoved(bool removed) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_->removed = removed;
}

void SimVolume::SetHeld(bool held) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        state_->held = held;
    }
    released_.notify_all();
}

void SimVolume::SetAccessDenied(bool denied) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_->accessDenied = denied;
}

bool SimVolume::IsRemoved() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_->removed;
}

bool SimVolume::IsAccessDenied() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_->accessDenied;
}

std::uint32_t SimVolume::ControlCallCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return state_->controlCalls;
}

std::optional<SimEntry> SimVolume::Find(std::uint64_t frn) const {
    std::lock_guard<std::mutex> guard(mutex_);
    if (LiveSlot(*state_, frn) == nullptr)
        return std::nullopt;
    return ToSimEntry(*state_, RecordNumberOf(frn));
}

std::optional<std::uint64_t> SimVolume::FindByPath(const std::u16string& pathBelowRoot) const {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto record = RecordAtPath(*state_, pathBelowRoot);
    if (!record)
        return std::nullopt;
    return FrnOf(*state_, *record);
}

std::optional<SimEntry> SimVolume::EntryAtPath(const std::u16string& pathBelowRoot) const {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto record = RecordAtPath(*state_, pathBelowRoot);
    if (!record)
        return std::nullopt;
    return ToSimEntry(*state_, *record);
}

std::vector<SimEntry> SimVolume::LiveEntries() const {
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<SimEntry> live;
    for (std::uint64_t record = kFirstUserRecord; record < state_->entries.size(); ++record) {
        if (state_->entries[record].inUse)
            live.push_back(ToSimEntry(*state_, record));
    }
    return live;
}

std::size_t SimVolume::LiveEntryCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    std::size_t count = 0;
    for (std::uint64_t record = kFirstUserRecord; record < state_->entries.size(); ++record)
        count += state_->entries[record].inUse ? 1 : 0;
    return count;
}

std::u16string SimVolume::PathOf(std::uint64_t frn) const {
    std::lock_guard<std::mutex> guard(mutex_);
    if (LiveSlot(*state_, frn) == nullptr)
        return std::u16string();
    return PathBelowRoot(*state_, RecordNumberOf(frn));
}

}  // namespace kx::sim
