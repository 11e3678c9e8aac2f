#pragma once
// Numbers as the program writes them in texts: "%.<decimals>f" in the "C" locale whatever locale the
// process runs in (the GUI toolkit sets the user's), so a German fitter still reads 1.36, not 1,36.

#include <optional>
#include <string>
#include <string_view>

namespace tarvola {

// A value that is not finite reads as 0, and a rounded "-0" (also "-0.00") loses its sign.
std::string fixedText(double value, int decimals);

// The number a text holds in fixed notation in the "C" locale ("1.25", "-0.4", "+2", with blanks
// around it); nothing when the text is anything else or not finite.
std::optional<double> parseFixedText(std::string_view text);

// A 16-bit word as the program shows firmware versions and format words: "0x0206".
std::string hexWordText(unsigned value);

} // namespace tarvola
