// The program's own constants that the tests measure the window against, and its texts, from
// the headers the program is built from.
#include <windows.h>

#include <cstddef>
#include <string>

#include "filters/default_categories.h"
#include "filters/tag_bar_layout.h"
#include "resources/product.h"
#include "tests/ui/probe/probe_support.h"
#include "ui/about_text.h"
#include "ui/control_ids.h"
#include "ui/list_colours.h"
#include "ui/list_geometry.h"
#include "ui/texts.h"

namespace kx::probe {

namespace {

struct NamedText {
    kx::TextId id;
    const char* name;
};

#define KX_NAMED_TEXT(name) \
    { kx::TextId::name, #name }
constexpr NamedText kNamedTexts[] = {
    KX_NAMED_TEXT(InitializingTitle),
    KX_NAMED_TEXT(IndexingTitle),
    KX_NAMED_TEXT(ReadyTitle),
    KX_NAMED_TEXT(IdleTitle),
    KX_NAMED_TEXT(MatchesTitleFormat),
    KX_NAMED_TEXT(NoticeCaption),
    KX_NAMED_TEXT(AdministratorRequired),
    KX_NAMED_TEXT(NoNtfsVolume),
    KX_NAMED_TEXT(StatusFormat),
    KX_NAMED_TEXT(ColumnRowNumber),
    KX_NAMED_TEXT(ColumnName),
    KX_NAMED_TEXT(ColumnSize),
    KX_NAMED_TEXT(ColumnModified),
    KX_NAMED_TEXT(ColumnCreated),
    KX_NAMED_TEXT(ColumnPath),
    KX_NAMED_TEXT(TrayTip),
    KX_NAMED_TEXT(TrayShowWindow),
    KX_NAMED_TEXT(TrayAbout),
    KX_NAMED_TEXT(TrayExit),
    KX_NAMED_TEXT(AboutCaption),
    KX_NAMED_TEXT(AboutProductLine),
    KX_NAMED_TEXT(AboutBrandLine),
    KX_NAMED_TEXT(AboutWebsiteLabel),
    KX_NAMED_TEXT(AboutVersionLine),
    KX_NAMED_TEXT(InfoCaption),
    KX_NAMED_TEXT(ErrorCaption),
    KX_NAMED_TEXT(SuccessCaption),
    KX_NAMED_TEXT(SelectFileFirst),
    KX_NAMED_TEXT(NoFilePath),
    KX_NAMED_TEXT(OpenFailedFormat),
    KX_NAMED_TEXT(DeleteQuestion),
    KX_NAMED_TEXT(DeleteCaption),
    KX_NAMED_TEXT(FileDeleted),
    KX_NAMED_TEXT(DeleteFailedFormat),
    KX_NAMED_TEXT(RunAsFailedFormat),
    KX_NAMED_TEXT(PathCopied),
    KX_NAMED_TEXT(ClipboardMemoryFailed),
    KX_NAMED_TEXT(ClipboardOpenFailed),
    KX_NAMED_TEXT(ClipboardSetFailed),
    KX_NAMED_TEXT(PropertiesFailedFormat),
    KX_NAMED_TEXT(MenuOpen),
    KX_NAMED_TEXT(MenuOpenFolder),
    KX_NAMED_TEXT(MenuDelete),
    KX_NAMED_TEXT(MenuRunAsAdmin),
    KX_NAMED_TEXT(MenuCopyPath),
    KX_NAMED_TEXT(MenuProperties),
    KX_NAMED_TEXT(MenuOpenFilterFolder),
    KX_NAMED_TEXT(MenuResetFilters),
    KX_NAMED_TEXT(ResetFiltersQuestion),
    KX_NAMED_TEXT(ResetFiltersCaption),
    KX_NAMED_TEXT(OutOfMemory),
};
#undef KX_NAMED_TEXT
// A text added to the program must be named here too, or the tests could not ask for it.
static_assert(sizeof(kNamedTexts) / sizeof(kNamedTexts[0]) ==
                  static_cast<std::size_t>(kx::TextId::Count),
              "kNamedTexts must name every TextId");

std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

}  // namespace

int PrintDefinitions() {
    PrintNumber("list.top", kx::kListTop);
    PrintNumber("list.header_bottom", kx::kHeaderBottom);
    PrintNumber("list.row_height", kx::kRowHeight);
    PrintNumber("list.wheel_step", kx::kWheelStepPixels);
    PrintNumber("list.resize_reach", kx::kResizeHandleReach);
    PrintNumber("list.min_column_width", kx::kMinColumnWidth);
    std::string widths;
    for (const int width : kx::kInitialColumnWidths)
        widths += (widths.empty() ? "" : ",") + std::to_string(width);
    Line("list.column_widths", widths);
    PrintColour("background", kx::kBackgroundColour);
    PrintColour("odd_row", kx::kOddRowColour);
    PrintColour("selected_row", kx::kSelectedRowColour);
    PrintColour("row_text", kx::kRowTextColour);
    PrintColour("grid", kx::kGridColour);
    PrintColour("header", kx::kHeaderColour);
    PrintColour("header_line", kx::kHeaderLineColour);
    PrintColour("header_separator", kx::kHeaderSeparatorColour);
    PrintColour("header_text", kx::kHeaderTextColour);
    PrintNumber("id.search_edit", kx::IDC_SEARCH_EDIT);
    PrintNumber("id.status", kx::IDC_STATUS);
    PrintNumber("id.tag_base", kx::IDC_TAG_BASE);
    PrintNumber("tags.row_left", kx::kTagRowLeft);
    PrintNumber("tags.right_margin", kx::kTagRowRightMargin);
    PrintNumber("tags.first_row_top", kx::kTagFirstRowTop);
    PrintNumber("tags.row_step", kx::kTagRowStep);
    PrintNumber("tags.button_height", kx::kTagButtonHeight);
    PrintNumber("tags.gap", kx::kTagButtonGap);
    Line("product.web_address", KX_PRODUCT_WEB_ADDRESS);
    Line("product.version", KX_PRODUCT_VERSION_TEXT);
    for (const bool chinese : {false, true}) {
        const std::string language = chinese ? "zh" : "en";
        for (const NamedText& text : kNamedTexts)
            Line(("text." + language + "." + text.name).c_str(),
                 Utf8(kx::TextIn(text.id, chinese)));
        const kx::CategoryList categories = kx::DefaultCategories(chinese);
        PrintNumber("categories." + language + ".count", static_cast<long long>(categories.size()));
        for (std::size_t k = 0; k < categories.size(); ++k)
            Line(("categories." + language + "." + std::to_string(k)).c_str(),
                 Utf8(Wide(categories[k].name)));
        Line(("about." + language).c_str(), Utf8(kx::AboutText(chinese)));
    }
    Line("text.sort_ascending_mark", Utf8(kx::kSortAscendingMark));
    Line("text.sort_descending_mark", Utf8(kx::kSortDescendingMark));
    return 0;
}

}  // namespace kx::probe
