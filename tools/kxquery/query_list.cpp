#include "tools/kxquery/query_list.h"

#include <cstdio>

#include "common/utf.h"
#include "tools/kxquery/file_reading.h"
#include "tools/kxquery/search_session.h"

namespace kx::query {

bool RunQueryList(QueryWindow& window, const std::string& source, const QuerySettings& settings,
                  std::string* error) {
    std::string text;
    if (!ReadWholeFile(source, &text, error, true))
        return false;
    const std::string name = source == "-" ? "standard input" : source;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string problem;
        const SearchOutcome outcome = RunQuery(window, Utf8ToUtf16(line), settings, &problem);
        if (!outcome.completed) {
            *error = name + ":" + std::to_string(number) + ": " + problem;
            return false;
        }
        // Printed as each search ends, so that a reader sees progress over a long list.
        std::printf("%s\t%zu\t%.3f\n", line.c_str(), outcome.hitsInCategory,
                    outcome.searchMilliseconds);
        std::fflush(stdout);
    }
    return true;
}

}  // namespace kx::query
