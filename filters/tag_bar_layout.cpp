#include "filters/tag_bar_layout.h"

#include <algorithm>

namespace kx {

int TagButtonWidth(int measuredCaptionWidth) {
    return std::clamp(measuredCaptionWidth + kTagCaptionPadding, kTagMinButtonWidth,
                      kTagMaxButtonWidth);
}

std::vector<TagPlacement> LayoutTags(const std::vector<int>& measuredCaptionWidths,
                                     int clientWidth) {
    const int limit = clientWidth - kTagRowRightMargin;
    int x = kTagRowLeft;
    int y = kTagFirstRowTop;
    int row = 1;
    std::vector<TagPlacement> placements;
    placements.reserve(measuredCaptionWidths.size());
    for (int measured : measuredCaptionWidths) {
        const int width = TagButtonWidth(measured);
        TagPlacement placement;
        if (x + width <= limit) {
            placement = {true, x, y, width};
            x += width + kTagButtonGap;
        } else if (row == 1) {
            // The second row is taken even when the button does not fit there either: a
            // window narrower than one button still shows it, cut at the right edge.
            row = 2;
            y += kTagRowStep;
            x = kTagRowLeft;
            placement = {true, x, y, width};
            x = kTagRowLeft + width + kTagButtonGap;
        }
        placements.push_back(placement);
    }
    return placements;
}

std::u16string TagCaption(const std::u16string& name, std::uint64_t count) {
    std::u16string caption = name;
    caption += u"\n(";
    const std::string digits = std::to_string(count);
    caption.append(digits.begin(), digits.end());
    caption += u')';
    return caption;
}

}  // namespace kx
