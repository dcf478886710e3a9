#include "platform/port_ppdev.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#if defined(__linux__)
#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>
#define KORVELIN_PPDEV 1
#endif

namespace korvelin {

long AdresseDeBase(const std::string& texte) {
    const std::size_t debut = texte.find_first_not_of(" \t\n");
    if (debut == std::string::npos) return -1;
    const char* d = texte.data() + debut;
    if (*d == '+') ++d;
    long v = 0;
    const auto r = std::from_chars(d, texte.data() + texte.size(), v);
    return r.ec == std::errc() ? v : -1;
}

#ifdef KORVELIN_PPDEV
namespace {

// PPWCONTROL and PPRCONTROL speak in control-register values, exactly as the register of
// a PC port holds them: the kernel writes the value as given, and the hardware inverts
// the lines of pins 1, 14 and 17 on their way out. Clearing bit 3 here therefore drives
// pin 17 the same way as clearing it by direct I/O, so the motor output means the same
// on both back ends. The kernel keeps only bits 0 to 3 and treats bit 5 as a request to
// reverse the data lines, which ValeurControle never makes.
class PortPpdev final : public Port {
public:
    explicit PortPpdev(int fd) : fd_(fd) {}
    ~PortPpdev() override {
        ioctl(fd_, PPRELEASE);
        close(fd_);
    }
    bool Disponible() const override { return true; }
    void EcrireDonnees(uint8_t valeur) override {
        unsigned char v = valeur;
        ioctl(fd_, PPWDATA, &v);
    }
    void MettreBitControle(int bit) override { Controle(bit, true); }
    void EffacerBitControle(int bit) override { Controle(bit, false); }
    bool Reel() const override { return true; }

private:
    void Controle(int bit, bool mise) {
        unsigned char v = 0;
        if (ioctl(fd_, PPRCONTROL, &v) != 0) return;
        v = ValeurControle(v, bit, mise);
        ioctl(fd_, PPWCONTROL, &v);
    }
    int fd_;
};

// Kernel files under /proc report a size of 0: read them as a stream.
std::optional<std::string> LireTexteNoyau(const std::string& chemin) {
    std::ifstream f(chemin);
    if (!f) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::unique_ptr<Port> Reclame(const std::string& chemin) {
    const int fd = open(chemin.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (ioctl(fd, PPCLAIM) != 0) {
        close(fd);
        return nullptr;
    }
    int direction = 0;  // data lines as outputs
    ioctl(fd, PPDATADIR, &direction);
    return std::make_unique<PortPpdev>(fd);
}

}  // namespace

std::unique_ptr<Port> OuvrePortPpdev(int16_t adresse) {
    constexpr int NbPeripheriques = 4;
    bool adresseConnue = false;
    for (int i = 0; i < NbPeripheriques; ++i) {
        const auto texte =
            LireTexteNoyau("/proc/sys/dev/parport/parport" + std::string(1, char('0' + i)) + "/base-addr");
        if (!texte) continue;
        const long base = AdresseDeBase(*texte);
        if (base > 0) adresseConnue = true;
        if (base == static_cast<unsigned short>(adresse)) {
            if (auto port = Reclame("/dev/parport" + std::string(1, char('0' + i)))) return port;
        }
    }
    // Adapters that report no address (base 0, or no kernel information): the first one.
    if (!adresseConnue) {
        for (int i = 0; i < NbPeripheriques; ++i) {
            if (auto port = Reclame("/dev/parport" + std::string(1, char('0' + i)))) return port;
        }
    }
    return nullptr;
}
#else
std::unique_ptr<Port> OuvrePortPpdev(int16_t) { return nullptr; }
#endif

}  // namespace korvelin
