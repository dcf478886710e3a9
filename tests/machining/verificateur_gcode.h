#pragma once
// A strict reader of the G-code the program writes, written apart from it: it reads the
// file as a controller would and says what a machinist would object to.

#include <cstdint>
#include <string>
#include <vector>

namespace korvelin::test {

// A stretch of cut at one depth in the material.
struct TronconCoupe {
    double x0, y0, x1, y1, z;
};

struct LectureGCode {
    std::vector<std::string> fautes;   // empty when the program passes every rule
    std::vector<TronconCoupe> coupes;  // arcs replayed as short chords
    double degagement = 0.0;           // the clearance height: the first move's Z
    int64_t remontees = 0;             // G0 rises to it after the first
    int64_t arcs = 0;
    int64_t lignes = 0;
    double avanceCoupe = 0.0, avancePlongee = 0.0;  // the last feeds of XY and of Z moves
};

// Bytes (printable ASCII and "\n"), lines of at most 80 bytes, comments that close, known
// words only, modal state (units, absolute mode, a feed before any feed move, one motion
// per block), Z alone first and then XY only at the clearance height unless cutting, no
// rapid move down, arcs that pass the radius check within 0.005 mm and are no full
// circles, M5 after the last cut, no descent after it, and the end over the origin.
LectureGCode VerifieGCode(const std::string& texte);

// The horizontal moves in the material of a CUT file, after its header.
std::vector<TronconCoupe> CoupesCUT(const std::string& texte);

// The farthest any point of `a` lies from `b` at the same depth (points sampled every
// 0.1 mm); a huge value when a depth of `a` is missing from `b`.
double EcartCoupes(const std::vector<TronconCoupe>& a, const std::vector<TronconCoupe>& b);

}  // namespace korvelin::test
