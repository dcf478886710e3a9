#!/usr/bin/python3
"""Reference measure of a plotter file, independent of the program's reader.

    /usr/bin/python3 hpgl_reference.py FILE...   writes FILE.mesure beside each file

The file is read as a plotter reads it: two-letter commands, parameters separated by
commas or blanks, PU/PD/PA/PR, CI, AA/AR, EA/ER, IN; labels (LB), encoded polylines (PE),
escape sequences and every other command are passed over; SC and IP are not applied.
Arcs and circles are measured exactly (length r x angle, extent from their extreme
points), not as chords.

FILE.mesure gives, in millimetres at 0.025 mm per plotter unit:
    longueur <total pen-down length>
    largeur <width of the pen-down extent>
    hauteur <height of that extent>
"""

import math
import sys

UNITE_MM = 0.025
ETX = "\x03"
ESC = "\x1b"
BALAYAGE_MAX = 4 * 360.0


class Traceur:
    def __init__(self, texte):
        self.t = texte
        self.p = 0
        self.x = self.y = 0.0
        self.baissee = False
        self.relatif = False
        self.terminateur = ETX
        self.arc = (0.0, 0.0, 0.0)
        self.longueur = 0.0
        self.boite = None

    # --- reading the text ---

    def lettre(self, c):
        return ("A" <= c <= "Z") or ("a" <= c <= "z")

    def saute_jusqua(self, c):
        k = self.t.find(c, self.p)
        self.p = len(self.t) if k < 0 else k + 1

    def saute_echappement(self):
        t, n = self.t, len(self.t)
        self.p += 1
        if self.p >= n:
            return
        c = t[self.p]
        if c == ".":
            self.p = min(n, self.p + 2)
            while self.p < n and (t[self.p].isdigit() or t[self.p] in "; "):
                self.p += 1
            if self.p < n and t[self.p] == ":":
                self.p += 1
        elif c == "%":
            self.p += 1
            while self.p < n and (t[self.p].isdigit() or t[self.p] in "+-"):
                self.p += 1
            if self.p < n and self.lettre(t[self.p]):
                self.p += 1
        elif "!" <= c <= "/":
            self.p = min(n, self.p + 2)
            while self.p < n:
                debut = self.p
                while self.p < n and (t[self.p].isdigit() or t[self.p] in "+-."):
                    self.p += 1
                if self.p >= n or not self.lettre(t[self.p]):
                    return
                chiffres = "".join(ch for ch in t[debut:self.p] if ch.isdigit())
                fin = t[self.p]
                self.p += 1
                if fin in "Ww" and chiffres:
                    self.p = min(n, self.p + int(chiffres))
                if "A" <= fin <= "Z":
                    return
        elif "0" <= c <= "~":
            self.p += 1

    def parametres(self):
        """The numbers of the current command, up to ';' or the next command."""
        t, n = self.t, len(self.t)
        valeurs = []
        while self.p < n:
            c = t[self.p]
            if c.isdigit() or c in "+-.":
                k = self.p + (1 if c in "+-" else 0)
                debut_chiffres = k
                while k < n and t[k].isdigit():
                    k += 1
                entier = k > debut_chiffres
                decimales = False
                if k < n and t[k] == ".":
                    k += 1
                    d = k
                    while k < n and t[k].isdigit():
                        k += 1
                    decimales = k > d
                if entier or decimales:
                    texte = t[self.p:k]
                    if texte.endswith("."):
                        texte = texte[:-1]
                    valeurs.append(float(texte))
                    self.p = k
                else:
                    self.p += 1
            elif c == ";":
                self.p += 1
                break
            elif self.lettre(c):
                break
            elif c == ESC:
                self.saute_echappement()
            elif c == '"':
                self.p += 1
                self.saute_jusqua('"')
            else:
                self.p += 1
        return valeurs

    # --- geometry ---

    def elargit(self, x, y):
        if self.boite is None:
            self.boite = [x, y, x, y]
        else:
            b = self.boite
            b[0], b[1] = min(b[0], x), min(b[1], y)
            b[2], b[3] = max(b[2], x), max(b[3], y)

    def va(self, x, y):
        x = max(-1e9, min(1e9, x))
        y = max(-1e9, min(1e9, y))
        if self.baissee:
            self.longueur += math.hypot(x - self.x, y - self.y)
            self.elargit(self.x, self.y)
            self.elargit(x, y)
        self.x, self.y = x, y

    def trace_arc(self, cx, cy, balayage):
        r = math.hypot(self.x - cx, self.y - cy)
        debut = math.atan2(self.y - cy, self.x - cx)
        fin = debut + math.radians(balayage)
        if self.baissee:
            self.longueur += r * abs(math.radians(balayage))
            self.elargit(self.x, self.y)
            self.elargit(cx + r * math.cos(fin), cy + r * math.sin(fin))
            a0, a1 = min(debut, fin), max(debut, fin)
            k = math.ceil(a0 / (math.pi / 2))
            while k * math.pi / 2 <= a1:
                a = k * math.pi / 2
                self.elargit(cx + r * math.cos(a), cy + r * math.sin(a))
                k += 1
        self.x, self.y = cx + r * math.cos(fin), cy + r * math.sin(fin)

    # --- commands ---

    def lit(self):
        t, n = self.t, len(self.t)
        while self.p < n:
            c = t[self.p]
            if self.lettre(c) and self.p + 1 < n and self.lettre(t[self.p + 1]):
                commande = t[self.p:self.p + 2].upper()
                self.p += 2
                self.commande(commande)
            elif c == ESC:
                self.saute_echappement()
            elif t.startswith("@PJL", self.p):
                self.saute_jusqua("\n")
            else:
                self.p += 1

    def commande(self, m):
        if m in ("PU", "PD", "PA", "PR"):
            if m == "PU":
                self.baissee = False
            elif m == "PD":
                self.baissee = True
            elif m == "PA":
                self.relatif = False
            else:
                self.relatif = True
            v = self.parametres()
            for k in range(0, len(v) - 1, 2):
                x, y = v[k], v[k + 1]
                if self.relatif:
                    x, y = x + self.x, y + self.y
                self.va(x, y)
        elif m == "CI":
            v = self.parametres()
            if v and v[0] != 0:
                r = abs(v[0])
                self.longueur += 2 * math.pi * r
                self.elargit(self.x - r, self.y - r)
                self.elargit(self.x + r, self.y + r)
        elif m in ("AA", "AR"):
            v = self.parametres()
            if len(v) >= 3:
                cx, cy = v[0], v[1]
                if m == "AR":
                    cx, cy = cx + self.x, cy + self.y
                self.arc = (cx, cy, max(-BALAYAGE_MAX, min(BALAYAGE_MAX, v[2])))
            if len(v) == 0 or len(v) >= 3:
                self.trace_arc(*self.arc)
        elif m in ("EA", "ER"):
            v = self.parametres()
            if len(v) >= 2:
                x, y = v[0], v[1]
                if m == "ER":
                    x, y = x + self.x, y + self.y
                self.longueur += 2 * (abs(x - self.x) + abs(y - self.y))
                self.elargit(self.x, self.y)
                self.elargit(x, y)
        elif m == "IN":
            self.parametres()
            self.x = self.y = 0.0
            self.baissee = self.relatif = False
            self.terminateur = ETX
        elif m == "DF":
            self.parametres()
            self.terminateur = ETX
        elif m == "DT":
            if self.p < len(self.t) and self.t[self.p] != ";":
                self.terminateur = self.t[self.p]
                self.p += 1
            else:
                self.terminateur = ETX
            self.parametres()
        elif m in ("LB", "BL", "WD"):
            self.saute_jusqua(self.terminateur)
        elif m == "PE":
            self.saute_jusqua(";")
        elif m == "SM":
            if self.p < len(self.t) and " " < self.t[self.p] < "\x7f" and self.t[self.p] != ";":
                self.p += 1
            self.parametres()
        else:
            self.parametres()


def mesure(chemin):
    with open(chemin, "rb") as f:
        texte = f.read().decode("latin-1")
    traceur = Traceur(texte)
    traceur.lit()
    if traceur.boite is None:
        raise SystemExit(chemin + " : aucun tracé plume baissée")
    b = traceur.boite
    return (traceur.longueur * UNITE_MM, (b[2] - b[0]) * UNITE_MM, (b[3] - b[1]) * UNITE_MM)


def main():
    for chemin in sys.argv[1:]:
        longueur, largeur, hauteur = mesure(chemin)
        with open(chemin + ".mesure", "w") as f:
            f.write("longueur %.6f\nlargeur %.6f\nhauteur %.6f\n" % (longueur, largeur, hauteur))
        print("%s : longueur %.3f mm, %.3f x %.3f mm" % (chemin, longueur, largeur, hauteur))


if __name__ == "__main__":
    main()
