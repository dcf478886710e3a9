#!/usr/bin/python3
"""Writes the reference DXF drawings with ezdxf, and beside each one the geometry that
ezdxf itself reports for it: the two ends of every trace the import makes (in the order
the import makes them) and the bounding box of all of them.

Run from this folder: /usr/bin/python3 genere.py
"""
import math

import ezdxf
import ezdxf.bbox

GARDES = {"LINE", "ARC", "CIRCLE", "ELLIPSE", "POLYLINE", "LWPOLYLINE"}


def primitives(entites):
    """The drawn entities in import order, block references expanded in place."""
    for e in entites:
        t = e.dxftype()
        if t in GARDES:
            yield e
        elif t == "INSERT":
            yield from primitives(e.virtual_entities())
        elif t == "DIMENSION":
            bloc = e.get_geometry_block()
            if bloc is not None:
                yield from primitives(bloc)


def extremites(e):
    t = e.dxftype()
    if t == "LINE":
        return e.dxf.start, e.dxf.end
    if t in ("ARC", "ELLIPSE"):
        return e.start_point, e.end_point
    if t == "CIRCLE":
        p = next(iter(e.vertices([0.0])))
        return p, p
    ocs = e.ocs()
    if t == "LWPOLYLINE":
        sommets = list(e.vertices_in_wcs())
    else:
        sommets = [ocs.to_wcs(v.dxf.location) for v in e.vertices]
    if e.is_closed:
        return sommets[0], sommets[0]
    return sommets[0], sommets[-1]


def ecrit_attendu(doc, nom):
    prims = list(primitives(doc.modelspace()))
    with open(nom + ".attendu", "w") as f:
        f.write("# extremites de chaque trace, puis boite englobante (ezdxf %s)\n" % ezdxf.__version__)
        for e in prims:
            a, b = extremites(e)
            f.write("trace %s %.6f %.6f %.6f %.6f\n" % (e.dxftype(), a.x, a.y, b.x, b.y))
        boite = ezdxf.bbox.extents(prims, flatten=0.0001)
        f.write("boite %.6f %.6f %.6f %.6f\n" % (boite.extmin.x, boite.extmin.y, boite.extmax.x, boite.extmax.y))
    doc.saveas(nom + ".dxf")


def formes():
    doc = ezdxf.new("R12")
    m = doc.modelspace()
    m.add_line((0, 0), (40, 0))
    m.add_line((40, 0), (40, 30))
    m.add_arc((20, 30), 20, 0, 180)
    m.add_line((0, 30), (0, 0))
    m.add_circle((70, 15), 10)
    m.add_arc((70, 60), 15, 300, 60)
    m.add_polyline2d([(100, 0), (120, 10), (140, 0), (160, 10)])
    m.add_polyline2d([(100, 30), (130, 30), (130, 60), (100, 60)], close=True)
    m.add_text("LINE", dxfattribs={"layer": "ENTITIES", "insert": (0, -10)})
    ecrit_attendu(doc, "formes_r12")


def blocs():
    doc = ezdxf.new("R12")
    piece = doc.blocks.new("PIECE")
    piece.add_line((0, 0), (10, 0))
    piece.add_arc((10, 5), 5, 270, 90)
    piece.add_line((10, 10), (0, 10))
    piece.add_polyline2d([(2, 2), (6, 2), (4, 6)], close=True)
    double = doc.blocks.new("DOUBLE")
    double.add_blockref("PIECE", (0, 0))
    double.add_blockref("PIECE", (25, 0), dxfattribs={"rotation": 90})
    m = doc.modelspace()
    m.add_blockref("PIECE", (0, 0))
    m.add_blockref("PIECE", (30, 0), dxfattribs={"xscale": 2, "yscale": 2})
    m.add_blockref("PIECE", (70, 0), dxfattribs={"rotation": 30})
    m.add_blockref("PIECE", (100, 0), dxfattribs={"xscale": -1})
    m.add_blockref("PIECE", (130, 0), dxfattribs={"yscale": -1})
    m.add_blockref("PIECE", (160, 0), dxfattribs={"xscale": -1, "yscale": -1})
    m.add_blockref("DOUBLE", (0, 50), dxfattribs={"xscale": 1.5, "yscale": 1.5, "rotation": 45})
    m.add_blockref("DOUBLE", (80, 50), dxfattribs={"xscale": -1, "rotation": 20})
    ecrit_attendu(doc, "blocs_r12")


def cote():
    doc = ezdxf.new("R12", setup=True)
    m = doc.modelspace()
    m.add_line((0, 0), (50, 0))
    dim = m.add_linear_dim(base=(0, 10), p1=(0, 0), p2=(50, 0), dimstyle="EZDXF")
    dim.render()
    ecrit_attendu(doc, "cote_r12")


def ellipses():
    doc = ezdxf.new("R2000")
    m = doc.modelspace()
    m.add_ellipse((0, 0), major_axis=(20, 0), ratio=0.5)
    m.add_ellipse((50, 0), major_axis=(0, -10), ratio=0.6, start_param=0.5, end_param=2.5)
    m.add_ellipse((100, 0), major_axis=(15, 5), ratio=0.3, start_param=5, end_param=1)
    m.add_ellipse((150, 0), major_axis=(-12, 0), ratio=0.5, start_param=0, end_param=math.pi)
    m.add_line((0, 40), (30, 40))
    m.add_arc((50, 40), 8, 45, 135)
    m.add_circle((80, 40), 5)
    m.add_lwpolyline([(100, 40), (120, 40)])
    ecrit_attendu(doc, "ellipses_r2000")


if __name__ == "__main__":
    formes()
    blocs()
    cote()
    ellipses()
