#pragma once
// Numbers as the program writes them in texts: "%.<decimals>f" in the "C" locale whatever locale the
// process runs in (the GUI toolkit sets the user's), so a German fitter still reads 1.36, not 1,36.

#include <string>

namespace tarvola {

// A value that is not finite reads as 0, and a rounded "-0" (also "-0.00") loses its sign.
std::string fixedText(double value, int decimals);

} // namespace tarvola
