#include "tools/kxquery/file_reading.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>
#include <vector>

namespace kx::query {

namespace {

// Read in blocks appended to the string, not streamed through operator<<, which swallows an
// allocation failure and ends the copy there: a large file would be read in part, silently.
bool ReadStream(std::istream& in, const std::string& name, std::string* bytes, std::string* error,
                std::uintmax_t sizeHint = 0) {
    std::string content;
    content.reserve(static_cast<std::size_t>(sizeHint));
    std::vector<char> block(1 << 16);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        content.append(block.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        *error = "cannot read " + name + ": read error";
        return false;
    }
    *bytes = std::move(content);
    return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error,
                   bool allowStandardInput) {
    if (allowStandardInput && path == "-")
        return ReadStream(std::cin, "standard input", bytes, error);
    std::error_code ignored;
    // A directory opens as a stream on Linux and then reads as nothing.
    if (std::filesystem::is_directory(path, ignored)) {
        *error = "cannot read " + path + ": is a directory";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ignored);
    return ReadStream(in, path, bytes, error, size == static_cast<std::uintmax_t>(-1) ? 0 : size);
}

}  // namespace kx::query
