#pragma once
// Operations on the point list of the drawing.

#include <span>

#include "model/dessin.h"

namespace korvelin {

Code2 ProchaineSequence(Code2 etiquette);
// Text form: empty gives " A", one character is padded with a leading space.
Code2 ProchaineSequence(std::string_view etiquette);

int32_t PremierPointSequence(const Dessin& d, Code2 etiquette);
int32_t NbPointsSequence(const Dessin& d, int32_t i);
bool EstDansSequence(const Dessin& d, int32_t i, Code2 etiquette);
void SupprimeSequence(Dessin& d, Code2 etiquette);
void InverseSequence(Dessin& d, Code2 etiquette);
// Makes point p the first point of its closed trace: the old first point goes (the last
// one repeats it) and a copy of p closes the trace. Nothing happens when p is already
// first or lies outside the drawing.
void DepartSequence(Dessin& d, int32_t p);
// The same on the points of one closed trace, making point k the first.
void DepartTrace(std::span<PointTrace> trace, std::size_t k);

// Labels the traces from the pen states and removes the pen-up points. Returns false,
// leaving an empty drawing, when no point is pen-down.
bool NumeroteSequences(Dessin& d);
void SupprimeDoublons(Dessin& d);
void CalculBornes(Dessin& d);

// Two points meet when they differ by less than 0.001 on each axis (32-bit differences).
bool PointsConfondus(const PointTrace& a, const PointTrace& b);

// Nearest integer, halves going to the even one.
int64_t ArrondiPair(double v);

}  // namespace korvelin
