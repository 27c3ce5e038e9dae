#include "ui/bounded_copy.h"

namespace kx {

void CopyTruncated(const wchar_t* text, wchar_t* field, std::size_t capacity) {
    if (capacity == 0)
        return;
    std::size_t length = 0;
    if (text != nullptr) {
        while (length + 1 < capacity && text[length] != L'\0') {
            field[length] = text[length];
            ++length;
        }
    }
    field[length] = L'\0';
}

}  // namespace kx
