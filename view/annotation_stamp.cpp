#include "view/annotation_stamp.h"

#include <algorithm>

namespace stamp {

std::string stampText(const std::string& dateTime, const std::string& tester,
                      const std::string& testId) {
    std::string text = dateTime;
    const auto part = [&text](const char* label, const std::string& value) {
        if (value.empty())
            return;
        if (!text.empty())
            text += "  ";
        text += label;
        text += value;
    };
    part("実施者: ", tester);
    part("テストID: ", testId);
    return text;
}

annotation::Object stampObject(const CaseSettings& options, const std::string& text,
                               int32_t textWidth, int32_t textHeight, int32_t width,
                               int32_t height) {
    const int32_t fontHeight =
        std::clamp(options.stampFontHeight, case_settings::kMinStampFontHeight,
                   case_settings::kMaxStampFontHeight);
    const int32_t boxWidth = std::clamp(textWidth, 0, annotation::kMaxCoordinate / 2) + 2 * kPad;
    const int32_t boxHeight =
        std::clamp(std::max(textHeight, fontHeight), 0, annotation::kMaxCoordinate / 2) + 2 * kPad;
    const bool right = options.stampCorner == StampCorner::bottomRight ||
                       options.stampCorner == StampCorner::topRight;
    const bool bottom = options.stampCorner == StampCorner::bottomRight ||
                        options.stampCorner == StampCorner::bottomLeft;
    const int32_t left = right ? std::max(0, width - kMargin - boxWidth) : kMargin;
    const int32_t top = bottom ? std::max(0, height - kMargin - boxHeight) : kMargin;
    annotation::Object o;
    o.kind = annotation::Kind::stamp;
    o.a = {left, top};
    o.b = {left + boxWidth - 1, top + boxHeight - 1};
    o.colour = options.stampTextColour & 0xFFFFFF;
    o.background = options.stampBackgroundColour & 0xFFFFFF;
    o.width = 0;
    o.fontHeight = fontHeight;
    o.text = text;
    return o;
}

}  // namespace stamp
