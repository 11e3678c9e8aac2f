#pragma once
// The program's version. The build sets it once, from the project's version, and every front end,
// the about box and the package show this same number.

namespace tarvola {

// "1.08"; never null.
const char* programVersion();

} // namespace tarvola
