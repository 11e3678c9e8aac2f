#include "platform/Version.h"

namespace tarvola {

const char* programVersion()
{
    return TARVOLA_VERSION;
}

} // namespace tarvola
