#include <cctype>
#include <limits>

#include "common/utf.h"
#include "tools/kxquery/script.h"

namespace kx::query {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blank-separated fields; a field in double quotes may hold blanks. Windows names cannot hold
// a double quote, so no escape is needed.
bool SplitFields(const std::string& line, std::vector<std::string>* fields, std::string* problem) {
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size())
            return true;
        std::string field;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string::npos) {
                *problem = "unterminated quote";
                return false;
            }
            field = line.substr(i + 1, close - i - 1);
            i = close + 1;
            if (i < line.size() && !IsBlank(line[i])) {
                *problem = "a blank must follow a closing quote";
                return false;
            }
        } else {
            const std::size_t start = i;
            while (i < line.size() && !IsBlank(line[i]))
                ++i;
            field = line.substr(start, i - start);
        }
        fields->push_back(field);
    }
}

// What Windows refuses in a file name: control characters, the reserved punctuation, and the
// names "." and "..".
bool CheckName(const std::u16string& name, std::string* problem) {
    if (name.empty()) {
        *problem = "empty name";
        return false;
    }
    if (name == u"." || name == u"..") {
        *problem = "invalid name " + Utf16ToUtf8(name);
        return false;
    }
    for (const char16_t c : name) {
        if (c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' ||
            c == u'?' || c == u'*' || c == u'\\' || c == u'/') {
            *problem = "invalid character in name " + Utf16ToUtf8(name);
            return false;
        }
    }
    return true;
}

bool ParseDrive(const std::string& field, char* drive, std::string* problem) {
    const bool form =
        (field.size() == 2 || (field.size() == 3 && (field[2] == '\\' || field[2] == '/'))) &&
        std::isalpha(static_cast<unsigned char>(field[0])) && field[1] == ':';
    if (!form) {
        *problem = "expected a drive such as C: instead of " + field;
        return false;
    }
    *drive = static_cast<char>(std::toupper(static_cast<unsigned char>(field[0])));
    return true;
}

// "K:", "K:\" or "K:\a\b" with \ or / between components; a trailing separator is allowed.
bool ParsePath(const std::string& field, ScriptPath* path, std::string* problem) {
    if (field.size() < 2 || !std::isalpha(static_cast<unsigned char>(field[0])) ||
        field[1] != ':' || (field.size() > 2 && field[2] != '\\' && field[2] != '/')) {
        *problem = "expected a full path such as C:\\dir\\file instead of " + field;
        return false;
    }
    path->drive = static_cast<char>(std::toupper(static_cast<unsigned char>(field[0])));
    std::u16string rest = Utf8ToUtf16(field.size() > 3 ? field.substr(3) : std::string());
    for (char16_t& c : rest) {
        if (c == u'/')
            c = u'\\';
    }
    if (!rest.empty() && rest.back() == u'\\')
        rest.pop_back();
    path->belowRoot.clear();
    std::size_t start = 0;
    while (start < rest.size()) {
        std::size_t end = rest.find(u'\\', start);
        if (end == std::u16string::npos)
            end = rest.size();
        if (!CheckName(rest.substr(start, end - start), problem)) {
            *problem = field + ": " + *problem;
            return false;
        }
        start = end + 1;
    }
    path->belowRoot = rest;
    return true;
}

bool ParseNumber(const std::string& field, std::uint64_t limit, std::uint64_t* value) {
    if (field.empty() || field.size() > 19)
        return false;
    std::uint64_t result = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (result > limit)
        return false;
    *value = result;
    return true;
}

struct Keyword {
    const char* word;
    StepKind kind;
    std::size_t minimumFields;  // after the keyword
    std::size_t maximumFields;
    const char* usage;
};

constexpr Keyword kKeywords[] = {
    {"create", StepKind::kCreateFile, 1, 2, "create PATH [SIZE]"},
    {"mkdir", StepKind::kCreateDirectory, 1, 1, "mkdir PATH"},
    {"rename", StepKind::kRename, 2, 2, "rename PATH NEWNAME"},
    {"move", StepKind::kMove, 2, 2, "move PATH DIR"},
    {"delete", StepKind::kDelete, 1, 1, "delete PATH"},
    {"temp", StepKind::kTemporaryFile, 1, 1, "temp PATH"},
    {"create-rename", StepKind::kCreateThenRename, 2, 2, "create-rename PATH NAME"},
    {"delete-journal", StepKind::kDeleteJournal, 1, 1, "delete-journal K:"},
    {"remove-drive", StepKind::kRemoveDrive, 1, 1, "remove-drive K:"},
    {"wait", StepKind::kWait, 1, 1, "wait MS"},
};

bool ParseFields(const Keyword& keyword, const std::vector<std::string>& fields, ScriptStep* step,
                 std::string* problem) {
    const std::size_t count = fields.size() - 1;
    if (count < keyword.minimumFields || count > keyword.maximumFields) {
        *problem = std::string(count < keyword.minimumFields ? "too few" : "too many") +
                   " fields: expected " + keyword.usage;
        return false;
    }
    switch (keyword.kind) {
        case StepKind::kDeleteJournal:
        case StepKind::kRemoveDrive:
            return ParseDrive(fields[1], &step->path.drive, problem);
        case StepKind::kWait: {
            std::uint64_t value = 0;
            if (!ParseNumber(fields[1], kLongestWaitMilliseconds, &value)) {
                *problem = "expected milliseconds from 0 to " +
                           std::to_string(kLongestWaitMilliseconds) + " instead of " + fields[1];
                return false;
            }
            step->milliseconds = static_cast<std::uint32_t>(value);
            return true;
        }
        default:
            break;
    }
    if (!ParsePath(fields[1], &step->path, problem))
        return false;
    if (step->path.belowRoot.empty()) {
        *problem = fields[1] + " is the root directory";
        return false;
    }
    if (keyword.kind == StepKind::kCreateFile && count == 2) {
        std::uint64_t size = 0;
        if (!ParseNumber(fields[2], std::numeric_limits<std::int64_t>::max(), &size)) {
            *problem = "expected a size in bytes instead of " + fields[2];
            return false;
        }
        step->size = static_cast<std::int64_t>(size);
    }
    if (keyword.kind == StepKind::kRename || keyword.kind == StepKind::kCreateThenRename) {
        step->name = Utf8ToUtf16(fields[2]);
        return CheckName(step->name, problem);
    }
    if (keyword.kind == StepKind::kMove) {
        if (!ParsePath(fields[2], &step->directory, problem))
            return false;
        if (step->directory.drive != step->path.drive) {
            *problem = "a move stays on one drive";
            return false;
        }
    }
    return true;
}

bool ParseLine(const std::string& line, ScriptStep* step, std::string* problem) {
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first]))
        ++first;
    // The query text is taken verbatim: blanks, quotes and wildcards are plain characters to
    // the search, so they are not fields here.
    if (line.compare(first, 5, "query") == 0 &&
        (first + 5 == line.size() || IsBlank(line[first + 5]))) {
        step->kind = StepKind::kQuery;
        step->name = Utf8ToUtf16(first + 6 <= line.size() ? line.substr(first + 6) : "");
        return true;
    }
    std::vector<std::string> fields;
    if (!SplitFields(line, &fields, problem))
        return false;
    for (const Keyword& keyword : kKeywords) {
        if (fields[0] == keyword.word) {
            step->kind = keyword.kind;
            return ParseFields(keyword, fields, step, problem);
        }
    }
    *problem = "unknown step " + fields[0];
    return false;
}

}  // namespace

bool ParseScript(const std::string& text, const std::string& source, std::vector<ScriptStep>* steps,
                 std::string* error) {
    steps->clear();
    std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::size_t number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        ScriptStep step;
        step.line = number;
        step.text = line;
        std::string problem;
        if (!ParseLine(line, &step, &problem)) {
            *error = source + ":" + std::to_string(number) + ": " + problem;
            steps->clear();
            return false;
        }
        steps->push_back(std::move(step));
    }
    return true;
}

std::u16string FullPathText(const ScriptPath& path) {
    std::u16string text;
    text += static_cast<char16_t>(path.drive);
    text += u":\\";
    return text + path.belowRoot;
}

}  // namespace kx::query
