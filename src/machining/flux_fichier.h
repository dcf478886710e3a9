#pragma once
// A file written as it is made: text gathers in a buffer of a few megabytes that goes to a
// file beside the destination (EcritureAtomique); once complete, that file is synced and
// put in place, so a failed or abandoned write leaves any earlier file whole.

#include <cstddef>
#include <string>

#include "platform/fichier.h"

namespace korvelin {

class FluxFichier {
public:
    static constexpr std::size_t TailleTampon = 4 << 20;

    explicit FluxFichier(const std::string& chemin);
    // Without Termine, the temporary file goes and the destination stays as it was.
    FluxFichier(const FluxFichier&) = delete;
    FluxFichier& operator=(const FluxFichier&) = delete;

    bool Ouvert() const { return fichier_.Ouvert(); }
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

    EcritureAtomique fichier_;
    std::size_t verses_ = 0;
};

}  // namespace korvelin
