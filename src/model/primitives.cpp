#include "model/primitives.h"

#include <cmath>

namespace korvelin {

void AngleSegment(const PointTrace& A, const PointTrace& B, double& theta) {
    const double ax = A.X, ay = A.Y, bx = B.X, by = B.Y;
    if (bx > ax) {
        theta = std::atan((ay - by) / (ax - bx));
    } else if (bx < ax) {
        theta = std::atan((ay - by) / (ax - bx)) + Pi;
    } else if (by > ay) {
        theta = Pi / 2.0;
    } else if (by < ay) {
        theta = 3.0 * Pi / 2.0;
    }
    if (theta < 0.0) theta += 2.0 * Pi;
}

double AngleSegment(const PointTrace& A, const PointTrace& B) {
    double theta = 0.0;
    AngleSegment(A, B, theta);
    return theta;
}

Droite DroiteAngle(const PointTrace& P, double theta) {
    const double s = std::sin(theta), c = std::cos(theta);
    return {s, -c, static_cast<double>(P.Y) * c - static_cast<double>(P.X) * s};
}

Droite DroitePassantPar(const PointTrace& P1, const PointTrace& P2) {
    double theta = 3.0 * Pi / 2.0;  // kept when the two points coincide
    AngleSegment(P1, P2, theta);
    return DroiteAngle(P2, theta);
}

bool Intersection(const Droite& d1, const Droite& d2, PointTrace& point) {
    const double det = d1.a * d2.b - d1.b * d2.a;
    if (det == 0.0) return false;
    point.X = static_cast<float>((d1.b * d2.c - d1.c * d2.b) / det);
    point.Y = static_cast<float>((d1.c * d2.a - d1.a * d2.c) / det);
    return true;
}

double Bissectrice(const PointTrace& A, const PointTrace& B, const PointTrace& C) {
    return (AngleSegment(B, A) + AngleSegment(B, C)) / 2.0;
}

double Distance(const PointTrace& P, const PointTrace& Q) {
    const double dy = static_cast<double>(P.Y) - Q.Y;
    const double dx = static_cast<double>(P.X) - Q.X;
    return std::sqrt(dy * dy + dx * dx);
}

bool TropProche(const PointTrace& P0, const PointTrace& P1, const PointTrace& Q, double R) {
    const double d0 = Distance(Q, P0);
    const double d1 = Distance(Q, P1);
    const Droite l = DroitePassantPar(P0, P1);
    const double dist = std::fabs(l.a * Q.X + l.b * Q.Y + l.c) / std::sqrt(l.a * l.a + l.b * l.b);
    const double ux = static_cast<double>(P1.X) - P0.X, uy = static_cast<double>(P1.Y) - P0.Y;
    const double longueur2 = ux * ux + uy * uy;
    // A segment of zero length has no inside: only its ends count.
    if (longueur2 != 0.0) {
        const double t = (ux * (static_cast<double>(Q.X) - P0.X) + uy * (static_cast<double>(Q.Y) - P0.Y)) / longueur2;
        if (t >= 0.0 && t <= 1.0) return R - dist > 0.01;
    }
    return R - d0 > 0.01 || R - d1 > 0.01;
}

char CoteDe(const PointTrace& P0, const PointTrace& P1, const PointTrace& Q) {
    if (P0.X == P1.X && P0.Y == P1.Y) return ' ';
    const double s = (static_cast<double>(Q.X) - P0.X) * (static_cast<double>(P0.Y) - P1.Y) +
                     (static_cast<double>(Q.Y) - P0.Y) * (static_cast<double>(P1.X) - P0.X);
    if (s > 0.0) return 'G';
    if (s < 0.0) return 'D';
    return 'C';
}

}  // namespace korvelin
