#include "ui/file_actions.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_string.h"
#include "search/details.h"
#include "search/search_run.h"
#include "search/search_state.h"
#include "search/visible_results.h"
#include "ui/file_action_texts.h"
#include "ui/list_view_state.h"
#include "ui/search_edit.h"
#include "ui/texts.h"
#include "ui/window_state.h"

namespace kx {

namespace {

constexpr DWORD kCancelledByUser = ERROR_CANCELLED;  // 1223: the elevation prompt declined

// Memory from GlobalAlloc until the clipboard takes it over.
struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::GlobalFree(handle); }
};
using UniqueGlobalMemory = UniqueResource<GlobalMemoryTraits>;

int ShowBox(const wchar_t* text, TextId caption, UINT style) {
    return ::MessageBoxW(MainWindowHandle, text, Text(caption), style);
}

void ShowError(const wchar_t* text) {
    ShowBox(text, TextId::ErrorCaption, MB_ICONERROR);
}

void ShowErrorCode(TextId format, DWORD code) {
    ShowError(ErrorCodeText(format, code).c_str());
}

enum class Selection { Required, Optional };

// The hit at SelectedRow, copied under VisibleLock, with its details loaded outside every
// lock. Nothing when no row of the visible list is selected (told, unless optional).
std::optional<HitDetails> TakeSelectedHit(Selection selection) {
    const SharedResults list = GetVisibleResults();
    const std::int64_t row = SelectedRow;
    if (row < 0 || static_cast<std::size_t>(row) >= list->size()) {
        if (selection == Selection::Required)
            ShowBox(Text(TextId::SelectFileFirst), TextId::InfoCaption, MB_ICONINFORMATION);
        return std::nullopt;
    }
    const std::size_t position = static_cast<std::size_t>(row);
    std::vector<HitDetails> copied = LoadedDetailsOf(list, position, position + 1);
    std::optional<HitDetails> hit(std::move(copied.front()));
    LoadDetails(list->Hit(position), *hit);
    return hit;
}

// The selected hit's full path for a W function, or nothing after the error was shown. A
// path with a 0 code unit counts as none: the API would act on the file named by its first
// part, which is not the hit.
std::optional<std::wstring> SelectedPath() {
    const std::optional<HitDetails> hit = TakeSelectedHit(Selection::Required);
    if (!hit)
        return std::nullopt;
    std::wstring path;
    if (hit->fullPath.empty() || !ToWidePath(hit->fullPath, &path)) {
        ShowError(Text(TextId::NoFilePath));
        return std::nullopt;
    }
    return path;
}

// ShellExecuteExW on a zero-filled structure; false with the error code in *code. The window's
// thread stays in its COM apartment for good, so a verb that a shell extension finishes after
// the call returns still has it.
bool ExecuteVerb(const wchar_t* verb, const std::wstring& path, ULONG mask, DWORD* code) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = mask;
    info.lpVerb = verb;
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&info))
        return true;
    *code = ::GetLastError();
    return false;
}

void OpenPath(const std::wstring& path) {
    DWORD code = 0;
    if (!ExecuteVerb(L"open", path, SEE_MASK_FLAG_NO_UI, &code))
        ShowErrorCode(TextId::OpenFailedFormat, code);
}

void ShowInFolder(const std::wstring& path) {
    const std::wstring parameters = SelectInFolderParameters(path);
    // The folder window reports nothing, whatever happens.
    ::ShellExecuteW(nullptr, L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

// False after the error was shown. The clipboard is closed again before any box opens.
bool PutOnClipboard(const std::wstring& path) {
    if (!::OpenClipboard(MainWindowHandle)) {
        ShowError(Text(TextId::ClipboardOpenFailed));
        return false;
    }
    ::EmptyClipboard();
    const std::size_t bytes = (path.size() + 1) * sizeof(wchar_t);
    UniqueGlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
    void* target = memory ? ::GlobalLock(memory.get()) : nullptr;
    if (target == nullptr) {
        memory.reset();
        ::CloseClipboard();
        ShowError(Text(TextId::ClipboardMemoryFailed));
        return false;
    }
    std::memcpy(target, path.c_str(), bytes);
    ::GlobalUnlock(memory.get());
    // Only a successful SetClipboardData hands the memory over; otherwise it stays ours to
    // free, and the copy did not happen.
    if (::SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) {
        memory.reset();
        ::CloseClipboard();
        ShowError(Text(TextId::ClipboardSetFailed));
        return false;
    }
    memory.release();
    ::CloseClipboard();
    return true;
}

}  // namespace

void OpenSelected(bool containingFolder) {
    const std::optional<std::wstring> path = SelectedPath();
    if (!path)
        return;
    if (containingFolder)
        ShowInFolder(*path);
    else
        OpenPath(*path);
}

void OpenOnDoubleClick() {
    const std::optional<HitDetails> hit = TakeSelectedHit(Selection::Optional);
    if (!hit)
        return;
    // No path check here: an empty path goes to the shell, which reports the failure.
    std::wstring path;
    if (!ToWidePath(hit->fullPath, &path))
        path.clear();
    OpenPath(path);
}

void DeleteSelected() {
    const std::optional<std::wstring> path = SelectedPath();
    if (!path)
        return;
    const std::wstring question = DeleteQuestionText(*path);
    if (ShowBox(question.c_str(), TextId::DeleteCaption, MB_ICONWARNING | MB_YESNO) != IDYES)
        return;
    if (!::DeleteFileW(path->c_str())) {
        ShowErrorCode(TextId::DeleteFailedFormat, ::GetLastError());
        return;
    }
    ShowBox(Text(TextId::FileDeleted), TextId::SuccessCaption, MB_ICONINFORMATION);
    // Only once the notice is closed, with whatever the box holds by then, empty or not.
    StartSearch(ReadSearchText());
}

void RunSelectedAsAdmin() {
    const std::optional<std::wstring> path = SelectedPath();
    if (!path)
        return;
    DWORD code = 0;
    if (!ExecuteVerb(L"runas", *path, 0, &code) && code != kCancelledByUser)
        ShowErrorCode(TextId::RunAsFailedFormat, code);
}

void CopySelectedPath() {
    const std::optional<std::wstring> path = SelectedPath();
    if (!path)
        return;
    if (PutOnClipboard(*path))
        ShowBox(Text(TextId::PathCopied), TextId::SuccessCaption, MB_ICONINFORMATION);
}

void ShowSelectedProperties() {
    const std::optional<std::wstring> path = SelectedPath();
    if (!path)
        return;
    DWORD code = 0;
    if (!ExecuteVerb(L"properties", *path, SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI, &code))
        ShowErrorCode(TextId::PropertiesFailedFormat, code);
}

}  // namespace kx
