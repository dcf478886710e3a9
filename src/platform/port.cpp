#include "platform/port.h"

#include "platform/port_direct.h"
#include "platform/port_ppdev.h"

namespace korvelin {

uint8_t ValeurControle(uint8_t actuelle, int bit, bool mise) {
    unsigned v = actuelle;
    if (bit >= 0 && bit <= 7) {
        const unsigned masque = 1u << bit;
        v = mise ? (v | masque) : (v & ~masque);
    }
    return static_cast<uint8_t>(v & ~0x20u);
}

OuvreursPort OuvreursSysteme() { return {OuvrePortDirect, OuvrePortPpdev}; }

std::unique_ptr<Port> OuvrePortMachine(int16_t adresse, const OuvreursPort& ouvreurs) {
    for (const auto* ouvreur : {&ouvreurs.direct, &ouvreurs.ppdev}) {
        if (!*ouvreur) continue;
        if (auto port = (*ouvreur)(adresse); port && port->Disponible()) return port;
    }
    return std::make_unique<PortAbsent>();
}

}  // namespace korvelin
