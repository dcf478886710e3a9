#!/usr/bin/python3
"""Writes the DXF drawings of this folder with the programs that make them (ezdxf,
inkscape, pstoedit) and beside each one its .mesure: total length and extent of the
geometry as ezdxf itself flattens it (blocks expanded by ezdxf), one drawing unit
taken as one millimetre.

Run by hand from this folder: /usr/bin/python3 genere_dxf.py
"""
import math
import os
import subprocess
import tempfile

import ezdxf
from ezdxf import disassemble
from ezdxf import path as chemins

DESSINES = {"LINE", "ARC", "CIRCLE", "ELLIPSE", "LWPOLYLINE", "POLYLINE", "SPLINE"}


def mesure(nom):
    """Length and extent of what ezdxf draws for the model space of the file."""
    doc = ezdxf.readfile(nom)
    longueur = 0.0
    xs, ys = [], []
    for e in disassemble.recursive_decompose(doc.modelspace()):
        if e.dxftype() not in DESSINES:
            continue
        try:
            p = chemins.make_path(e)
        except TypeError:  # meshes
            continue
        points = list(p.flattening(0.0005, segments=16))
        for a, b in zip(points, points[1:]):
            longueur += a.distance(b)
        xs += [q.x for q in points]
        ys += [q.y for q in points]
    with open(nom + ".mesure", "w") as f:
        f.write("longueur %.4f\n" % longueur)
        f.write("largeur %.4f\n" % (max(xs) - min(xs)))
        f.write("hauteur %.4f\n" % (max(ys) - min(ys)))


def retire_point_polyligne(nom, calque):
    """Removes the optional 10/20/30 point of the POLYLINE headers on that layer."""
    with open(nom) as f:
        lignes = f.read().split("\n")
    paires = [(lignes[i], lignes[i + 1]) for i in range(0, len(lignes) - 1, 2)]
    sortie, dans, sur_calque, entete = [], False, False, []
    for code, valeur in paires:
        c = code.strip()
        if c == "0":
            if dans:
                if sur_calque:
                    entete = [p for p in entete if p[0].strip() not in ("10", "20", "30")]
                sortie += entete
            dans = valeur.strip() == "POLYLINE"
            sur_calque, entete = False, []
            if dans:
                entete.append((code, valeur))
                continue
        elif dans:
            if c == "8" and valeur.strip() == calque:
                sur_calque = True
            entete.append((code, valeur))
            continue
        sortie.append((code, valeur))
    with open(nom, "w") as f:
        f.write("\n".join(c + "\n" + v for c, v in sortie) + "\n")


def blocs_r12():
    """Nested, mirrored and turned blocks with base points away from the origin; POLYLINEs
    with bulges, with flag 128, one without its header point; arcs and circles written
    with the extrusion (0, 0, -1)."""
    doc = ezdxf.new("R12")
    cadre = doc.blocks.new("CADRE", base_point=(50, 20))
    cadre.add_line((50, 20), (90, 20))
    cadre.add_arc((90, 35), 15, 270, 90)
    cadre.add_line((90, 50), (50, 50))
    cadre.add_line((50, 50), (50, 20))
    cadre.add_circle((65, 35), 6)
    cadre.add_polyline2d([(75, 28, 0.5), (82, 28, 0), (82, 40, -0.3), (75, 40, 0)], format="xyb", close=True)
    groupe = doc.blocks.new("GROUPE", base_point=(-10, 5))
    groupe.add_blockref("CADRE", (0, 0))
    groupe.add_blockref("CADRE", (80, 10), dxfattribs={"rotation": 30})
    groupe.add_blockref("CADRE", (-20, 70), dxfattribs={"xscale": -1})
    groupe.add_arc((10, 10), 8, 0, 120, dxfattribs={"extrusion": (0, 0, -1)})
    m = doc.modelspace()
    m.add_blockref("GROUPE", (0, 0))
    m.add_blockref("GROUPE", (220, 40), dxfattribs={"rotation": 90, "xscale": 0.5, "yscale": 0.5})
    m.add_blockref("GROUPE", (330, 0), dxfattribs={"yscale": -1, "rotation": 15})
    m.add_polyline2d([(0, -60, 0), (40, -60, 0.4142), (60, -40, 0), (60, -20, -1), (60, 0, 0)], format="xyb",
                     dxfattribs={"flags": 128})
    m.add_polyline2d([(100, -60, 0), (130, -60, 1.5), (130, -30, 0), (100, -30, 0)], format="xyb", close=True,
                     dxfattribs={"layer": "SANS_POINT"})
    m.add_arc((160, -40), 10, 20, 160, dxfattribs={"extrusion": (0, 0, -1)})
    m.add_circle((-120, -40), 5, dxfattribs={"extrusion": (0, 0, -1)})
    m.add_arc((-150, 20), 12, 200, 30)
    doc.saveas("blocs_r12.dxf")
    retire_point_polyligne("blocs_r12.dxf", "SANS_POINT")


def cercle_rationnel(centre, rayon):
    """A full circle as a rational quadratic B-spline of nine control points."""
    cx, cy = centre
    s = math.sqrt(0.5)
    coins = [(1, 0), (1, 1), (0, 1), (-1, 1), (-1, 0), (-1, -1), (0, -1), (1, -1), (1, 0)]
    points = [(cx + rayon * x, cy + rayon * y) for x, y in coins]
    poids = [1, s, 1, s, 1, s, 1, s, 1]
    noeuds = [0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 4]
    return points, poids, noeuds


def courbes_r2000():
    """LWPOLYLINEs with bulges, rational SPLINEs by control points and weights, SPLINEs
    by fit points only, an ellipse and an arc with the extrusion (0, 0, -1), an INSERT
    array turned with its block."""
    doc = ezdxf.new("R2000")
    m = doc.modelspace()
    m.add_lwpolyline([(0, 0, 0), (60, 0, 1), (60, 20, 0), (0, 20, 1)], format="xyb", close=True)
    m.add_lwpolyline([(0, 40, 0), (30, 40, -0.6), (50, 60, 2.0), (70, 60, 0), (90, 40, 0)], format="xyb")
    points, poids, noeuds = cercle_rationnel((120, 10), 15)
    m.add_rational_spline(points, poids, degree=2, knots=noeuds)
    m.add_rational_spline([(150, 0), (160, 30), (180, -10), (200, 25), (215, 5)], [1, 3, 0.5, 2, 1], degree=3)
    m.add_spline([(0, 80), (20, 95), (45, 85), (70, 100), (95, 80)])
    lisse = m.add_spline([(110, 80), (125, 100), (150, 90), (175, 105)])
    lisse.dxf.start_tangent = (0, 1, 0)
    lisse.dxf.end_tangent = (1, -1, 0)
    m.add_ellipse((240, 20), major_axis=(20, 5), ratio=0.4, start_param=0.3, end_param=4.0,
                  dxfattribs={"extrusion": (0, 0, -1)})
    m.add_arc((-260, 60), 12, 10, 200, dxfattribs={"extrusion": (0, 0, -1)})
    trou = doc.blocks.new("TROU", base_point=(5, 5))
    trou.add_circle((5, 5), 3)
    trou.add_lwpolyline([(1, 1), (9, 1), (9, 9), (1, 9)], close=True)
    ref = m.add_blockref("TROU", (100, -60), dxfattribs={"rotation": 20, "xscale": 1.5, "yscale": 1.5})
    ref.dxf.column_count = 4
    ref.dxf.row_count = 3
    ref.dxf.column_spacing = 15
    ref.dxf.row_spacing = 12
    doc.saveas("courbes_r2000.dxf")


def piece_r2018():
    """A part as recent programs write it: an outline of arcs and lines in one LWPOLYLINE,
    nested blocks with base points, a block mirrored by its extrusion, 2-D and 3-D
    POLYLINEs, a SPLINE by fit points."""
    doc = ezdxf.new("R2018")
    m = doc.modelspace()
    m.add_lwpolyline([(0, 0, 0), (120, 0, 0), (120, 50, 0.4142), (100, 70, 0), (20, 70, -0.25), (0, 50, 0)],
                     format="xyb", close=True)
    percage = doc.blocks.new("PERCAGE", base_point=(-30, 12))
    percage.add_circle((-30, 12), 4)
    percage.add_arc((-30, 12), 7, 45, 315)
    patte = doc.blocks.new("PATTE", base_point=(200, 100))
    patte.add_lwpolyline([(200, 100, 0), (230, 100, 0), (230, 115, 1), (200, 115, 0)], format="xyb", close=True)
    patte.add_blockref("PERCAGE", (215, 107.5), dxfattribs={"rotation": 45})
    m.add_blockref("PERCAGE", (20, 20))
    m.add_blockref("PERCAGE", (100, 20), dxfattribs={"xscale": 0.8, "yscale": 0.8})
    m.add_blockref("PATTE", (125, 20), dxfattribs={"rotation": -30})
    m.add_blockref("PATTE", (-5, 30), dxfattribs={"extrusion": (0, 0, -1)})
    m.add_polyline2d([(10, 90, 0), (40, 90, -0.5), (60, 110, 0), (90, 110, 0)], format="xyb")
    m.add_polyline3d([(0, -20, 0), (40, -30, 5), (80, -20, 10)])
    m.add_spline([(130, 80), (150, 95), (170, 70), (190, 90), (210, 75), (230, 85)])
    doc.saveas("piece_r2018.dxf")


SVG = """<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="120mm" height="80mm" viewBox="0 0 120 80">
  <rect x="5" y="5" width="60" height="35" rx="6" fill="none" stroke="black" stroke-width="0.5"/>
  <circle cx="90" cy="22" r="12" fill="none" stroke="black" stroke-width="0.5"/>
  <ellipse cx="30" cy="60" rx="20" ry="9" fill="none" stroke="black" stroke-width="0.5"/>
  <path d="M 60 50 C 70 40 85 75 100 55 S 115 70 112 76 L 70 76 Z" fill="none" stroke="black" stroke-width="0.5"/>
  <path d="M 75 45 A 10 6 30 0 1 95 45" fill="none" stroke="black" stroke-width="0.5"/>
</svg>
"""

POSTSCRIPT = """%!PS
newpath 72 72 moveto 216 72 lineto 216 144 lineto 144 180 lineto 72 144 lineto closepath stroke
newpath 300 108 36 0 360 arc closepath stroke
newpath 260 200 moveto 300 260 340 160 380 220 curveto stroke
newpath 100 220 moveto 100 260 lineto 140 240 20 90 270 arcn stroke
showpage
"""


def inkscape():
    with tempfile.TemporaryDirectory() as d:
        svg = os.path.join(d, "dessin.svg")
        with open(svg, "w") as f:
            f.write(SVG)
        # The "Desktop Cutting Plotter" R14 output: LWPOLYLINEs and SPLINEs.
        subprocess.run(["inkscape", "--export-extension=org.ekips.output.dxf_outlines",
                        "--export-filename=" + os.path.abspath("inkscape_r14.dxf"), svg], check=True,
                       capture_output=True)


def pstoedit():
    with tempfile.TemporaryDirectory() as d:
        ps = os.path.join(d, "dessin.ps")
        with open(ps, "w") as f:
            f.write(POSTSCRIPT)
        # Millimetres rather than the default points.
        subprocess.run(["pstoedit", "-f", "dxf:-mm", ps, "pstoedit.dxf"], check=True, capture_output=True)
        subprocess.run(["pstoedit", "-f", "dxf_s:-mm", ps, "pstoedit_s.dxf"], check=True, capture_output=True)


if __name__ == "__main__":
    blocs_r12()
    courbes_r2000()
    piece_r2018()
    inkscape()
    pstoedit()
    for nom in ("blocs_r12.dxf", "courbes_r2000.dxf", "piece_r2018.dxf", "inkscape_r14.dxf", "pstoedit.dxf",
                "pstoedit_s.dxf"):
        mesure(nom)
