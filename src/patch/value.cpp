#include "patch/value.h"

#include <cmath>

#include "common/number.h"

namespace korrin::patch {

std::optional<Bytes> NumberToBytes(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    double r = v;
    double high = 0;
    if (v > 255) {
        // fmod is exact at every magnitude, so r is exact even where v - 256q computed by
        // subtraction would not be, and q never has to be counted out.
        r = std::fmod(v, 256.0);
        if (r > 255) r -= 256;
        const double multiple = v - r;  // 256q, exact: both are multiples of v's last place
        high = multiple >= 255.0 * 256.0 ? 255 : multiple / 256;
    }
    const double low = RoundHalfEven(r);
    if (low < 0) return std::nullopt;
    return Bytes{static_cast<char>(static_cast<unsigned char>(low)),
                 static_cast<char>(static_cast<unsigned char>(high))};
}

}  // namespace korrin::patch
