// POSIX file operations for the filter configuration. The Documents folder is the XDG
// documents directory, the nearest Linux counterpart of the shell's personal folder.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf.h"
#include "platform/file_system.h"
#include "platform/posix/read_fault.h"

namespace kx {

namespace {

constexpr std::uint64_t kMaxUserDirsBytes = 64 * 1024;

// A path with an embedded NUL would name a different file once handed to the kernel.
bool ToNativePath(const std::u16string& path, std::string* native) {
    if (path.empty() || path.find(u'\0') != std::u16string::npos)
        return false;
    *native = Utf16ToUtf8(path);
    return true;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string HomeDirectory() {
    std::string home = Environment("HOME");
    if (!home.empty())
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr)
        home = found->pw_dir;
    return home;
}

class UniqueFd {
  public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the result: on some file systems a failed write surfaces here.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

std::atomic<std::uint64_t> ReadFaultAfter{kNoReadFault};

// ::read, unless the injected fault says this read of the file fails.
ssize_t ReadSome(int fd, char* buffer, std::size_t size, std::uint64_t readSoFar) {
    const std::uint64_t faultAfter = ReadFaultAfter.load();
    if (faultAfter != kNoReadFault) {
        if (readSoFar >= faultAfter) {
            errno = EIO;
            return -1;
        }
        size = static_cast<std::size_t>(std::min<std::uint64_t>(size, faultAfter - readSoFar));
    }
    return ::read(fd, buffer, size);
}

// Reads fd to its end in chunks, handing each to consume; false on a read error or when
// consume refuses a chunk. *readError, when given, tells the two apart.
template <typename Consume>
bool ReadChunks(int fd, Consume consume, bool* readError = nullptr) {
    char buffer[65536];
    std::uint64_t readSoFar = 0;
    while (true) {
        const ssize_t got = ReadSome(fd, buffer, sizeof buffer, readSoFar);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            if (readError != nullptr)
                *readError = true;
            return false;
        }
        if (got == 0)
            return true;
        readSoFar += static_cast<std::uint64_t>(got);
        if (!consume(buffer, static_cast<std::size_t>(got)))
            return false;
    }
}

bool ReadAll(const std::string& path, std::string* bytes, std::uint64_t maxBytes,
             bool* complete = nullptr) {
    // O_NONBLOCK so that a FIFO in place of the file cannot hang the start-up; it is refused
    // below, and has no effect on regular files.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return false;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::uint64_t>(info.st_size) > maxBytes)
        return false;
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    bool readError = false;
    const bool whole = ReadChunks(
        fd.get(),
        [&](const char* chunk, std::size_t size) {
            if (content.size() + size > maxBytes)
                return false;  // grew while being read
            content.append(chunk, size);
            return true;
        },
        &readError);
    if (!whole && !(readError && complete != nullptr))
        return false;
    if (complete != nullptr)
        *complete = whole;
    *bytes = std::move(content);
    return true;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The value of one line of user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents", quoted, with
// backslash escapes, $HOME only at the start. Empty when the line is not that assignment.
std::string DocumentsDirFromLine(std::string_view line, const std::string& home) {
    const std::string_view key = "XDG_DOCUMENTS_DIR";
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (line.substr(i, key.size()) != key)
        return {};
    i += key.size();
    if (i >= line.size() || line[i] != '=' || ++i >= line.size() || line[i] != '"')
        return {};
    std::string value;
    bool closed = false;
    for (++i; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            value += line[++i];
        } else if (line[i] == '"') {
            closed = true;
            break;
        } else {
            value += line[i];
        }
    }
    if (!closed)
        return {};
    const std::string_view homeVariable = "$HOME";
    if (value.compare(0, homeVariable.size(), homeVariable) == 0 &&
        (value.size() == homeVariable.size() || value[homeVariable.size()] == '/')) {
        if (home.empty())
            return {};
        value = home + value.substr(homeVariable.size());
    }
    return !value.empty() && value.front() == '/' ? value : std::string();
}

std::string XdgDocumentsDir(const std::string& home) {
    std::string configHome = Environment("XDG_CONFIG_HOME");
    if (configHome.empty() || configHome.front() != '/') {
        if (home.empty())
            return {};
        configHome = home + "/.config";
    }
    std::string content;
    if (!ReadAll(configHome + "/user-dirs.dirs", &content, kMaxUserDirsBytes))
        return {};
    std::string found;  // the last assignment wins, as when the shell sources the file
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string value =
            DocumentsDirFromLine(std::string_view(content).substr(start, end - start), home);
        if (!value.empty())
            found = std::move(value);
        start = end + 1;
    }
    return found;
}

}  // namespace

std::u16string GetDocumentsFolder() {
    const std::string home = HomeDirectory();
    std::string documents = XdgDocumentsDir(home);
    if (documents.empty() && !home.empty() && home.front() == '/')
        documents = home + "/Documents";
    while (documents.size() > 1 && documents.back() == '/')
        documents.pop_back();
    return Utf8ToUtf16(documents);
}

char16_t PathSeparator() {
    return u'/';
}

bool CreateDirectoryAt(const std::u16string& path, bool* alreadyExists) {
    if (alreadyExists != nullptr)
        *alreadyExists = false;
    std::string native;
    if (!ToNativePath(path, &native))
        return false;
    if (::mkdir(native.c_str(), 0777) == 0)
        return true;
    if (errno == EEXIST && alreadyExists != nullptr)
        *alreadyExists = true;
    return false;
}

bool CopyFileOver(const std::u16string& from, const std::u16string& to) {
    std::string source;
    std::string target;
    if (!ToNativePath(from, &source) || !ToNativePath(to, &target))
        return false;
    UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat sourceInfo {};
    if (in.get() < 0 || ::fstat(in.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode))
        return false;
    // Truncating the target first would wipe the source if both name the same file.
    struct stat targetInfo {};
    if (::stat(target.c_str(), &targetInfo) == 0 && targetInfo.st_dev == sourceInfo.st_dev &&
        targetInfo.st_ino == sourceInfo.st_ino)
        return false;
    UniqueFd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (out.get() < 0)
        return false;
    const bool copied = ReadChunks(in.get(), [&](const char* chunk, std::size_t size) {
        return WriteAll(out.get(), chunk, size);
    });
    return copied && out.Close();
}

bool ReplaceFileWith(const std::u16string& from, const std::u16string& to) {
    std::string source;
    std::string target;
    if (!ToNativePath(from, &source) || !ToNativePath(to, &target))
        return false;
    if (::rename(source.c_str(), target.c_str()) != 0)
        return false;
    // Make the new directory entry durable too; failing that is not a failed replace.
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : target.substr(0, slash);
    UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0)
        ::fsync(directory.get());
    return true;
}

bool DeleteFileAt(const std::u16string& path) {
    std::string native;
    return ToNativePath(path, &native) && ::unlink(native.c_str()) == 0;
}

bool ReadWholeFile(const std::u16string& path, std::string* bytes, std::uint64_t maxBytes) {
    std::string native;
    return ToNativePath(path, &native) && ReadAll(native, bytes, maxBytes);
}

bool ReadFileUntilError(const std::u16string& path, std::string* bytes, std::uint64_t maxBytes,
                        bool* complete) {
    std::string native;
    return ToNativePath(path, &native) && ReadAll(native, bytes, maxBytes, complete);
}

void SetReadFaultAfter(std::uint64_t bytes) {
    ReadFaultAfter.store(bytes);
}

bool WriteWholeFile(const std::u16string& path, const std::string& bytes) {
    std::string native;
    if (!ToNativePath(path, &native))
        return false;
    UniqueFd fd(::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return false;
    if (!WriteAll(fd.get(), bytes.data(), bytes.size()) || ::fsync(fd.get()) != 0)
        return false;
    return fd.Close();
}

}  // namespace kx
