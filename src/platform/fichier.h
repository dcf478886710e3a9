#pragma once
// Whole-file reading and safe writing, and what the program needs to know of a path
// before it reads or replaces the file.

#include <optional>
#include <string>
#include <string_view>

namespace korvelin {

// The whole file, or nothing when it cannot be read (missing, a folder, no permission).
std::optional<std::string> LireFichier(const std::string& chemin);
// Writes to a temporary file in the same folder and renames it into place, so a failed
// write leaves the old file whole. False on any failure.
bool EcrireFichierAtomique(const std::string& chemin, std::string_view contenu);
bool DossierExiste(const std::string& chemin);
bool FichierExiste(const std::string& chemin);

// Why the file cannot be opened as a drawing, in the words the user is shown; empty when
// it can. A folder, a FIFO or a device is named as such and never opened, so a FIFO
// cannot block the program waiting for a writer.
std::string RaisonIllisible(const std::string& chemin);
// The same for another kind of file: genre completes "pas un fichier …" ("de paramètres").
std::string RaisonFichierIllisible(const std::string& chemin, std::string_view genre);

// True when both paths lead to the same file: the same device and inode when it exists,
// the same folder (device and inode) and the same name when it does not yet. Different
// spellings ("./a", "d/../a", links) of one file are the same file.
bool MemeFichierDisque(const std::string& a, const std::string& b);

// Calls f(ligne) for every line of the text, without its end. Lines end with CR LF, LF or
// CR alone; a last line without an end counts, an end at the very end of the text opens
// no further line. f returns false to stop.
template <class F>
void PourChaqueLigne(std::string_view texte, F&& f) {
    std::size_t debut = 0;
    const std::size_t n = texte.size();
    while (debut < n) {
        const std::size_t trouve = texte.find_first_of("\r\n", debut);
        const std::size_t fin = trouve == std::string_view::npos ? n : trouve;
        if (!f(texte.substr(debut, fin - debut))) return;
        debut = fin;
        if (debut < n && texte[debut] == '\r') ++debut;
        if (debut < n && texte[debut] == '\n') ++debut;
    }
}

// The text without the UTF-8 byte order mark that Windows editors put at its start.
std::string_view SansMarqueUtf8(std::string_view texte);

// UTF-8 of a text that is either valid UTF-8 or Windows-1252.
std::string VersUtf8(std::string_view texte);
bool EstUtf8Valide(std::string_view texte);
// UTF-8 of a Windows-1252 text.
std::string DepuisWindows1252(std::string_view texte);
// The character a Windows-1252 byte stands for.
char32_t CaractereWindows1252(unsigned char octet);
// Windows-1252 bytes of a UTF-8 text; characters it cannot hold become "?".
std::string VersWindows1252(std::string_view utf8);

}  // namespace korvelin
