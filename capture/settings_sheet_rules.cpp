#include "capture/settings_sheet_rules.h"

namespace sheet_rules {

bool numbersInOrder(int32_t startNumber, int32_t maxNumber) {
    return startNumber <= maxNumber;
}

int32_t shownQuality(int32_t stored) {
    if (stored < kQualityMin)
        return kQualityMin;
    if (stored > kQualityMax)
        return kQualityMax;
    return stored;
}

int32_t pointSizeFromTenths(int32_t tenths) {
    return tenths / 10;
}

}  // namespace sheet_rules
