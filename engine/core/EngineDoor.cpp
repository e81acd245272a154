#include "engine/core/EngineDoor.h"

namespace QRX {

EngineDoor& Door()
{
    // Made on first use, so that it is there whichever start fills it.
    static EngineDoor door;
    return door;
}

} // namespace QRX
