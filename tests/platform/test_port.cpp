#include <gtest/gtest.h>

#include "platform/horloge.h"
#include "platform/port.h"
#include "platform/port_ppdev.h"
#include "platform/simulateur.h"

using namespace korvelin;

TEST(Port, BitsDuRegistreDeControle) {
    EXPECT_EQ(ValeurControle(0x00, 3, true), 0x08);
    EXPECT_EQ(ValeurControle(0x0F, 3, false), 0x07);
    // Bit 5 would turn the data lines into inputs: never left set.
    EXPECT_EQ(ValeurControle(0x2C, 3, false), 0x04);
    EXPECT_EQ(ValeurControle(0x00, 5, true), 0x00);
    EXPECT_EQ(AdresseDeBase("888\t1912\n"), 888);
    EXPECT_EQ(AdresseDeBase("abc"), -1);
}

namespace {
struct PortFactice final : Port {
    bool Disponible() const override { return true; }
    void EcrireDonnees(uint8_t) override {}
    void MettreBitControle(int) override {}
    void EffacerBitControle(int) override {}
    bool Reel() const override { return true; }
};
}  // namespace

TEST(Port, DirectPuisPeripheriquePuisAucun) {
    std::string essais;
    auto ouvreur = [&essais](char nom, bool reussit) {
        return [&essais, nom, reussit](int16_t) -> std::unique_ptr<Port> {
            essais += nom;
            return reussit ? std::make_unique<PortFactice>() : nullptr;
        };
    };
    EXPECT_TRUE(OuvrePortMachine(888, {ouvreur('d', true), ouvreur('p', true)})->Disponible());
    EXPECT_TRUE(OuvrePortMachine(632, {ouvreur('d', false), ouvreur('p', true)})->Disponible());
    const auto aucun = OuvrePortMachine(956, {ouvreur('d', false), ouvreur('p', false)});
    EXPECT_FALSE(aucun->Disponible());
    EXPECT_FALSE(aucun->Reel());
    EXPECT_EQ(essais, "ddpdp");
}

TEST(Horloge, VirtuelleSystemeEtReveilAvantLEcheance) {
    HorlogeVirtuelle v;
    v.AttendreJusqua(1234);
    v.AttendreJusqua(10);  // never goes back
    EXPECT_EQ(v.Lire(), 1234);
    HorlogeSysteme s;
    const int64_t a = s.Lire();
    s.AttendreJusqua(a + 20'000);
    EXPECT_GT(s.Lire(), a + 20'000);
    // Short waits poll; 0.4 ms sleeps to 0.15 ms before; long waits poll their last quarter,
    // at most 1 ms.
    const std::pair<int64_t, int64_t> cas[] = {
        {250'000, 0}, {400'000, 150'000}, {2'000'000, 500'000}, {9'400'000, 1'000'000}, {1'000'000'000, 1'000'000}};
    for (const auto& [reste, avance] : cas) EXPECT_EQ(korvelin::AvanceReveil(150'000, reste), avance) << reste;
    EXPECT_EQ(korvelin::AvanceReveil(0, 9'400'000), 0);
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
    for (uint8_t v : {0x00, 0x88, 0x08}) p.EcrireDonnees(v);  // X back; then the X pairs disagree
    EXPECT_EQ(p.Impulsions(Axe::X, +1), 1);                   // a held step line is one step
    EXPECT_EQ(p.Impulsions(Axe::X, -1), 1);
    EXPECT_DOUBLE_EQ(p.PositionMm(Axe::Y), 0.25);  // wired backwards: a cleared line moves it forward
    EXPECT_DOUBLE_EQ(p.PositionMm(Axe::Z), 0.1);
    EXPECT_EQ(p.PasMoteurArrete(), 3);
    EXPECT_EQ(p.IncoherencesX(), 1);
    EXPECT_EQ(p.Arrets() + p.MisesEnMarche(), 2);
    EXPECT_DOUBLE_EQ(p.DureeProgrammee(), 0.0005);
    ASSERT_EQ(p.Ecritures().size(), 15u);
    EXPECT_EQ(p.Ecritures()[11].temps, 5000);
    PortSimule muet(h, c, false);  // counts without recording
    muet.EcrireDonnees(0x02);
    EXPECT_TRUE(muet.Ecritures().empty());
    EXPECT_EQ(muet.Impulsions(Axe::Y), 1);
}
