// File operations of the filter configuration: the Documents folder, directories, whole files.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

// The user's Documents folder without a trailing separator; empty when it cannot be found.
std::u16string GetDocumentsFolder();

// The separator between path components on this platform (\ on Windows, / on POSIX).
char16_t PathSeparator();

// CreateDirectoryW: true when created. *alreadyExists is set when it failed because the
// directory was there already.
bool CreateDirectoryAt(const std::u16string& path, bool* alreadyExists);

// CopyFileW with bFailIfExists = FALSE.
bool CopyFileOver(const std::u16string& from, const std::u16string& to);

// Renames from over to, replacing to atomically where the file system allows it.
bool ReplaceFileWith(const std::u16string& from, const std::u16string& to);

bool DeleteFileAt(const std::u16string& path);

// Whole-file reads and writes of raw bytes. ReadWholeFile fails on files above maxBytes.
bool ReadWholeFile(const std::u16string& path, std::string* bytes, std::uint64_t maxBytes);

// Reads a file from its start until its end or the first read error. False, with *bytes
// untouched, when it cannot be opened, is no regular file or holds more than maxBytes; else
// true with the bytes read, and *complete false when a read error cut them short.
bool ReadFileUntilError(const std::u16string& path, std::string* bytes, std::uint64_t maxBytes,
                        bool* complete);
bool WriteWholeFile(const std::u16string& path, const std::string& bytes);

}  // namespace kx
