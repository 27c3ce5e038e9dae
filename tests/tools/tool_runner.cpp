#include "tests/tools/tool_runner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kx::testing {

namespace {

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace

std::vector<std::string> ToolRun::Lines() const {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < out.size()) {
        std::size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        lines.push_back(out.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool ToolRun::OneErrorLine() const {
    return !err.empty() && err.find('\n') == err.size() - 1;
}

ScratchDirectory::ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kxquery-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a scratch directory");
    path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDirectory::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = path_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

ToolRun RunKxquery(const std::vector<std::string>& arguments, const std::string& input) {
    const ScratchDirectory io;
    const std::string in = io.Write("stdin", input);
    std::string command = "TZ=UTC " + ShellQuoted(KXQUERY_PATH);
    for (const std::string& argument : arguments)
        command += " " + ShellQuoted(argument);
    command += " <" + ShellQuoted(in) + " >" + ShellQuoted(io.Path() + "/stdout") + " 2>" +
               ShellQuoted(io.Path() + "/stderr");
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadAll(io.Path() + "/stdout");
    run.err = ReadAll(io.Path() + "/stderr");
    return run;
}

}  // namespace kx::testing
