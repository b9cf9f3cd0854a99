// The pure rules of the settings property sheet: what it accepts and how it
// turns chooser results into settings.
#pragma once

#include <cstdint>

namespace sheet_rules {

// The JPEG quality trackbar's range and page step.
constexpr int32_t kQualityMin = 10;
constexpr int32_t kQualityMax = 99;
constexpr int32_t kQualityPage = 10;

// False when a capture could never be numbered: the start lies past the
// maximum.
bool numbersInOrder(int32_t startNumber, int32_t maxNumber);

// Where the trackbar shows a stored quality; an apply stores this value back.
int32_t shownQuality(int32_t stored);

// The font chooser reports tenths of a point; the setting keeps whole points,
// cut towards zero.
int32_t pointSizeFromTenths(int32_t tenths);

}  // namespace sheet_rules
