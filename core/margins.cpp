#include "core/margins.h"

#include <cmath>
#include <initializer_list>

namespace corvane {

bool Margins::isValid() const {
    for (double value : {horizontalGap, verticalGap, left, right, top, bottom}) {
        if (!std::isfinite(value) || value < 0 || value > maximum) return false;
    }
    return true;
}

}  // namespace corvane
