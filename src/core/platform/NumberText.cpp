#include "platform/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace tarvola {

std::string fixedText(double value, int decimals)
{
    if (!std::isfinite(value))
        value = 0;
    // Room for the largest double written out in full.
    char buffer[400];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, std::clamp(decimals, 0, 17));
    std::string_view text = ec == std::errc() ? std::string_view(buffer, static_cast<std::size_t>(end - buffer))
                                              : std::string_view("0");
    if (text.size() > 1 && text.front() == '-' && text.find_first_not_of("0.", 1) == std::string_view::npos)
        text.remove_prefix(1);
    return std::string(text);
}

} // namespace tarvola
