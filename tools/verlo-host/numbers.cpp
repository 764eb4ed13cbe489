#include "numbers.h"

#include <charconv>
#include <cmath>

bool LeadingNumber(const std::string& text, double& value, size_t* used) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  // from_chars takes a minus sign only.
  const bool plus = begin != end && *begin == '+';
  if (plus && begin + 1 != end && begin[1] == '-') return false;
  const auto [next, error] = std::from_chars(begin + plus, end, value);
  if (error != std::errc() || !std::isfinite(value)) return false;
  if (used) *used = static_cast<size_t>(next - begin);
  return true;
}

std::string Fixed(double value, int decimals) {
  char text[400];  // the longest double in fixed notation with a few decimals
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return error == std::errc() ? std::string(text, end) : std::string("?");
}
