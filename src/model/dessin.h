#pragma once
// The drawing held in memory: points, trace labels, offset paths and bounds.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvelin {

// A fixed two-character code: a pen state ("PD", "PU") or a trace label (" A" … "ZZ" and
// beyond). Characters are code points, because a drawing of many thousand traces pushes the
// first character of its labels far past the Latin range and labels must never repeat.
// A zero character stands for an empty position.
//
// Every point carries two of these, so a code takes four bytes: the first character in the
// low 21 bits (any code point), the second in the 11 above (the labels the program makes
// stay below U+0800 there). The rare pair that does not fit, a label read from a project
// with a far second character, gets a number in a table shared by the whole program,
// stored where no code point can be (0x110000 and up), so it still reads back exactly.
class Code2 {
public:
    constexpr Code2() = default;
    constexpr Code2(char32_t a, char32_t b) : mot_(Logeable(a, b) ? Mot(a, b) : Rare(a, b)) {}

    char32_t c0() const { return EstRare() ? RareLu(mot_).first : mot_ & MasqueC0; }
    char32_t c1() const { return EstRare() ? RareLu(mot_).second : mot_ >> 21; }

    // The first two code points of a UTF-8 text (missing ones are zero); invalid bytes
    // are taken as single Windows-1252 characters.
    static Code2 De(std::string_view utf8);
    // UTF-8 text of the code; zero characters are left out.
    std::string Texte() const;
    bool Vide() const { return mot_ == 0; }
    // Equal codes have equal keys and different codes different keys.
    uint32_t Cle() const { return mot_; }

    friend constexpr bool operator==(const Code2&, const Code2&) = default;

private:
    static constexpr uint32_t MasqueC0 = 0x1FFFFF;
    static constexpr char32_t DernierCodePoint = 0x10FFFF;
    static constexpr bool Logeable(char32_t a, char32_t b) { return a <= DernierCodePoint && b < 0x800; }
    static constexpr uint32_t Mot(char32_t a, char32_t b) { return uint32_t(a) | (uint32_t(b) << 21); }
    bool EstRare() const { return (mot_ & MasqueC0) > DernierCodePoint; }
    // The same pair always gets the same number, so equality stays a comparison of words.
    static uint32_t Rare(char32_t a, char32_t b);
    static std::pair<char32_t, char32_t> RareLu(uint32_t mot);

    uint32_t mot_ = 0;
};

inline constexpr Code2 PlumeBasse{U'P', U'D'};
inline constexpr Code2 PlumeHaute{U'P', U'U'};
inline constexpr Code2 MarqueSuppression{U'$', U'$'};
// The pen state of an offset point where the path goes on as a new piece: the straight cut
// from the point before would bite into the part, so the tool rises there, travels at the
// clearance height and comes down here as at the start of a trace.
inline constexpr Code2 MarqueLevee{U'L', U'V'};
inline constexpr Code2 AucuneSequence{U'-', U'1'};
inline constexpr Code2 PremiereSequence{U' ', U'A'};

struct PointTrace {
    float X = 0.0f;
    float Y = 0.0f;
    Code2 Plume;
    Code2 Sequence;
};

struct SequenceDecalee {
    Code2 Sequence;
    std::vector<PointTrace> Points;
    // What the path was computed from (the trace's points and the offset settings), so
    // that rebuilding every path after a reordering or a reversal computes only those
    // whose trace changed. Zero: none, the path must be computed.
    uint64_t Empreinte = 0;
    // For a closed trace whose path has one point per vertex: its cycle of points whatever
    // the start, and the start it had, so that a trace only started elsewhere (as the
    // ordering does) gets its path turned the same way instead of computed again.
    uint64_t EmpreinteTour = 0;
    float DepartX = 0.0f, DepartY = 0.0f, SuivantX = 0.0f, SuivantY = 0.0f;
};

// The one drawing of the program. The array may hold more entries than NbPoints.
struct Dessin {
    std::vector<PointTrace> Trace_Initial;
    int32_t NbPoints = 0;
    // One entry per trace in drawing order, plus one spare entry at the end.
    std::vector<SequenceDecalee> Trace_Decale;
    double Xmin = 0.0, Xmax = 0.0, Ymin = 0.0, Ymax = 0.0;

    std::string NomFichier;
    std::string TypeFichier;
    std::string FichierProjet;

    // Number of real traces in Trace_Decale (the spare entry excluded).
    std::size_t NbSequencesDecalees() const { return Trace_Decale.empty() ? 0 : Trace_Decale.size() - 1; }
};

inline constexpr double Pi = 3.14159265358979323846;

}  // namespace korvelin
