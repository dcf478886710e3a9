#include "platform/fichier.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/utf8.h"

namespace korvelin {

namespace {
// Windows-1252 characters 0x80 to 0x9F; the others are the Latin-1 code points.
constexpr char32_t Cp1252Haut[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
}  // namespace

char32_t CaractereWindows1252(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? Cp1252Haut[b - 0x80] : static_cast<char32_t>(b);
}

std::optional<std::string> LireFichier(const std::string& chemin) {
    if (chemin.empty()) return std::nullopt;
    // O_NONBLOCK: opening a FIFO must not wait for a writer; fstat then refuses it.
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string contenu;
    contenu.reserve(static_cast<std::size_t>(st.st_size));
    char tampon[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, tampon, sizeof tampon);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        contenu.append(tampon, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return contenu;
}

bool EcrireFichierAtomique(const std::string& chemin, std::string_view contenu) {
    if (chemin.empty()) return false;
    struct stat ancien {};
    const bool existe = ::stat(chemin.c_str(), &ancien) == 0;
    if (existe && !S_ISREG(ancien.st_mode)) return false;
    std::vector<char> modele(chemin.begin(), chemin.end());
    for (char c : std::string_view(".tmp-XXXXXX")) modele.push_back(c);
    modele.push_back('\0');
    const int fd = ::mkstemp(modele.data());
    if (fd < 0) return false;
    const std::string temporaire(modele.data());
    bool ok = true;
    std::size_t ecrit = 0;
    while (ok && ecrit < contenu.size()) {
        const ssize_t n = ::write(fd, contenu.data() + ecrit, contenu.size() - ecrit);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else ecrit += static_cast<std::size_t>(n);
    }
    // A replaced file keeps its permissions; a new one gets the usual ones.
    mode_t mode = 0666;
    if (existe) {
        mode = ancien.st_mode & 07777;
    } else {
        const mode_t masque = ::umask(0);
        ::umask(masque);
        mode &= ~masque;
    }
    ok = ok && ::fchmod(fd, mode) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporaire.c_str(), chemin.c_str()) == 0;
    if (!ok) ::unlink(temporaire.c_str());
    return ok;
}

bool DossierExiste(const std::string& chemin) {
    struct stat st {};
    return ::stat(chemin.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FichierExiste(const std::string& chemin) {
    struct stat st {};
    return ::stat(chemin.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string RaisonFichierIllisible(const std::string& chemin, std::string_view genre) {
    const std::size_t barre = chemin.find_last_of('/');
    const std::string nom = barre == std::string::npos ? chemin : chemin.substr(barre + 1);
    struct stat st {};
    if (chemin.empty() || ::stat(chemin.c_str(), &st) != 0) {
        if (errno == EACCES)
            return "Le fichier « " + nom + " » ne peut pas être lu : accès refusé.";
        return "Le fichier « " + nom + " » est introuvable.";
    }
    if (S_ISDIR(st.st_mode))
        return "« " + nom + " » est un dossier, pas un fichier " + std::string(genre) + ".";
    if (!S_ISREG(st.st_mode))
        return "« " + nom + " » est un périphérique ou un tube, pas un fichier " +
               std::string(genre) + ".";
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM)
            return "Le fichier « " + nom + " » ne peut pas être lu : accès refusé.";
        return "Le fichier « " + nom + " » ne peut pas être lu.";
    }
    ::close(fd);
    return {};
}

std::string RaisonIllisible(const std::string& chemin) {
    return RaisonFichierIllisible(chemin, "de dessin");
}

namespace {

// Device and inode of the file, or of its folder when the file does not exist (then
// with the name), so that a file about to be made can be compared too.
struct Identite {
    dev_t dev = 0;
    ino_t ino = 0;
    std::string nom;  // empty when the file exists
    bool valide = false;
};

Identite IdentiteDe(const std::string& chemin) {
    Identite id;
    if (chemin.empty()) return id;
    struct stat st {};
    if (::stat(chemin.c_str(), &st) == 0) {
        id.dev = st.st_dev;
        id.ino = st.st_ino;
        id.valide = true;
        return id;
    }
    const std::size_t barre = chemin.find_last_of('/');
    const std::string dossier = barre == std::string::npos ? "." : barre == 0 ? "/" : chemin.substr(0, barre);
    id.nom = barre == std::string::npos ? chemin : chemin.substr(barre + 1);
    if (id.nom.empty() || ::stat(dossier.c_str(), &st) != 0) return id;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.valide = true;
    return id;
}

}  // namespace

bool MemeFichierDisque(const std::string& a, const std::string& b) {
    const Identite ia = IdentiteDe(a), ib = IdentiteDe(b);
    return ia.valide && ib.valide && ia.dev == ib.dev && ia.ino == ib.ino && ia.nom == ib.nom;
}

std::string_view SansMarqueUtf8(std::string_view texte) {
    if (texte.substr(0, 3) == "\xEF\xBB\xBF") texte.remove_prefix(3);
    return texte;
}

bool EstUtf8Valide(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        char32_t c = 0;
        if (b < 0x80) { ++i; continue; }
        if (b >= 0xC2 && b <= 0xDF) { n = 1; c = b & 0x1F; }
        else if (b >= 0xE0 && b <= 0xEF) { n = 2; c = b & 0x0F; }
        else if (b >= 0xF0 && b <= 0xF4) { n = 3; c = b & 0x07; }
        else return false;
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const auto o = static_cast<unsigned char>(s[i + k]);
            if ((o & 0xC0) != 0x80) return false;
            c = (c << 6) | (o & 0x3F);
        }
        if ((n == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (n == 3 && (c < 0x10000 || c > 0x10FFFF)))
            return false;
        i += n + 1;
    }
    return true;
}

std::string VersUtf8(std::string_view texte) {
    if (EstUtf8Valide(texte)) return std::string(texte);
    return DepuisWindows1252(texte);
}

std::string DepuisWindows1252(std::string_view texte) {
    std::string r;
    r.reserve(texte.size() + texte.size() / 8);
    for (char c : texte) AjouteUtf8(r, CaractereWindows1252(static_cast<unsigned char>(c)));
    return r;
}

std::string VersWindows1252(std::string_view utf8) {
    std::string r;
    r.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) { r += utf8[i++]; continue; }
        std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        const std::string_view morceau = utf8.substr(i, n);
        std::size_t lu = 0;
        const char32_t c = CaractereUtf8Suivant(morceau, lu);
        i += std::min(n, utf8.size() - i);
        char sortie = '?';
        if (c >= 0xA0 && c <= 0xFF) sortie = static_cast<char>(c);
        for (int k = 0; k < 32; ++k)
            if (Cp1252Haut[k] == c) sortie = static_cast<char>(0x80 + k);
        r += sortie;
    }
    return r;
}

}  // namespace korvelin
