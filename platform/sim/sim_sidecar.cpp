// The sidecar of an MFT file: sizes and times, which USN records do not carry. One line per
// file, "FRN SIZE LASTWRITE CREATION", numbers in decimal or 0x-hex, '#' to the end of a line
// a comment.
#include <cinttypes>
#include <cstdio>
#include <limits>

#include "platform/sim/sim_volume_state.h"
#include "platform/sim/simulated_volume.h"
#include "platform/usn_layout.h"

namespace kx::sim {

namespace {

struct SidecarLine {
    std::uint64_t frn = 0;
    std::uint64_t size = 0;
    std::uint64_t lastWriteTime = 0;
    std::uint64_t creationTime = 0;
};

constexpr const char* kFieldNames[] = {"FRN", "SIZE", "LASTWRITE", "CREATION"};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

int DigitValue(char c, int base) {
    int value = 99;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Empty when the text is a number; else why not.
std::string ParseNumber(std::string_view text, std::uint64_t* value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t result = 0;
    const std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    for (const char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return "is not a number";
        if (result > (max - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
            return "is out of range";
        result = result * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    *value = result;
    return std::string();
}

// Empty when the line is good (or holds nothing); else the problem.
std::string ParseLine(std::string_view line, std::vector<SidecarLine>* lines) {
    const std::size_t comment = line.find('#');
    if (comment != std::string_view::npos)
        line = line.substr(0, comment);
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        const std::size_t start = at;
        while (at < line.size() && !IsBlank(line[at]))
            ++at;
        if (at > start)
            fields.push_back(line.substr(start, at - start));
    }
    if (fields.empty())
        return std::string();
    if (fields.size() != 4) {
        return "expected FRN SIZE LASTWRITE CREATION, found " + std::to_string(fields.size()) +
               " fields";
    }
    std::uint64_t values[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::string problem = ParseNumber(fields[i], &values[i]);
        if (!problem.empty())
            return std::string(kFieldNames[i]) + " '" + std::string(fields[i]) + "' " + problem;
    }
    if (values[1] > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return "SIZE '" + std::string(fields[1]) + "' is out of range";
    lines->push_back({values[0], values[1], values[2], values[3]});
    return std::string();
}

}  // namespace

bool SimVolume::LoadSidecar(const std::string& text, std::string* error) {
    std::string_view rest(text);
    if (rest.size() >= 3 && rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);
    std::vector<SidecarLine> lines;
    for (std::size_t number = 1; !rest.empty(); ++number) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const std::string problem = ParseLine(line, &lines);
        if (!problem.empty()) {
            if (error != nullptr)
                *error = "line " + std::to_string(number) + ": " + problem;
            return false;
        }
    }
    std::lock_guard<std::mutex> guard(mutex_);
    for (const SidecarLine& line : lines) {
        EntrySlot* slot = LiveSlot(*state_, line.frn);
        if (slot == nullptr)
            continue;
        slot->size = static_cast<std::int64_t>(line.size);
        slot->lastWriteTime = line.lastWriteTime;
        slot->creationTime = line.creationTime;
    }
    return true;
}

std::string SimVolume::SaveSidecar() const {
    std::lock_guard<std::mutex> guard(mutex_);
    std::string text = "# FRN SIZE LASTWRITE CREATION\n";
    char line[96];
    for (std::uint64_t record = kFirstUserRecord; record < state_->entries.size(); ++record) {
        const EntrySlot& slot = state_->entries[record];
        if (!slot.inUse)
            continue;
        std::snprintf(line, sizeof(line), "0x%016" PRIX64 " %" PRId64 " %" PRIu64 " %" PRIu64 "\n",
                      FrnOf(*state_, record), slot.size, slot.lastWriteTime, slot.creationTime);
        text += line;
    }
    return text;
}

}  // namespace kx::sim
