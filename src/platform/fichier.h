#pragma once
// Whole-file reading and safe writing, and what the program needs to know of a path
// before it reads or replaces the file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvelin {

// The whole file, or nothing when it cannot be read (missing, a folder, no permission).
std::optional<std::string> LireFichier(const std::string& chemin);

// A file read a block at a time, for readers that need not hold the whole text. It opens
// what LireFichier opens (a regular file, never waiting on a FIFO). A read may return less
// than asked, as reads of some file systems do; `plusGrandeLecture` makes every read that
// short, so that the fuzzers put line ends across the edges of tiny blocks.
class LectureParBlocs {
public:
    explicit LectureParBlocs(const std::string& chemin, std::size_t plusGrandeLecture = SIZE_MAX);
    ~LectureParBlocs();
    LectureParBlocs(const LectureParBlocs&) = delete;
    LectureParBlocs& operator=(const LectureParBlocs&) = delete;

    bool Ouvert() const { return fd_ >= 0; }
    // Appends up to `taille` bytes to `tampon`; 0 at the end of the file or on a failure.
    std::size_t Lit(std::string& tampon, std::size_t taille);
    // A read failed: what was read is not the whole file.
    bool EnEchec() const { return echec_; }

private:
    int fd_ = -1;
    bool echec_ = false;
    std::size_t plusGrandeLecture_;
};
// A file written beside its destination and put in its place only once complete, so a
// failed or killed write leaves any earlier file whole. Where the file system allows, the
// file has no name until then (O_TMPFILE), so a killed write leaves nothing; elsewhere it
// is named after the destination (".tmp-" and six characters) and locked while written, and
// the next write beside the same destination removes those whose writer died. The new file
// keeps the permissions of the one it replaces, less setuid and setgid; a read-only
// destination is refused, as cp refuses it.
class EcritureAtomique {
public:
    explicit EcritureAtomique(const std::string& chemin);
    // Without Termine, the file goes and the destination stays as it was.
    ~EcritureAtomique();
    EcritureAtomique(const EcritureAtomique&) = delete;
    EcritureAtomique& operator=(const EcritureAtomique&) = delete;

    bool Ouvert() const { return fd_ >= 0; }
    bool Ecrit(std::string_view texte);
    // Synced and put in place. False on any failure, then nothing is left behind.
    bool Termine();

private:
    std::string chemin_, temporaire_;
    int fd_ = -1;
    bool anonyme_ = false;
    bool ok_ = true;
    unsigned mode_ = 0;
};

// Writes the whole text through EcritureAtomique. False on any failure.
bool EcrireFichierAtomique(const std::string& chemin, std::string_view contenu);
// Why the file cannot be written or replaced, in the words the user is shown; empty when
// it can: a folder or a device at that path, or a file without write permission.
std::string RaisonNonRemplacable(const std::string& chemin);
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
