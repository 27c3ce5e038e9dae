#include "tools/kxquery/script_runner.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "common/utf.h"
#include "index/search_engine.h"
#include "platform/sim/simulated_drives.h"
#include "platform/usn_layout.h"
#include "tools/kxquery/hit_printing.h"
#include "tools/kxquery/journal_catch_up.h"
#include "tools/kxquery/search_session.h"

namespace kx::query {

namespace {

// Far more ancestors than any path has; it only bounds the walk should the tree ever loop.
constexpr int kLongestAncestry = 100000;

struct Machine {
    std::map<char, std::shared_ptr<sim::SimVolume>> present;  // drives not removed
};

std::u16string ParentOf(const std::u16string& belowRoot) {
    const std::size_t slash = belowRoot.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : belowRoot.substr(0, slash);
}

std::u16string Join(const std::u16string& directory, const std::u16string& name) {
    return directory.empty() ? name : directory + u'\\' + name;
}

std::string Text(const ScriptPath& path) {
    return Utf16ToUtf8(FullPathText(path));
}

// What a step works on, looked up once; every lookup failure is the step's error.
struct StepContext {
    Machine& machine;
    const ScriptStep& step;
    std::string* problem;

    sim::SimVolume* Drive(char letter) {
        const auto found = machine.present.find(letter);
        if (found == machine.present.end()) {
            *problem = std::string("no drive ") + letter + ": on the machine";
            return nullptr;
        }
        return found->second.get();
    }

    bool IsDirectory(sim::SimVolume& volume, std::uint64_t frn) {
        const auto entry = volume.Find(frn);
        return entry && (entry->attributes & FILE_ATTRIBUTE_DIRECTORY_BIT) != 0;
    }

    std::optional<std::uint64_t> Existing(sim::SimVolume& volume, const ScriptPath& path) {
        const auto frn = volume.FindByPath(path.belowRoot);
        if (!frn)
            *problem = "no such file or directory " + Text(path);
        return frn;
    }

    std::optional<std::uint64_t> Directory(sim::SimVolume& volume, const ScriptPath& path) {
        const auto frn = Existing(volume, path);
        if (frn && !IsDirectory(volume, *frn)) {
            *problem = Text(path) + " is not a directory";
            return std::nullopt;
        }
        return frn;
    }

    // The directory a new entry named by path goes into; false when path is taken.
    std::optional<std::uint64_t> FreeSlot(sim::SimVolume& volume, const ScriptPath& path) {
        if (volume.FindByPath(path.belowRoot)) {
            *problem = Text(path) + " already exists";
            return std::nullopt;
        }
        return Directory(volume, ScriptPath{path.drive, ParentOf(path.belowRoot)});
    }

    bool Inside(sim::SimVolume& volume, std::uint64_t frn, std::uint64_t directory) {
        for (int depth = 0; depth < kLongestAncestry; ++depth) {
            if (directory == frn)
                return true;
            const auto entry = volume.Find(directory);
            if (!entry || entry->parentFrn == directory)
                return false;
            directory = entry->parentFrn;
        }
        return true;
    }
};

bool ApplyChange(StepContext& context) {
    const ScriptStep& step = context.step;
    sim::SimVolume* volume = context.Drive(step.path.drive);
    if (volume == nullptr)
        return false;
    const std::u16string name = step.path.belowRoot.substr(step.path.belowRoot.rfind(u'\\') + 1);
    switch (step.kind) {
        case StepKind::kCreateFile:
        case StepKind::kCreateDirectory:
        case StepKind::kTemporaryFile:
        case StepKind::kCreateThenRename: {
            const auto parent = context.FreeSlot(*volume, step.path);
            if (!parent)
                return false;
            if (step.kind == StepKind::kCreateFile) {
                volume->CreateFile(*parent, name, step.size);
            } else if (step.kind == StepKind::kCreateDirectory) {
                volume->CreateDirectory(*parent, name);
            } else if (step.kind == StepKind::kTemporaryFile) {
                volume->CreateTemporaryFile(*parent, name);
            } else {
                const ScriptPath renamed{step.path.drive,
                                         Join(ParentOf(step.path.belowRoot), step.name)};
                if (!context.FreeSlot(*volume, renamed))
                    return false;
                volume->CreateThenRenameBeforeClose(*parent, name, step.name);
            }
            return true;
        }
        case StepKind::kRename: {
            const auto frn = context.Existing(*volume, step.path);
            if (!frn)
                return false;
            const ScriptPath renamed{step.path.drive,
                                     Join(ParentOf(step.path.belowRoot), step.name)};
            // Only the same entry may hold the new name already: a change of letter case.
            const auto holder = volume->FindByPath(renamed.belowRoot);
            if (holder && *holder != *frn) {
                *context.problem = Text(renamed) + " already exists";
                return false;
            }
            volume->Rename(*frn, step.name);
            return true;
        }
        case StepKind::kMove: {
            const auto frn = context.Existing(*volume, step.path);
            if (!frn)
                return false;
            const auto directory = context.Directory(*volume, step.directory);
            if (!directory)
                return false;
            if (context.Inside(*volume, *frn, *directory)) {
                *context.problem = "cannot move " + Text(step.path) + " into itself";
                return false;
            }
            const ScriptPath moved{step.path.drive, Join(step.directory.belowRoot, name)};
            if (volume->FindByPath(moved.belowRoot)) {
                *context.problem = Text(moved) + " already exists";
                return false;
            }
            volume->Move(*frn, *directory);
            return true;
        }
        case StepKind::kDelete: {
            const auto frn = context.Existing(*volume, step.path);
            if (frn)
                volume->Delete(*frn);
            return frn.has_value();
        }
        case StepKind::kDeleteJournal:
            volume->DeleteJournal();
            return true;
        case StepKind::kRemoveDrive:
            sim::RemoveDrive(step.path.drive);
            context.machine.present.erase(step.path.drive);
            return true;
        case StepKind::kWait:
        case StepKind::kQuery:
            break;
    }
    return true;
}

// Each drive still on the machine with the engine's table of it; a drive that was not indexed
// has no monitor to wait for.
std::vector<MonitoredDrive> MonitoredDrives(const Machine& machine) {
    std::vector<MonitoredDrive> drives;
    // Complete and unchanging once the start-up is over.
    for (const auto& table : TheSearchEngine().volumes) {
        const std::u16string& root = table->rootPath;
        const auto found = root.size() == 2 ? machine.present.find(static_cast<char>(root[0]))
                                            : machine.present.end();
        if (found != machine.present.end())
            drives.push_back(MonitoredDrive{found->second, table.get()});
    }
    return drives;
}

bool RunQueryStep(QueryWindow& window, const Machine& machine, const ScriptStep& step,
                  const QuerySettings& settings, std::string* problem) {
    // A stale answer printed as if it were current is worse than none.
    if (!WaitForJournalMonitors(MonitoredDrives(machine), kJournalPatience, problem))
        return false;
    const SearchOutcome outcome = RunQuery(window, step.name, settings, problem);
    if (!outcome.completed)
        return false;
    PrintVisibleHits(settings.details);
    return true;
}

}  // namespace

bool RunScript(QueryWindow& window, const std::vector<ScriptStep>& steps, const std::string& source,
               const QuerySettings& settings, std::string* error) {
    Machine machine;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (auto volume = sim::VolumeOf(letter))
            machine.present.emplace(letter, std::move(volume));
    }
    for (const ScriptStep& step : steps) {
        std::printf("> %s\n", step.text.c_str());
        std::fflush(stdout);
        const std::string where = source + ":" + std::to_string(step.line);
        std::string problem;
        bool applied = true;
        if (step.kind == StepKind::kWait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(step.milliseconds));
        } else if (step.kind == StepKind::kQuery) {
            applied = RunQueryStep(window, machine, step, settings, &problem);
        } else {
            StepContext context{machine, step, &problem};
            applied = ApplyChange(context);
        }
        std::fflush(stdout);
        if (!applied) {
            *error = where + ": " + problem;
            return false;
        }
    }
    return true;
}

}  // namespace kx::query
