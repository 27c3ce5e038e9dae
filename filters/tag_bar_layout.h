// Where the tag buttons go: at most two rows between the search box and the status line,
// buttons sized to their captions, and the ones that fit in neither row hidden. No window
// system here; tag_bar.cpp measures the captions and moves the buttons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kx {

constexpr int kTagRowLeft = 15;
constexpr int kTagRowRightMargin = 15;
constexpr int kTagFirstRowTop = 55;
constexpr int kTagRowStep = 40;
constexpr int kTagButtonHeight = 32;
constexpr int kTagButtonGap = 10;
constexpr int kTagCaptionPadding = 24;
constexpr int kTagMinButtonWidth = 80;
constexpr int kTagMaxButtonWidth = 150;

// Before the first layout: a row of equal buttons.
constexpr int kTagInitialTop = 60;
constexpr int kTagInitialStep = 110;
constexpr int kTagInitialWidth = 100;

struct TagPlacement {
    bool visible = false;  // hidden buttons get position and size 0
    int x = 0;
    int y = 0;
    int width = 0;
};

// measured width of the caption + padding, kept between the smallest and largest width.
int TagButtonWidth(int measuredCaptionWidth);

// One placement per measured caption, in order. A button that does not fit in the first row
// starts the second; one that does not fit in the second is hidden, and a later, narrower
// button may still take the room it left.
std::vector<TagPlacement> LayoutTags(const std::vector<int>& measuredCaptionWidths,
                                     int clientWidth);

// name, a line feed, and the count in parentheses.
std::u16string TagCaption(const std::u16string& name, std::uint64_t count);

}  // namespace kx
