#include "ui/about_text.h"

#include <cwchar>

#include "resources/product.h"
#include "ui/texts.h"

namespace kx {

std::wstring AboutText(bool chinese) {
    wchar_t text[kAboutTextCapacity];
    // The four lines are far shorter than the buffer; the terminators keep the result a
    // string even on a C runtime that leaves a cut result unterminated.
    text[0] = L'\0';
    std::swprintf(text, kAboutTextCapacity, L"%ls\n%ls\n%ls%ls\n%ls",
                  TextIn(TextId::AboutProductLine, chinese),
                  TextIn(TextId::AboutBrandLine, chinese),
                  TextIn(TextId::AboutWebsiteLabel, chinese), L"" KX_PRODUCT_WEB_ADDRESS,
                  TextIn(TextId::AboutVersionLine, chinese));
    text[kAboutTextCapacity - 1] = L'\0';
    return text;
}

}  // namespace kx
