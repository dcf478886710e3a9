#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "grbl/transport.h"
#include "platform/fichier.h"

namespace korvelin::grbl {

namespace {

std::optional<speed_t> Vitesse(int bauds) {
    switch (bauds) {
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
        default: return std::nullopt;
    }
}

class PortSerie final : public Transport {
public:
    PortSerie(int fd, int reveil[2]) : fd_(fd), lecture_(reveil[0]), ecriture_(reveil[1]) {}
    ~PortSerie() override {
        ::close(fd_);
        ::close(lecture_);
        ::close(ecriture_);
    }

    bool Lit(std::string& recus, std::chrono::milliseconds attente) override {
        if (perdu_) return false;
        pollfd p[2] = {{fd_, POLLIN, 0}, {lecture_, POLLIN, 0}};
        const int n = ::poll(p, 2, static_cast<int>(attente.count()));
        if (n < 0) return errno == EINTR || Perte("attente du port impossible");
        if (p[1].revents & POLLIN) {
            char vide[64];
            while (::read(lecture_, vide, sizeof vide) > 0) {
            }
        }
        if (p[0].revents & POLLIN) {
            char tampon[512];
            const ssize_t lu = ::read(fd_, tampon, sizeof tampon);
            if (lu > 0) {
                recus.append(tampon, static_cast<std::size_t>(lu));
                return true;
            }
            if (lu == 0 || (errno != EAGAIN && errno != EINTR)) return Perte("le port ne répond plus");
        }
        if (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return Perte("le port a disparu, câble débranché ?");
        return true;
    }

    bool Ecrit(std::string_view octets) override {
        while (!octets.empty() && !perdu_) {
            const ssize_t n = ::write(fd_, octets.data(), octets.size());
            if (n > 0) {
                octets.remove_prefix(static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) {
                pollfd p{fd_, POLLOUT, 0};
                if (::poll(&p, 1, 1000) <= 0 || (p.revents & (POLLHUP | POLLERR)))
                    return Perte("le port n'accepte plus rien");
                continue;
            }
            return Perte("écriture sur le port impossible, câble débranché ?");
        }
        return !perdu_;
    }

    void Reveille() override {
        const char c = 0;
        [[maybe_unused]] const ssize_t n = ::write(ecriture_, &c, 1);
    }

    std::string Raison() const override { return raison_; }

private:
    bool Perte(std::string raison) {
        if (!perdu_) raison_ = std::move(raison);
        perdu_ = true;
        return false;
    }

    int fd_, lecture_, ecriture_;
    bool perdu_ = false;
    std::string raison_;
};

std::string Premiere(const std::string& texte) {
    const std::size_t fin = texte.find_first_of("\r\n");
    return texte.substr(0, fin);
}

}  // namespace

std::unique_ptr<Transport> OuvrePortSerie(const std::string& chemin, int bauds, std::string& erreur) {
    const std::optional<speed_t> vitesse = Vitesse(bauds);
    if (!vitesse) {
        erreur = "Débit non pris en charge pour le port " + chemin + ".";
        return nullptr;
    }
    const int fd = ::open(chemin.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        erreur = "Impossible d'ouvrir le port " + chemin + " : " +
                 (errno == EACCES   ? std::string("accès refusé (ajoutez-vous au groupe dialout)")
                  : errno == ENOENT ? std::string("il n'existe pas")
                  : errno == EBUSY  ? std::string("il est déjà utilisé")
                                    : std::string("erreur système, ") + std::strerror(errno));
        return nullptr;
    }
    termios t{};
    if (!::isatty(fd) || ::tcgetattr(fd, &t) != 0) {
        ::close(fd);
        erreur = chemin + " n'est pas un port série.";
        return nullptr;
    }
    // Another program (a modem manager) must not talk to the board at the same time.
    ::ioctl(fd, TIOCEXCL);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSTOPB | CRTSCTS);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, *vitesse);
    ::cfsetospeed(&t, *vitesse);
    int reveil[2];
    if (::tcsetattr(fd, TCSANOW, &t) != 0 || ::pipe2(reveil, O_NONBLOCK | O_CLOEXEC) != 0) {
        ::close(fd);
        erreur = "Impossible de régler le port " + chemin + ".";
        return nullptr;
    }
    return std::make_unique<PortSerie>(fd, reveil);
}

std::vector<PortDisponible> ListePorts() {
    namespace fs = std::filesystem;
    std::vector<PortDisponible> ports;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator("/sys/class/tty", ec)) {
        const std::string nom = e.path().filename().string();
        if (nom.rfind("ttyACM", 0) != 0 && nom.rfind("ttyUSB", 0) != 0) continue;
        PortDisponible p{"/dev/" + nom, {}};
        // The USB device that holds the port carries its product and maker names.
        fs::path d = fs::canonical(e.path() / "device", ec);
        for (int niveau = 0; !ec && niveau < 4 && !d.empty(); ++niveau, d = d.parent_path()) {
            const auto produit = LireFichier((d / "product").string());
            if (!produit) continue;
            p.description = Premiere(*produit);
            if (const auto fabricant = LireFichier((d / "manufacturer").string()))
                p.description += " (" + Premiere(*fabricant) + ")";
            break;
        }
        ec.clear();
        ports.push_back(std::move(p));
    }
    std::sort(ports.begin(), ports.end(),
              [](const PortDisponible& a, const PortDisponible& b) { return a.chemin < b.chemin; });
    return ports;
}

}  // namespace korvelin::grbl
