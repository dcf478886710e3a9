#include "platform/memoire.h"

#include <cstdlib>  // defines __GLIBC__ where it applies

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace korvelin {

void RendLesGrandsBlocs() {
#if defined(__GLIBC__)
    // 1 MiB: far above the records of a trace, far below the arrays of a whole drawing.
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 4 << 20);
#endif
}

}  // namespace korvelin
