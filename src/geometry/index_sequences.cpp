#include "geometry/index_sequences.h"

#include <algorithm>

namespace korvelin {

int32_t NbPointsUtiles(const Dessin& d) {
    const auto taille = static_cast<int64_t>(d.Trace_Initial.size());
    return static_cast<int32_t>(std::clamp<int64_t>(d.NbPoints, 0, taille));
}

std::vector<PlageSequence> PlagesSequences(const Dessin& d) {
    std::vector<PlageSequence> plages;
    const int32_t n = NbPointsUtiles(d);
    const auto& t = d.Trace_Initial;
    for (int32_t i = 0; i < n;) {
        int32_t j = i + 1;
        while (j < n && t[j].Sequence == t[i].Sequence) ++j;
        plages.push_back({i, j - i});
        i = j;
    }
    return plages;
}

IndexSequences::IndexSequences(const Dessin& d) : plages_(PlagesSequences(d)) {
    premiere_.reserve(plages_.size());
    for (const PlageSequence& p : plages_)
        if (!premiere_.emplace(CleEtiquette(d.Trace_Initial[p.premier].Sequence), p).second) uniques_ = false;
}

std::optional<PlageSequence> IndexSequences::Cherche(Code2 etiquette) const {
    const auto it = premiere_.find(CleEtiquette(etiquette));
    if (it == premiere_.end()) return std::nullopt;
    return it->second;
}

void InverseSequences(Dessin& d, const std::vector<Code2>& etiquettes) {
    std::unordered_map<uint64_t, std::pair<Code2, bool>> impair;
    impair.reserve(etiquettes.size());
    for (Code2 e : etiquettes) {
        auto& [etiquette, inverse] = impair[CleEtiquette(e)];
        etiquette = e;
        inverse = !inverse;
    }
    const IndexSequences index(d);
    for (const auto& [cle, valeur] : impair) {
        if (!valeur.second) continue;
        if (const auto plage = index.Cherche(valeur.first)) {
            auto debut = d.Trace_Initial.begin() + plage->premier;
            std::reverse(debut, debut + plage->nb);
        }
    }
}

}  // namespace korvelin
