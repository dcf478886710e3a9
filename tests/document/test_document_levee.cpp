// A deleted offset point that began a lifted piece hands the lift on: the cutter must not
// be sent across what the lift went over.

#include <gtest/gtest.h>

#include "document/document.h"
#include "support/valeurs_temporaires.h"

namespace korvelin::test {
namespace {

TEST(DocumentLevee, LaLeveePasseAuPointSuivant) {
    DocumentTemporaire c;
    Document& doc = c.doc;
    ASSERT_TRUE(doc.Ouvrir(c.dossier.Ecrit("l.plt", "IN;PU0,0;PD400,0,400,400,0,400;")));
    Retouche(doc, [](Dessin& d) {
        const Code2 a = d.Trace_Decale[0].Sequence;
        d.Trace_Decale[0].Points = {{0, 0, {}, a}, {10, 0, {}, a}, {10, 10, MarqueLevee, a}, {0, 10, {}, a}};
    });
    ASSERT_TRUE(doc.SupprimePointDecale(0, 2));
    const std::vector<PointTrace>& p = c.d().Trace_Decale[0].Points;
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[2].X, 0.0f);
    EXPECT_TRUE(p[2].Plume == MarqueLevee);
    // The last point of a piece goes alone.
    ASSERT_TRUE(doc.SupprimePointDecale(0, 1));
    EXPECT_TRUE(c.d().Trace_Decale[0].Points[1].Plume == MarqueLevee);
    ASSERT_TRUE(doc.Annuler());
    ASSERT_TRUE(doc.Annuler());
    EXPECT_TRUE(c.d().Trace_Decale[0].Points[2].Plume == MarqueLevee);
    EXPECT_TRUE(c.d().Trace_Decale[0].Points[3].Plume == Code2{});
}

}  // namespace
}  // namespace korvelin::test
