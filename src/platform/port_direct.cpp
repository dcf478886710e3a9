#include "platform/port_direct.h"

#include <cstdint>

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#define KORVELIN_PORT_DIRECT 1
#include <sys/io.h>
#endif

namespace korvelin {

#ifdef KORVELIN_PORT_DIRECT
namespace {

// The three registers of a PC parallel port: data at the base, status at +1, control at +2.
// Values are register values: the hardware itself inverts the control lines of pins 1,
// 14 and 17, so a cleared bit 3 puts pin 17 high.
class PortDirect final : public Port {
public:
    explicit PortDirect(unsigned short base) : base_(base) {}
    ~PortDirect() override { ioperm(base_, 3, 0); }
    bool Disponible() const override { return true; }
    void EcrireDonnees(uint8_t valeur) override { outb(valeur, base_); }
    void MettreBitControle(int bit) override { Controle(bit, true); }
    void EffacerBitControle(int bit) override { Controle(bit, false); }
    bool Reel() const override { return true; }

private:
    void Controle(int bit, bool mise) {
        const auto adresse = static_cast<unsigned short>(base_ + 2);
        outb(ValeurControle(inb(adresse), bit, mise), adresse);
    }
    unsigned short base_;
};

}  // namespace

std::unique_ptr<Port> OuvrePortDirect(int16_t adresse) {
    const auto base = static_cast<unsigned short>(adresse);
    // Only the three legacy bases of a parallel port: a wrong setting must never make us
    // write to some other device's registers.
    if (base != 0x378 && base != 0x278 && base != 0x3BC) return nullptr;
    if (ioperm(base, 3, 1) != 0) return nullptr;
    // Root may reach an address where no port answers (reads then give FF). The data
    // register of a present port reads back what was written; only direction lines are
    // used for the probe, so no step can leave the port, and it is left at 00.
    bool present = true;
    for (const uint8_t essai : {uint8_t{0x00}, uint8_t{0x55}, uint8_t{0x00}}) {
        outb(essai, base);
        if (inb(base) != essai) present = false;
    }
    if (!present) {
        ioperm(base, 3, 0);
        return nullptr;
    }
    return std::make_unique<PortDirect>(base);
}
#else
std::unique_ptr<Port> OuvrePortDirect(int16_t) { return nullptr; }
#endif

}  // namespace korvelin
