#pragma once
// A file written as it is made: text gathers in a buffer of a few megabytes that goes to a
// temporary file beside the destination; once complete, that file is synced and renamed
// into place, so a failed or abandoned write leaves any earlier file whole.

#include <cstddef>
#include <string>

#include <sys/types.h>

namespace korvelin {

class FluxFichier {
public:
    static constexpr std::size_t TailleTampon = 4 << 20;

    explicit FluxFichier(const std::string& chemin);
    // Without Termine, the temporary file goes and the destination stays as it was.
    ~FluxFichier();
    FluxFichier(const FluxFichier&) = delete;
    FluxFichier& operator=(const FluxFichier&) = delete;

    bool Ouvert() const { return fd_ >= 0; }
    // After a piece of text: the buffer goes to the file once it is full.
    void Verse() {
        if (tampon.size() >= TailleTampon) Vide();
    }
    // Bytes given so far, buffered or written.
    std::size_t Taille() const { return verses_ + tampon.size(); }
    bool Termine();

    std::string tampon;

private:
    void Vide();

    std::string chemin_, temporaire_;
    int fd_ = -1;
    bool existe_ = false;
    bool ok_ = true;
    mode_t mode_ = 0;
    std::size_t verses_ = 0;
};

}  // namespace korvelin
