#include "platform/fichier.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/utf8.h"

namespace korvelin {

namespace {
// Windows-1252 characters 0x80 to 0x9F; the others are the Latin-1 code points.
constexpr char32_t Cp1252Haut[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
}  // namespace

char32_t CaractereWindows1252(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? Cp1252Haut[b - 0x80] : static_cast<char32_t>(b);
}

LectureParBlocs::LectureParBlocs(const std::string& chemin, std::size_t plusGrandeLecture)
    : plusGrandeLecture_(std::max<std::size_t>(plusGrandeLecture, 1)) {
    if (chemin.empty()) return;
    // O_NONBLOCK: opening a FIFO must not wait for a writer; fstat then refuses it.
    fd_ = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
    }
}

LectureParBlocs::~LectureParBlocs() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t LectureParBlocs::Lit(std::string& tampon, std::size_t taille) {
    if (fd_ < 0 || echec_) return 0;
    taille = std::min(taille, plusGrandeLecture_);
    const std::size_t avant = tampon.size();
    tampon.resize(avant + taille);
    for (;;) {
        const ssize_t n = ::read(fd_, tampon.data() + avant, taille);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) echec_ = true;
        const std::size_t lus = n > 0 ? static_cast<std::size_t>(n) : 0;
        tampon.resize(avant + lus);
        return lus;
    }
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

namespace {

constexpr std::string_view SuffixeTemporaire = ".tmp-";
constexpr std::size_t LettresTemporaire = 6;
// A temporary file younger than this may belong to a writer that has not locked it yet.
constexpr time_t AgeTemporaireMort = 2;

std::string DossierDe(const std::string& chemin) {
    const std::size_t barre = chemin.find_last_of('/');
    return barre == std::string::npos ? "." : barre == 0 ? "/" : chemin.substr(0, barre);
}

std::string NomDe(const std::string& chemin) {
    const std::size_t barre = chemin.find_last_of('/');
    return barre == std::string::npos ? chemin : chemin.substr(barre + 1);
}

bool EstTemporaireDe(std::string_view entree, std::string_view nom) {
    if (entree.size() != nom.size() + SuffixeTemporaire.size() + LettresTemporaire) return false;
    if (entree.substr(0, nom.size()) != nom || entree.substr(nom.size(), SuffixeTemporaire.size()) != SuffixeTemporaire)
        return false;
    for (const char c : entree.substr(nom.size() + SuffixeTemporaire.size()))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

// The temporary files of this destination left by writers that died: only those whose
// name has the exact pattern, that are plain files and that no live writer holds locked.
void RetireTemporairesMorts(const std::string& chemin) {
    const std::string dossier = DossierDe(chemin), nom = NomDe(chemin);
    DIR* d = ::opendir(dossier.c_str());
    if (!d) return;
    const int fdDossier = ::dirfd(d);
    const time_t maintenant = ::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        if (!EstTemporaireDe(e->d_name, nom)) continue;
        const int fd = ::openat(fdDossier, e->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && maintenant - st.st_mtime >= AgeTemporaireMort &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(fdDossier, e->d_name, 0);
        ::close(fd);
    }
    ::closedir(d);
}

// A name beside the destination that no file has yet, made with the file: mkstemp.
int CreeTemporaire(const std::string& chemin, std::string& temporaire) {
    std::vector<char> modele(chemin.begin(), chemin.end());
    for (char c : SuffixeTemporaire) modele.push_back(c);
    for (std::size_t i = 0; i < LettresTemporaire; ++i) modele.push_back('X');
    modele.push_back('\0');
    const int fd = ::mkstemp(modele.data());
    if (fd >= 0) temporaire = modele.data();
    return fd;
}

}  // namespace

std::string RaisonNonRemplacable(const std::string& chemin) {
    const std::string nom = NomDe(chemin);
    struct stat st {};
    if (chemin.empty() || ::stat(chemin.c_str(), &st) != 0) return {};
    if (S_ISDIR(st.st_mode)) return "« " + nom + " » est un dossier : il ne peut pas être remplacé par un fichier.";
    if (!S_ISREG(st.st_mode)) return "« " + nom + " » est un périphérique ou un tube : il n'est pas remplacé.";
    // The permission bits, not only access(): the superuser may write anything, yet a
    // file marked read-only is one the user meant to keep.
    if ((st.st_mode & 0222) == 0 || ::access(chemin.c_str(), W_OK) != 0)
        return "Le fichier « " + nom + " » est en lecture seule : il n'est pas remplacé.";
    return {};
}

EcritureAtomique::EcritureAtomique(const std::string& chemin) : chemin_(chemin) {
    if (chemin.empty() || !RaisonNonRemplacable(chemin).empty()) return;
    struct stat ancien {};
    if (::stat(chemin.c_str(), &ancien) == 0) {
        // Fresh permissions: never the setuid, setgid or sticky bits of the file replaced.
        mode_ = ancien.st_mode & 0777;
    } else {
        const mode_t masque = ::umask(0);
        ::umask(masque);
        mode_ = 0666 & ~masque;
    }
    // Left by an earlier writer that was killed, where the file system had no unnamed files
    // (or by an older version of the program).
    RetireTemporairesMorts(chemin);
    fd_ = ::open(DossierDe(chemin).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
        anonyme_ = true;
        return;
    }
    fd_ = CreeTemporaire(chemin, temporaire_);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) ok_ = false;
}

EcritureAtomique::~EcritureAtomique() {
    if (fd_ < 0) return;
    ::close(fd_);
    if (!temporaire_.empty()) ::unlink(temporaire_.c_str());
}

bool EcritureAtomique::Ecrit(std::string_view texte) {
    std::size_t ecrit = 0;
    while (ok_ && fd_ >= 0 && ecrit < texte.size()) {
        const ssize_t n = ::write(fd_, texte.data() + ecrit, texte.size() - ecrit);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok_ = false;
        else
            ecrit += static_cast<std::size_t>(n);
    }
    return ok_ && fd_ >= 0;
}

bool EcritureAtomique::Termine() {
    if (fd_ < 0) return false;
    bool ok = ok_ && ::fchmod(fd_, mode_) == 0 && ::fsync(fd_) == 0;
    if (ok && anonyme_) {
        // The unnamed file gets a temporary name only for the instant of the rename.
        char numero[16];
        const std::string source =
            "/proc/self/fd/" + std::string(numero, std::to_chars(numero, numero + sizeof numero, fd_).ptr);
        ok = false;
        for (int essai = 0; essai < 16 && !ok; ++essai) {
            std::string nom;
            const int f = CreeTemporaire(chemin_, nom);
            if (f < 0) break;
            ::close(f);
            ::unlink(nom.c_str());
            if (::linkat(fd_, "", AT_FDCWD, nom.c_str(), AT_EMPTY_PATH) == 0 ||
                ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, nom.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporaire_ = nom;
                ok = true;
            } else if (errno != EEXIST) {
                break;
            }
        }
    }
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && ::rename(temporaire_.c_str(), chemin_.c_str()) == 0;
    if (!ok && !temporaire_.empty()) ::unlink(temporaire_.c_str());
    temporaire_.clear();
    if (ok) {
        const int dossier = ::open(DossierDe(chemin_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dossier >= 0) {
            ::fsync(dossier);
            ::close(dossier);
        }
    }
    return ok;
}

bool EcrireFichierAtomique(const std::string& chemin, std::string_view contenu) {
    EcritureAtomique e(chemin);
    return e.Ecrit(contenu) && e.Termine();
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
        if (errno == EACCES) return "Le fichier « " + nom + " » ne peut pas être lu : accès refusé.";
        return "Le fichier « " + nom + " » est introuvable.";
    }
    if (S_ISDIR(st.st_mode)) return "« " + nom + " » est un dossier, pas un fichier " + std::string(genre) + ".";
    if (!S_ISREG(st.st_mode))
        return "« " + nom + " » est un périphérique ou un tube, pas un fichier " + std::string(genre) + ".";
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM) return "Le fichier « " + nom + " » ne peut pas être lu : accès refusé.";
        return "Le fichier « " + nom + " » ne peut pas être lu.";
    }
    ::close(fd);
    return {};
}

std::string RaisonIllisible(const std::string& chemin) { return RaisonFichierIllisible(chemin, "de dessin"); }

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
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            n = 1;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            n = 2;
            c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 3;
            c = b & 0x07;
        } else
            return false;
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
        if (b < 0x80) {
            r += utf8[i++];
            continue;
        }
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
