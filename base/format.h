// printf-style formatting into a string: every message is formatted whole before it is written.
#pragma once

#include <string>

namespace trelkan {

std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace trelkan
