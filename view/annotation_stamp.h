// The capture's stamp: when, by whom and for which test case a picture was
// taken, as one stamp object of its annotations, laid out in the corner the
// [TestCase] options choose. The original picture is never touched: the
// stamp lives in the sidecar and shows in the flattened picture, as a mask
// does. Platform-free; the glyphs are measured and drawn by
// view/annotation_stamp_win.*.
#pragma once

#include <cstdint>
#include <string>

#include "picture/annotation.h"
#include "settings/case_settings.h"

namespace stamp {

// Between the text and the box's edge, and between the box and the
// picture's corner, in pixels.
constexpr int32_t kPad = 4;
constexpr int32_t kMargin = 4;

// "<date and time>  実施者: <tester>  テストID: <test ID>" (CP932), each part
// left out when empty; the date and time as the record keeps it.
std::string stampText(const std::string& dateTime, const std::string& tester,
                      const std::string& testId);

// The stamp of `text`, whose glyphs measure textWidth x textHeight, in the
// options' corner of a width x height picture, in their colours and font
// height. A stamp wider or taller than the picture starts at its left or
// top edge; the painters cut it to the picture.
annotation::Object stampObject(const CaseSettings& options, const std::string& text,
                               int32_t textWidth, int32_t textHeight, int32_t width,
                               int32_t height);

}  // namespace stamp
