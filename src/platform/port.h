#pragma once
// The parallel port as the machine driver sees it: a data register carrying the step and
// direction lines, and one control register whose bits are switched one at a time.

#include <cstdint>
#include <functional>
#include <memory>

namespace korvelin {

class Port {
public:
    virtual ~Port() = default;
    // True when the back end could open the port (the driver-installed test).
    virtual bool Disponible() const = 0;
    // The value goes at once on the data register.
    virtual void EcrireDonnees(uint8_t valeur) = 0;
    // Sets or clears one bit of the control register, leaving the others as they are.
    // The bit is a register bit (0 to 7), before any inversion of the lines by the hardware.
    virtual void MettreBitControle(int bit) = 0;
    virtual void EffacerBitControle(int bit) = 0;
    // True for a back end that drives real lines: runs on it get memory locking, the
    // chosen scheduling and the count of late pulses.
    virtual bool Reel() const = 0;
};

// No port could be opened: says so, and every write goes nowhere.
class PortAbsent final : public Port {
public:
    bool Disponible() const override { return false; }
    void EcrireDonnees(uint8_t) override {}
    void MettreBitControle(int) override {}
    void EffacerBitControle(int) override {}
    bool Reel() const override { return false; }
};

// New value of a control register when one bit is set or cleared. Bit 5 (data direction
// on bidirectional ports) always comes out cleared, whatever the register read back:
// data lines turned into inputs would silence every step.
uint8_t ValeurControle(uint8_t actuelle, int bit, bool mise);

// The ways of opening a port at a base address; each gives nothing when it cannot.
struct OuvreursPort {
    std::function<std::unique_ptr<Port>(int16_t)> direct;
    std::function<std::unique_ptr<Port>(int16_t)> ppdev;
};

// Direct port I/O, then the parallel-port device of the kernel.
OuvreursPort OuvreursSysteme();

// Direct I/O when this process may use it, else the first parallel-port device that can
// be claimed, else a PortAbsent. The simulator is never chosen here.
std::unique_ptr<Port> OuvrePortMachine(int16_t adresse, const OuvreursPort& ouvreurs = OuvreursSysteme());

}  // namespace korvelin
