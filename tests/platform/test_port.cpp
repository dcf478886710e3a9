#include <gtest/gtest.h>

#include "platform/horloge.h"
#include "platform/port.h"
#include "platform/port_ppdev.h"
#include "platform/simulateur.h"

using namespace korvelin;

TEST(Port, BitsDuRegistreDeControle) {
    EXPECT_EQ(ValeurControle(0x00, 3, true), 0x08);
    EXPECT_EQ(ValeurControle(0x0F, 3, false), 0x07);
    EXPECT_EQ(ValeurControle(0x04, 3, true), 0x0C);  // the other bits stay
    // Bit 5 would turn the data lines into inputs: never left set.
    EXPECT_EQ(ValeurControle(0x2C, 3, false), 0x04);
    EXPECT_EQ(ValeurControle(0x00, 5, true), 0x00);
    EXPECT_EQ(ValeurControle(0x08, 9, true), 0x08);
}

namespace {
struct PortFactice final : Port {
    bool ouvert;
    explicit PortFactice(bool o) : ouvert(o) {}
    bool Disponible() const override { return ouvert; }
    void EcrireDonnees(uint8_t) override {}
    void MettreBitControle(int) override {}
    void EffacerBitControle(int) override {}
    bool Reel() const override { return true; }
};
}  // namespace

TEST(Port, ChoixDuMoyenDAcces) {
    std::vector<std::string> essais;
    auto ouvreur = [&essais](std::string nom, bool reussit) {
        return [&essais, nom, reussit](int16_t adresse) -> std::unique_ptr<Port> {
            essais.push_back(nom + std::to_string(adresse));
            if (!reussit) return nullptr;
            return std::make_unique<PortFactice>(true);
        };
    };
    auto p = OuvrePortMachine(888, {ouvreur("direct", true), ouvreur("ppdev", true)});
    EXPECT_TRUE(p->Disponible());
    EXPECT_EQ(essais, (std::vector<std::string>{"direct888"}));

    essais.clear();
    p = OuvrePortMachine(632, {ouvreur("direct", false), ouvreur("ppdev", true)});
    EXPECT_TRUE(p->Disponible());
    EXPECT_EQ(essais, (std::vector<std::string>{"direct632", "ppdev632"}));

    essais.clear();
    p = OuvrePortMachine(956, {ouvreur("direct", false), ouvreur("ppdev", false)});
    EXPECT_FALSE(p->Disponible());
    EXPECT_FALSE(p->Reel());
    p->EcrireDonnees(0xFF);  // goes nowhere, harmlessly
    EXPECT_EQ(essais.size(), 2u);

    // A back end that opens but says it cannot reach the port is passed over.
    p = OuvrePortMachine(888, {[](int16_t) { return std::make_unique<PortFactice>(false); }, {}});
    EXPECT_FALSE(p->Disponible());
}

TEST(Port, AdresseDeBaseDuNoyau) {
    EXPECT_EQ(AdresseDeBase("888\t1912\n"), 888);
    EXPECT_EQ(AdresseDeBase("632"), 632);
    EXPECT_EQ(AdresseDeBase(""), -1);
    EXPECT_EQ(AdresseDeBase("abc"), -1);
}

TEST(Horloge, VirtuelleEtSysteme) {
    HorlogeVirtuelle v;
    EXPECT_EQ(v.Lire(), 0);
    v.AttendreJusqua(1234);
    EXPECT_EQ(v.Lire(), 1234);
    v.AttendreJusqua(10);  // never goes back
    EXPECT_EQ(v.Lire(), 1234);

    HorlogeSysteme s;
    ASSERT_EQ(s.Frequence(), 1'000'000'000);
    const int64_t a = s.Lire();
    s.AttendreJusqua(a + 20'000);
    EXPECT_GT(s.Lire(), a + 20'000);
}

TEST(Simulateur, PasDepuisLesFrontsEtLesLignesDeSens) {
    HorlogeVirtuelle h;
    ConfigurationSimulee c;
    c.pas = {0.5, 0.25, 0.1};
    c.inversion = {false, true, false};
    PortSimule p(h, c);
    p.MettreBitControle(3);
    for (uint8_t v : {0x44, 0xCC, 0xCC, 0x44, 0x00, 0x02, 0x00, 0x10, 0x30, 0x10}) p.EcrireDonnees(v);
    h.AttendreJusqua(5000);
    p.EffacerBitControle(3);
    p.EcrireDonnees(0x00);
    p.EcrireDonnees(0x88);  // X back, motor on
    p.EcrireDonnees(0x08);  // the two X pairs disagree
    EXPECT_EQ(p.Impulsions(Axe::X, +1), 1);  // a held step line is one step
    EXPECT_EQ(p.Impulsions(Axe::X, -1), 1);
    EXPECT_EQ(p.PasNets(Axe::Y), 1);  // Y wired backwards: a cleared direction line moves it forward
    EXPECT_DOUBLE_EQ(p.PositionMm(Axe::Y), 0.25);
    EXPECT_DOUBLE_EQ(p.PositionMm(Axe::Z), 0.1);
    EXPECT_EQ(p.PasMoteurArrete(), 3);
    EXPECT_EQ(p.IncoherencesX(), 1);
    EXPECT_EQ(p.Arrets(), 1);
    EXPECT_EQ(p.MisesEnMarche(), 1);
    EXPECT_DOUBLE_EQ(p.DureeProgrammee(), 0.0005);
    ASSERT_EQ(p.Ecritures().size(), 15u);
    EXPECT_EQ(p.Ecritures()[0].registre, 'C');
    EXPECT_EQ(p.Ecritures()[0].valeur, 0x08);
    EXPECT_EQ(p.Ecritures()[11].temps, 5000);

    PortSimule muet(h, c, false);
    muet.EcrireDonnees(0x02);
    EXPECT_TRUE(muet.Ecritures().empty());
    EXPECT_EQ(muet.Impulsions(Axe::Y), 1);
}
