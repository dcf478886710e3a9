// Inputs that once broke a reader, and the fuzzers' seeds, through the whole import.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "import/dat.h"
#include "import/dxf.h"
#include "support/dossier_temporaire.h"

namespace korvelin {
namespace {

void ExpectDessinSain(const Dessin& d) {
    ASSERT_GE(d.NbPoints, 0);
    ASSERT_LE(static_cast<std::size_t>(d.NbPoints), d.Trace_Initial.size());
    for (int32_t i = 0; i < d.NbPoints; ++i)
        EXPECT_TRUE(std::isfinite(d.Trace_Initial[i].X) && std::isfinite(d.Trace_Initial[i].Y));
}

TEST(RegressionsLecteurs, FichiersDifficiles) {
    namespace fs = std::filesystem;
    test::DossierTemporaire dossier;
    for (const fs::path& racine : {fs::path(KORVELIN_TEST_DATA) / "fuzz", fs::path(KORVELIN_FUZZ_CORPUS)})
        for (const auto& f : fs::recursive_directory_iterator(racine)) {
            if (!f.is_regular_file()) continue;
            const std::string nom = f.path().filename().string(), chemin = f.path().string();
            Contexte ctx;
            ctx.CheminIni = dossier.Chemin("Korvelin.ini");
            const bool dat = f.path().extension() == ".dat";
            ctx.dessin.TypeFichier = dat ? "DAT" : "DXF";
            const bool lu = dat ? LectureDAT(ctx, chemin) : LectureDXF(ctx, chemin);
            if (dat) {
                MesureDAT m;
                EXPECT_EQ(lu, AnalyseDAT(ctx, chemin, &m)) << nom;
            }
            ExpectDessinSain(ctx.dessin);
        }
}

}  // namespace
}  // namespace korvelin
