#include "tools/kxquery/file_reading.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

namespace kx::query {

namespace {

bool ReadStream(std::istream& in, const std::string& name, std::string* bytes, std::string* error) {
    std::ostringstream content;
    // Streaming an empty file sets failbit on content; only a failing source is an error.
    content << in.rdbuf();
    if (in.bad()) {
        *error = "cannot read " + name + ": read error";
        return false;
    }
    *bytes = content.str();
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
    return ReadStream(in, path, bytes, error);
}

}  // namespace kx::query
