// Drawings written by an independent DXF library, and the geometry that library reports
// for them: the ends of every trace and the bounding box.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "import/dxf.h"
#include "import/dxf_conversion.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin {
namespace {

struct Attendu {
    struct Extremites {
        std::string type;
        double x0, y0, x1, y1;
    };
    std::vector<Extremites> traces;
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};

Attendu LitAttendu(const std::string& chemin) {
    Attendu a;
    std::ifstream f(chemin);
    EXPECT_TRUE(f.good()) << chemin;
    std::string ligne;
    while (std::getline(f, ligne)) {
        std::istringstream l(ligne);
        std::string mot;
        l >> mot;
        if (mot == "trace") {
            Attendu::Extremites e;
            l >> e.type >> e.x0 >> e.y0 >> e.x1 >> e.y1;
            a.traces.push_back(e);
        } else if (mot == "boite") {
            l >> a.xmin >> a.ymin >> a.xmax >> a.ymax;
        }
    }
    return a;
}

bool Proche(double x, double y, const PointTrace& p) { return std::fabs(p.X - x) < 1e-3 && std::fabs(p.Y - y) < 1e-3; }

class ReferenceDXF : public ::testing::TestWithParam<const char*> {};

TEST_P(ReferenceDXF, MemesExtremitesEtMemeBoite) {
    const std::string base = std::string(KORVELIN_TEST_DATA) + "/dxf/" + GetParam();
    const Attendu attendu = LitAttendu(base + ".attendu");
    const auto doc = LireDXF(base + ".dxf");
    ASSERT_TRUE(doc.has_value());
    TraceurDXF t(*doc, "");
    t.ConvertitTout();
    const std::vector<PointTrace>& points = t.Points();

    std::vector<std::pair<std::size_t, std::size_t>> traces;  // first and last index
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i == 0 || !(points[i].Sequence == points[i - 1].Sequence))
            traces.push_back({i, i});
        else
            traces.back().second = i;
    }
    ASSERT_EQ(traces.size(), attendu.traces.size());
    for (std::size_t k = 0; k < traces.size(); ++k) {
        const auto& e = attendu.traces[k];
        const PointTrace& a = points[traces[k].first];
        const PointTrace& b = points[traces[k].second];
        // A mirrored arc runs the other way round: its ends are compared as a pair.
        const bool direct = Proche(e.x0, e.y0, a) && Proche(e.x1, e.y1, b);
        const bool inverse = Proche(e.x0, e.y0, b) && Proche(e.x1, e.y1, a);
        EXPECT_TRUE(direct || inverse) << "trace " << k << " (" << e.type << "): (" << a.X << ", " << a.Y
                                       << ") -> (" << b.X << ", " << b.Y << ")";
    }

    double xmin = points[0].X, xmax = xmin, ymin = points[0].Y, ymax = ymin;
    for (const PointTrace& p : points) {
        xmin = std::min<double>(xmin, p.X);
        xmax = std::max<double>(xmax, p.X);
        ymin = std::min<double>(ymin, p.Y);
        ymax = std::max<double>(ymax, p.Y);
    }
    // Chords cut inside curves by at most a few hundredths at these sizes.
    EXPECT_NEAR(xmin, attendu.xmin, 0.05);
    EXPECT_NEAR(xmax, attendu.xmax, 0.05);
    EXPECT_NEAR(ymin, attendu.ymin, 0.05);
    EXPECT_NEAR(ymax, attendu.ymax, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Fichiers, ReferenceDXF,
                         ::testing::Values("formes_r12", "blocs_r12", "cote_r12", "ellipses_r2000"));

TEST(ReferenceDXF, ImportComplet) {
    test::DossierTemporaire dossier;
    test::UiEnregistreuse ui;
    Contexte ctx(&ui);
    ctx.CheminIni = dossier.Chemin("Korvelin.ini");
    ctx.dessin.TypeFichier = "DXF";
    ASSERT_TRUE(LectureDXF(ctx, std::string(KORVELIN_TEST_DATA) + "/dxf/formes_r12.dxf"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.nbDimensions, 1);
    EXPECT_GT(ctx.dessin.NbPoints, 0);
    for (int i = 0; i < ctx.dessin.NbPoints; ++i) {
        EXPECT_GE(ctx.dessin.Trace_Initial[i].X, -1e-4);
        EXPECT_GE(ctx.dessin.Trace_Initial[i].Y, -1e-4);
    }
}

}  // namespace
}  // namespace korvelin
