#include "filters/config_writer.h"

#include "common/utf.h"

namespace kx {

std::string FormatFilterConfig(const CategoryList& categories) {
    std::string bytes = "\xEF\xBB\xBF";
    for (const FilterCategory& category : categories) {
        bytes += Utf16ToUtf8(category.name);
        bytes += '=';
        for (std::size_t i = 0; i < category.extensions.size(); ++i) {
            if (i != 0)
                bytes += ',';
            bytes += Utf16ToUtf8(category.extensions[i]);
        }
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace kx
