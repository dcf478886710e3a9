#pragma once
// Plane geometry on drawing points. Lines are a·x + b·y + c = 0 with (a, b) the unit
// normal to the right of the direction of travel.

#include "model/dessin.h"

namespace korvelin {

struct Droite {
    double a = 0.0, b = 0.0, c = 0.0;
};

// Leaves theta untouched when A = B (callers pass 0).
void AngleSegment(const PointTrace& A, const PointTrace& B, double& theta);
double AngleSegment(const PointTrace& A, const PointTrace& B);
Droite DroitePassantPar(const PointTrace& P1, const PointTrace& P2);
Droite DroiteAngle(const PointTrace& P, double theta);
// False (point untouched) when the lines are exactly parallel.
bool Intersection(const Droite& d1, const Droite& d2, PointTrace& point);
double Bissectrice(const PointTrace& A, const PointTrace& B, const PointTrace& C);
double Distance(const PointTrace& P, const PointTrace& Q);
bool TropProche(const PointTrace& P0, const PointTrace& P1, const PointTrace& Q, double rayon);
// ' ' when P0 = P1, else 'G' (left), 'D' (right) or 'C' (on the line).
char CoteDe(const PointTrace& P0, const PointTrace& P1, const PointTrace& Q);

}  // namespace korvelin
