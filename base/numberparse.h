// Reading decimal numbers from command-line words and definition-file tokens.
#pragma once

#include <cstdint>
#include <string_view>

namespace trelkan {

struct NumberReading {
    std::int32_t value = 0;
    // False when characters are left after the number; value then holds what was read up to them.
    bool valid = true;
};

// An unsigned decimal number: leading white space and a sign are accepted, a magnitude beyond
// 2^32 - 1 reads as 2^32 - 1, a minus sign negates modulo 2^32, and the result is taken as a
// signed 32-bit value (so "-5" gives -5). Text without digits reads as 0; it is valid only when
// it is empty.
NumberReading readUnsignedNumber(std::string_view text);

// A count that may pass 2^31, such as the number of sets a search skips: read as by
// readUnsignedNumber while the magnitude fits in 32 bits, and beyond that (where that reading
// saturates) as the magnitude itself, which grows no further once past 10^17.
struct CountReading {
    std::int64_t value = 0;
    bool valid = true;
};
CountReading readUnsignedCount(std::string_view text);

// A signed decimal number with the same rules, except that values beyond the signed 32-bit range
// read as its nearest bound.
NumberReading readSignedNumber(std::string_view text);

}  // namespace trelkan
