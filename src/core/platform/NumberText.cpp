#include "platform/NumberText.h"

#include <cstdio>

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

std::optional<double> parseFixedText(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double v = 0;
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(text.data(), last, v, std::chars_format::fixed);
    if (text.empty() || ec != std::errc() || end != last || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::string hexWordText(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFu);
    return text;
}

} // namespace tarvola
