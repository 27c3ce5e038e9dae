// Reading the files kxquery is given, whole, with one-line errors that name them.
#pragma once

#include <string>

namespace kx::query {

// Reads path ("-" means standard input when allowStandardInput) into *bytes. False with
// *error set to "cannot read PATH: REASON" otherwise, directories included.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error,
                   bool allowStandardInput = false);

}  // namespace kx::query
