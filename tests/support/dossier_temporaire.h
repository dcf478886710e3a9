#pragma once
// A fresh folder under the system's temporary folder, removed with its content.

#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <string>

namespace korvelin::test {

class DossierTemporaire {
public:
    DossierTemporaire() {
        std::string modele = (std::filesystem::temp_directory_path() / "korvelin-test-XXXXXX").string();
        chemin_ = ::mkdtemp(modele.data());
    }
    ~DossierTemporaire() {
        std::error_code ec;
        std::filesystem::remove_all(chemin_, ec);
    }
    DossierTemporaire(const DossierTemporaire&) = delete;
    DossierTemporaire& operator=(const DossierTemporaire&) = delete;

    std::string Chemin(const std::string& nom) const { return (chemin_ / nom).string(); }
    std::string Dossier() const { return chemin_.string(); }
    std::string Ecrit(const std::string& nom, const std::string& contenu) const {
        const std::string c = Chemin(nom);
        std::ofstream(c, std::ios::binary) << contenu;
        return c;
    }
    static std::string Lit(const std::string& chemin) {
        std::ifstream f(chemin, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path chemin_;
};

}  // namespace korvelin::test
