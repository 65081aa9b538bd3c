#include "base/numberparse.h"

#include <algorithm>
#include <limits>

namespace trelkan {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

struct Scan {
    bool negative = false;
    std::uint64_t magnitude = 0;  // saturated well above 2^32, at kSaturation
    bool hasDigits = false;
    std::size_t end = 0;  // index of the first character not consumed
};

constexpr std::uint64_t kSaturation = 100'000'000'000'000'000;

Scan scanNumber(std::string_view text) {
    Scan scan;
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        scan.negative = text[i] == '-';
        ++i;
    }
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (scan.magnitude < kSaturation) {
            scan.magnitude = scan.magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
        }
        scan.hasDigits = true;
        ++i;
    }
    // Without digits nothing counts as read, not even the white space or the sign.
    scan.end = scan.hasDigits ? i : 0;
    return scan;
}

}  // namespace

NumberReading readUnsignedNumber(std::string_view text) {
    const Scan scan = scanNumber(text);
    std::uint32_t value = 0;
    if (scan.hasDigits) {
        const std::uint64_t limit = std::numeric_limits<std::uint32_t>::max();
        value = static_cast<std::uint32_t>(scan.magnitude > limit ? limit : scan.magnitude);
        if (scan.negative) {
            value = 0u - value;
        }
    }
    return {static_cast<std::int32_t>(value), scan.end == text.size()};
}

CountReading readUnsignedCount(std::string_view text) {
    const Scan scan = scanNumber(text);
    if (!scan.negative && scan.magnitude > std::numeric_limits<std::uint32_t>::max()) {
        return {static_cast<std::int64_t>(scan.magnitude), scan.end == text.size()};
    }
    const NumberReading reading = readUnsignedNumber(text);
    return {reading.value, reading.valid};
}

NumberReading readSignedNumber(std::string_view text) {
    const Scan scan = scanNumber(text);
    std::int64_t value = 0;
    if (scan.hasDigits) {
        const auto magnitude = static_cast<std::int64_t>(scan.magnitude);
        value = scan.negative ? -magnitude : magnitude;
        value = std::max<std::int64_t>(value, std::numeric_limits<std::int32_t>::min());
        value = std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max());
    }
    return {static_cast<std::int32_t>(value), scan.end == text.size()};
}

}  // namespace trelkan
