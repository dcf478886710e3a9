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
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
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
