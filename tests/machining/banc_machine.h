#pragma once
// A machine on the recording simulator and the virtual clock, for the machining tests.

#include <atomic>
#include <memory>
#include <vector>

#include "support/valeurs_temporaires.h"
#include "machining/machine.h"
#include "machining/simulation.h"
#include "platform/simulateur.h"
#include "support/ui_enregistreuse.h"

namespace korvelin::test {

// The tool's place in steps after every pulse, replayed from the port's falling step edges.
struct Impulsion {
    int64_t x, y, z;
    bool xy;
    std::size_t ecriture;  // the write of the falling edge
};
inline std::vector<Impulsion> Rejoue(const PortSimule& port) {
    std::vector<Impulsion> r;
    int64_t x = 0, y = 0, z = 0;
    uint8_t avant = 0;
    for (std::size_t i = 0; i < port.Ecritures().size(); ++i) {
        const auto& e = port.Ecritures()[i];
        if (e.registre != 'D') continue;
        const uint8_t chute = static_cast<uint8_t>(avant & ~e.valeur);
        avant = e.valeur;
        const bool px = chute & LignePasX, py = chute & LignePasY, pz = chute & LignePasZ;
        x += px ? ((e.valeur & LigneDirX) ? 1 : -1) : 0;
        y += py ? ((e.valeur & LigneDirY) ? 1 : -1) : 0;
        z += pz ? ((e.valeur & LigneDirZ) ? 1 : -1) : 0;
        if (px || py || pz) r.push_back({x, y, z, px || py, i});
    }
    return r;
}

// The Z moves as signed step counts: consecutive Z pulses of one direction and one period
// with no XY pulse between them. fin is the clock at the end, for the last pulse's period.
inline std::vector<int64_t> MouvementsZ(const PortSimule& port, int64_t fin, bool inversionZ) {
    std::vector<int64_t> mouvements;
    const auto& e = port.Ecritures();
    int64_t z = 0, periodePrecedente = -1;
    int sensPrecedent = 0;
    bool xyDepuis = true;
    for (const Impulsion& p : Rejoue(port)) {
        xyDepuis = xyDepuis || p.xy;
        if (p.z == z) continue;
        const int sens = (p.z > z) != inversionZ ? 1 : -1;
        const int64_t periode = (p.ecriture + 1 < e.size() ? e[p.ecriture + 1].temps : fin) - e[p.ecriture].temps;
        if (xyDepuis || sens != sensPrecedent || periode != periodePrecedente) mouvements.push_back(0);
        mouvements.back() += sens;
        z = p.z, xyDepuis = false, sensPrecedent = sens, periodePrecedente = periode;
    }
    return mouvements;
}

struct Banc : ValeursTemporaires {
    HorlogeVirtuelle horloge;
    std::unique_ptr<PortSimule> port;
    std::unique_ptr<Machine> m;
    std::atomic<bool> arret{false};

    // Call after setting the values: the simulated machine is wired after them.
    Machine& Demarre() {
        port = std::make_unique<PortSimule>(horloge, ConfigurationDe(parametres));
        m = std::make_unique<Machine>(*port, horloge, parametres);
        return *m;
    }
    std::vector<uint8_t> Donnees() const {
        std::vector<uint8_t> v;
        for (const auto& e : port->Ecritures())
            if (e.registre == 'D') v.push_back(e.valeur);
        return v;
    }
    std::vector<int64_t> Z() { return MouvementsZ(*port, horloge.Lire(), parametres.InversionSens_Z); }
};

// A drawing of offset paths only, which is all machining reads.
inline void DessinDe(Dessin& dessin, const std::vector<std::vector<std::pair<float, float>>>& traces) {
    dessin.Trace_Decale.clear();
    Code2 etiquette = PremiereSequence;
    for (const auto& t : traces) {
        SequenceDecalee s;
        s.Sequence = etiquette;
        for (const auto& [x, y] : t) s.Points.push_back({x, y, PlumeBasse, etiquette});
        dessin.Trace_Decale.push_back(s);
        etiquette = Code2{U' ', static_cast<char32_t>(etiquette.c1() + 1)};
    }
    dessin.Trace_Decale.push_back({});
}

}  // namespace korvelin::test
