#pragma once
// The byte stream to the board, and the serial ports it may go through.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvelin::grbl {

class Transport {
public:
    virtual ~Transport() = default;
    // Appends what arrives within `attente` (less when Reveille is called). False once the
    // link is gone, with Raison() saying why.
    virtual bool Lit(std::string& recus, std::chrono::milliseconds attente) = 0;
    // All the bytes, or false once the link is gone.
    virtual bool Ecrit(std::string_view octets) = 0;
    // Cuts short a Lit waiting in another thread. Safe from any thread.
    virtual void Reveille() = 0;
    virtual std::string Raison() const = 0;
};

inline constexpr int DebitParDefaut = 115200;

// A serial device or a pseudo-terminal, raw, 8N1, at `bauds`; nothing with the French
// reason in `erreur` when it cannot be opened.
std::unique_ptr<Transport> OuvrePortSerie(const std::string& chemin, int bauds, std::string& erreur);

struct PortDisponible {
    std::string chemin;       // /dev/ttyACM0
    std::string description;  // the USB product and maker, when the system knows them
};
// The USB serial ports of this computer (ttyACM*, ttyUSB*), in name order.
std::vector<PortDisponible> ListePorts();

}  // namespace korvelin::grbl
