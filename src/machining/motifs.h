#pragma once
// The test patterns that check the machine's geometry. The tool starts on the surface at
// the pattern's lower left corner and comes back there.

#include <atomic>

#include "machining/fraisage.h"

namespace korvelin {

enum class Motif { CarrePercages = 0, OctogonePercages = 1, DetourageCercle = 2 };

// Option 0, 1 or 2 of size D mm; any other option does nothing.
CompteRendu MotifTest(const PosteTravail& poste, Machine& m, int option, double D, const TravailFraisage& travail,
                      const std::atomic<bool>& arret);

}  // namespace korvelin
