#include "platform/horloge.h"

#include <algorithm>
#include <cerrno>
#include <time.h>

namespace korvelin {

int64_t HorlogeSysteme::Frequence() const {
    timespec resolution{};
    if (clock_getres(CLOCK_MONOTONIC, &resolution) != 0) return 0;
    return 1'000'000'000;
}

int64_t HorlogeSysteme::Lire() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

int64_t AvanceReveil(int64_t marge, int64_t reste) {
    if (marge <= 0 || reste <= 2 * marge) return 0;
    return std::clamp<int64_t>(reste / 4, marge, std::max<int64_t>(marge, 1'000'000));
}

void HorlogeSysteme::AttendreJusqua(int64_t echeance) {
    if (const int64_t avance = AvanceReveil(marge_, echeance - Lire())) {
        const int64_t reveil = echeance - avance;
        timespec t{static_cast<time_t>(reveil / 1'000'000'000), static_cast<long>(reveil % 1'000'000'000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
        }
    }
    while (Lire() <= echeance) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
}

}  // namespace korvelin
