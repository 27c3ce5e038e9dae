#include "ui/about_box.h"

#include <string>

#include "common/process_state.h"
#include "ui/about_text.h"
#include "ui/texts.h"

namespace kx {

void ShowAboutBox(HWND owner) {
    const std::wstring text = AboutText(UseChinese);
    ::MessageBoxW(owner, text.c_str(), Text(TextId::AboutCaption), MB_ICONINFORMATION);
}

}  // namespace kx
