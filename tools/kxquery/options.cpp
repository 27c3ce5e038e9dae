#include "tools/kxquery/options.h"

#include <cctype>
#include <cstddef>

#include "filters/default_categories.h"
#include "search/compare_match_items.h"

namespace kx::query {

namespace {

constexpr std::int32_t kLongestJournalPoll = 60000;

// "K=FILE" with K a drive letter; the letter is returned in upper case.
bool SplitDriveAssignment(const std::string& text, char* letter, std::string* file) {
    if (text.size() < 3 || text[1] != '=' || !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    *letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    *file = text.substr(2);
    return true;
}

VolumeSource* FindVolume(Options& options, char letter) {
    for (VolumeSource& source : options.volumes) {
        if (source.letter == letter)
            return &source;
    }
    return nullptr;
}

bool TakesValue(const std::string& argument) {
    return argument == "--volume" || argument == "--sidecar" || argument == "--query" ||
           argument == "--category" || argument == "--sort" || argument == "--queries-from" ||
           argument == "--script" || argument == "--lang" || argument == "--journal-poll";
}

// Digits only, no sign and no blank, small enough for a category index.
bool ParseIndex(const std::string& text, std::int32_t* value) {
    if (text.empty() || text.size() > 9)
        return false;
    std::int32_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + (c - '0');
    }
    *value = result;
    return true;
}

struct Parser {
    Options options;
    std::vector<std::pair<char, std::string>> sidecars;
    bool categoryGiven = false;
    bool langGiven = false;
    std::string* error;

    bool Fail(const std::string& message) {
        *error = message;
        return false;
    }

    bool Once(bool* given, const std::string& argument) {
        if (*given)
            return Fail("argument " + argument + " given twice");
        *given = true;
        return true;
    }

    bool DriveValue(const std::string& argument, const std::string& value) {
        char letter = 0;
        std::string file;
        if (!SplitDriveAssignment(value, &letter, &file)) {
            return Fail("argument " + argument + " " + value +
                        ": expected a drive letter, '=' and a file name");
        }
        if (argument == "--sidecar") {
            sidecars.emplace_back(letter, file);
        } else if (FindVolume(options, letter) != nullptr) {
            return Fail("argument --volume " + value + ": drive " + letter + ": given twice");
        } else {
            options.volumes.push_back(VolumeSource{letter, file, {}});
        }
        return true;
    }

    bool Value(const std::string& argument, const std::string& value) {
        if (argument == "--volume" || argument == "--sidecar")
            return DriveValue(argument, value);
        if (argument == "--query") {
            if (options.query)
                return Fail("argument --query given twice");
            options.query = value;
            return true;
        }
        if (argument == "--queries-from" || argument == "--script") {
            std::string& target = argument == "--script" ? options.scriptFile : options.queriesFrom;
            if (!target.empty())
                return Fail("argument " + argument + " given twice");
            if (value.empty())
                return Fail("argument " + argument + " needs a file name");
            target = value;
            return true;
        }
        if (argument == "--category") {
            if (!Once(&categoryGiven, argument))
                return false;
            const std::size_t count = DefaultCategories(false).size();
            std::int32_t index = 0;
            if (!ParseIndex(value, &index))
                return Fail("argument --category " + value + ": expected a category number");
            if (static_cast<std::size_t>(index) >= count) {
                return Fail("argument --category " + value + ": no such category (0 to " +
                            std::to_string(count - 1) + ")");
            }
            options.settings.category = index;
            return true;
        }
        if (argument == "--journal-poll") {
            if (options.journalPollMilliseconds != 0)
                return Fail("argument --journal-poll given twice");
            std::int32_t milliseconds = 0;
            if (!ParseIndex(value, &milliseconds) || milliseconds < 1 ||
                milliseconds > kLongestJournalPoll) {
                return Fail("argument --journal-poll " + value + ": expected 1 to " +
                            std::to_string(kLongestJournalPoll) + " milliseconds");
            }
            options.journalPollMilliseconds = static_cast<std::uint32_t>(milliseconds);
            return true;
        }
        if (argument == "--sort") {
            if (options.settings.sortColumn != 0)
                return Fail("argument --sort given twice");
            options.settings.sortColumn = SortColumnByName(value);
            if (options.settings.sortColumn == 0) {
                return Fail("argument --sort " + value +
                            ": expected name, size, modified, created or path");
            }
            return true;
        }
        // --lang
        if (!Once(&langGiven, argument))
            return false;
        if (value != "en" && value != "zh")
            return Fail("argument --lang " + value + ": expected en or zh");
        options.chinese = value == "zh";
        return true;
    }

    bool Flag(const std::string& argument) {
        if (argument == "--demo") {
            options.demo = true;
        } else if (argument == "--paths") {
            options.printPaths = true;
        } else if (argument == "--count") {
            options.printCount = true;
        } else if (argument == "--memory") {
            options.printMemory = true;
        } else if (argument == "--details") {
            options.settings.details = true;
        } else if (argument == "--descending") {
            options.settings.descending = true;
        } else if (argument == "--categories") {
            options.listCategories = true;
        } else {
            return Fail("unknown argument " + argument);
        }
        return true;
    }

    bool Check() {
        for (const auto& [letter, file] : sidecars) {
            VolumeSource* source = FindVolume(options, letter);
            if (source == nullptr) {
                return Fail(std::string("argument --sidecar ") + letter + "=" + file +
                            ": no --volume " + letter + "=FILE given");
            }
            source->sidecarFile = file;
        }
        const int modes = (options.query ? 1 : 0) + (options.queriesFrom.empty() ? 0 : 1) +
                          (options.scriptFile.empty() ? 0 : 1);
        if (modes > 1)
            return Fail("arguments --query, --queries-from and --script exclude each other");
        const bool printsHits = options.query || !options.scriptFile.empty();
        if (options.settings.descending && options.settings.sortColumn == 0)
            return Fail("argument --descending needs --sort");
        if (options.settings.sortColumn != 0 && !printsHits)
            return Fail("argument --sort needs --query or --script");
        if (options.settings.details && !printsHits)
            return Fail("argument --details needs --query or --script");
        if (options.journalPollMilliseconds != 0 && options.scriptFile.empty())
            return Fail("argument --journal-poll needs --script");
        if (categoryGiven && modes == 0)
            return Fail("argument --category needs --query, --queries-from or --script");
        // Listing the categories needs no volume.
        if (options.listCategories && options.volumes.empty() && !options.demo && modes == 0 &&
            !options.printPaths && !options.printCount && !options.printMemory) {
            return true;
        }
        if (options.volumes.empty() && !options.demo)
            return Fail("no volume given: use --volume K=FILE or --demo");
        if (options.demo && FindVolume(options, 'C') != nullptr)
            return Fail("argument --demo: drive C: is already given by --volume");
        return true;
    }
};

}  // namespace

std::int32_t SortColumnByName(const std::string& name) {
    if (name == "name")
        return kColumnName;
    if (name == "size")
        return kColumnSize;
    if (name == "modified")
        return kColumnModified;
    if (name == "created")
        return kColumnCreated;
    if (name == "path")
        return kColumnPath;
    return 0;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string* error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (TakesValue(arguments[i])) {
            ++i;
        } else if (arguments[i] == "--help" || arguments[i] == "-h") {
            Options help;
            help.help = true;
            return help;
        }
    }
    Parser parser;
    parser.error = error;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (TakesValue(argument)) {
            if (i + 1 >= arguments.size()) {
                const bool drive = argument == "--volume" || argument == "--sidecar";
                *error = "argument " + argument +
                         (drive ? " needs a value of the form K=FILE" : " needs a value");
                return std::nullopt;
            }
            if (!parser.Value(argument, arguments[++i]))
                return std::nullopt;
        } else if (!parser.Flag(argument)) {
            return std::nullopt;
        }
    }
    if (!parser.Check())
        return std::nullopt;
    return std::move(parser.options);
}

}  // namespace kx::query
