#include "bytes/endian.h"

#include <cmath>

namespace bytes {

double LoadExtendedBE80(const std::uint8_t* b) {
    const int exponent = ((b[0] & 0x7F) << 8) | b[1];
    const std::uint32_t hi = LoadBE32(b + 2);
    const std::uint32_t lo = LoadBE32(b + 6);
    if (exponent == 0 && hi == 0 && lo == 0 && (b[0] & 0x80) == 0) {
        return 0.0;
    }
    if (exponent == 0x7FFF) {
        return HUGE_VAL;
    }
    // The mantissa has an explicit integer bit: hi holds bits 63..32, lo bits 31..0.
    const double value =
        std::ldexp(hi, exponent - 16383 - 31) + std::ldexp(lo, exponent - 16383 - 63);
    return (b[0] & 0x80) != 0 ? -value : value;
}

}  // namespace bytes
