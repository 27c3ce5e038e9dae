// The texts and shell parameters the file actions build from a path or an error code.
#pragma once

#include <cstddef>
#include <string>

#include "ui/texts.h"

namespace kx {

// Texts holding an error code are built in a buffer of this many wide characters.
constexpr std::size_t kErrorTextCapacity = 256;

// format (one of the "...Format" texts, in the interface language) with code as an unsigned
// decimal number, cut to kErrorTextCapacity - 1 characters.
std::wstring ErrorCodeText(TextId format, unsigned long code);

// The delete question followed by the path.
std::wstring DeleteQuestionText(const std::wstring& path);

// explorer.exe's parameters for a folder window with path selected: /select,"path". The
// quotation marks keep a path with blanks or commas one argument.
std::wstring SelectInFolderParameters(const std::wstring& path);

}  // namespace kx
