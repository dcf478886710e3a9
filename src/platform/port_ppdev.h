#pragma once
// The kernel's parallel-port device (/dev/parport0 …) through ppdev: no root needed, only
// access to the device file (usually the "lp" group).

#include <memory>
#include <string>

#include "platform/port.h"

namespace korvelin {

// The device whose base address (as the kernel reports it) is the given one; when the
// kernel reports no address at all, the first device that can be claimed.
std::unique_ptr<Port> OuvrePortPpdev(int16_t adresse);

// Base address of /dev/parportN read from the kernel's text ("888\t…"), or -1.
long AdresseDeBase(const std::string& texte);

}  // namespace korvelin
