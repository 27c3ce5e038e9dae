#include "ui/file_action_texts.h"

#include <cwchar>

namespace kx {

std::wstring ErrorCodeText(TextId format, unsigned long code) {
    wchar_t text[kErrorTextCapacity] = {};
    // A negative result means the text was cut; what was written is kept, ended in range.
    if (std::swprintf(text, kErrorTextCapacity, Text(format), code) < 0)
        text[kErrorTextCapacity - 1] = L'\0';
    return text;
}

std::wstring DeleteQuestionText(const std::wstring& path) {
    return Text(TextId::DeleteQuestion) + path;
}

std::wstring SelectInFolderParameters(const std::wstring& path) {
    return L"/select,\"" + path + L"\"";
}

}  // namespace kx
