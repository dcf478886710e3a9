#pragma once
// Direct port I/O at the port's base address (x86 Linux; needs root or CAP_SYS_RAWIO).

#include <memory>

#include "platform/port.h"

namespace korvelin {

// Nothing when the address range cannot be granted to this process, or on other machines.
std::unique_ptr<Port> OuvrePortDirect(int16_t adresse);

}  // namespace korvelin
