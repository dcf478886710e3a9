#pragma once
// The high-resolution monotonic clock the step timing runs on, and a virtual clock for
// dry runs that only moves when the program waits.

#include <cstdint>

namespace korvelin {

class Horloge {
public:
    virtual ~Horloge() = default;
    // Ticks per second; 0 when the clock is not supported.
    virtual int64_t Frequence() const = 0;
    // Current tick count, never going back.
    virtual int64_t Lire() = 0;
    // Returns once the count has passed the deadline (at once when it already has).
    virtual void AttendreJusqua(int64_t echeance) = 0;
    // Lets long waits sleep until this many nanoseconds before their deadline and poll the
    // rest; 0 polls the whole wait. Only worth it where a wake-up is prompt (a real-time
    // thread), and needed there: a real-time thread that never sleeps gets throttled.
    virtual void ReveilAvantEcheance(int64_t) {}
};

// How long before the deadline a wait of reste ns sleeping with the given margin wakes up:
// a quarter of the wait, at least the margin and at most 1 ms, so that a late wake-up (up to
// about 2 ms on a loaded virtual machine, against a few tens of µs usually) is absorbed by
// polling in long waits, while short ones still sleep and a real-time thread is not throttled.
// 0 when the wait is too short to sleep at all.
int64_t AvanceReveil(int64_t marge, int64_t reste);

// CLOCK_MONOTONIC in nanoseconds; waits by polling, so that an edge is never later than a
// few clock reads after its deadline.
class HorlogeSysteme final : public Horloge {
public:
    int64_t Frequence() const override;
    int64_t Lire() override;
    void AttendreJusqua(int64_t echeance) override;
    void ReveilAvantEcheance(int64_t marge) override { marge_ = marge; }

private:
    int64_t marge_ = 0;
};

// Starts at 0 and advances only by the waits, to the deadline exactly. Ticks of 0.1 µs.
class HorlogeVirtuelle final : public Horloge {
public:
    static constexpr int64_t FrequenceVirtuelle = 10'000'000;
    int64_t Frequence() const override { return FrequenceVirtuelle; }
    int64_t Lire() override { return maintenant_; }
    void AttendreJusqua(int64_t echeance) override {
        if (echeance > maintenant_) maintenant_ = echeance;
    }

private:
    int64_t maintenant_ = 0;
};

}  // namespace korvelin
