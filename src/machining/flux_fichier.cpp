#include "machining/flux_fichier.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

namespace korvelin {

FluxFichier::FluxFichier(const std::string& chemin) : chemin_(chemin) {
    tampon.reserve(TailleTampon + 4096);
    struct stat st {};
    existe_ = ::stat(chemin.c_str(), &st) == 0;
    if (existe_ && !S_ISREG(st.st_mode)) return;
    mode_ = existe_ ? (st.st_mode & 07777) : 0;
    std::vector<char> modele(chemin.begin(), chemin.end());
    for (char c : std::string_view(".tmp-XXXXXX")) modele.push_back(c);
    modele.push_back('\0');
    fd_ = ::mkstemp(modele.data());
    if (fd_ >= 0) temporaire_ = modele.data();
}

FluxFichier::~FluxFichier() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporaire_.c_str());
    }
}

void FluxFichier::Vide() {
    std::size_t ecrit = 0;
    while (ok_ && fd_ >= 0 && ecrit < tampon.size()) {
        const ssize_t n = ::write(fd_, tampon.data() + ecrit, tampon.size() - ecrit);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok_ = false;
        else ecrit += static_cast<std::size_t>(n);
    }
    verses_ += tampon.size();
    tampon.clear();
}

bool FluxFichier::Termine() {
    Vide();
    if (fd_ < 0 || !ok_) return false;
    // A replaced file keeps its permissions; a new one gets the usual ones.
    mode_t mode = mode_;
    if (!existe_) {
        const mode_t masque = ::umask(0);
        ::umask(masque);
        mode = 0666 & ~masque;
    }
    bool ok = ::fchmod(fd_, mode) == 0 && ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && ::rename(temporaire_.c_str(), chemin_.c_str()) == 0;
    if (!ok) ::unlink(temporaire_.c_str());
    return ok;
}

}  // namespace korvelin
