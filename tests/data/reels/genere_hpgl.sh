#!/bin/bash
# Remakes the plotter files of this folder with the programs that write them, then their
# .mesure files with hpgl_reference.py. Run by hand, never by the tests.
#
# Debian packages: inkscape (and, for its HPGL output, python3-lxml, python3-cssselect,
# python3-numpy), pstoedit, plotutils (pic2plot), gnuplot-nox, fig2dev.
set -euo pipefail

ici=$(cd "$(dirname "$0")" && pwd)
travail=$(mktemp -d)
trap 'rm -rf "$travail"' EXIT
cd "$travail"

# Inkscape: one long list of pairs per PD command, extension .hpgl. Its HPGL output runs
# with the python3 of the PATH, which must be Debian's.
mkdir -p maison
HOME="$travail/maison" PATH=/usr/bin:/bin inkscape --export-type=hpgl \
    --export-filename="$ici/engrenages_inkscape.hpgl" \
    /usr/share/inkscape/examples/live-path-effects-gears.svg 2>/dev/null

# A bracket: straight sides, an end rounded with Bézier curves, two holes, and a text
# holding ";" that pstoedit writes as an LB label.
cat > bride.ps <<'FIN'
%!PS-Adobe-3.0 EPSF-3.0
%%BoundingBox: 0 0 260 160
0.5 setlinewidth
newpath
20 20 moveto
180 20 lineto
180 20 240 50 240 80 curveto
240 110 180 140 180 140 curveto
20 140 lineto
closepath
stroke
newpath 60 80 15 0 360 arc closepath stroke
newpath 190 80 10 0 360 arc closepath stroke
/Helvetica findfont 12 scalefont setfont
30 120 moveto (A;B) show
showpage
FIN
pstoedit -q -f hpgl bride.ps "$ici/bride_pstoedit.plt"
# Through libplot: PU;PA... then PD;PA x,y,x,y..., polygon mode, SC and IP.
pstoedit -q -f plot-hpgl bride.ps "$ici/bride_libplot.hpgl" 2>/dev/null

# pic2plot: a circle (CI reached pen-up), an arc (AA), lines, a spline, a box (EA).
cat > plaque.pic <<'FIN'
.PS
line from (0,0) to (2,0) to (2,1) to (0,1) to (0,0)
circle rad 0.3 at (1.4,0.5)
arc from (0.2,0) to (0,0.2) cw
line from (0.2,0.8) to (1.8,0.8) dashed
spline from (0,-0.5) to (0.5,-0.2) to (1,-0.5) to (1.5,-0.2)
box wid 0.4 ht 0.3 at (0.5,0.5)
.PE
FIN
pic2plot -T hpgl plaque.pic > "$ici/plaque_pic2plot.hpgl"

# gnuplot: ESC . sequences first, PU;PA then PD;PA, labels, one of them holding ";".
gnuplot <<FIN
set terminal hpgl
set output '$ici/courbe_gnuplot.hpgl'
set samples 60
set xrange [0:6.3]
plot sin(x) title "sin;x" with lines
FIN

# fig2dev: a PCL header (-k), decimal coordinates, an AA with a decimal sweep. Its
# coordinates are inches that SC maps onto the page, a twentieth of a millimetre at the
# default ratio: it is kept as a seed of the plotter fuzzer, not as a drawing to mill.
cat > came.fig <<'FIN'
#FIG 3.2
Landscape
Center
Metric
A4
100.00
Single
-2
1200 2
1 3 0 1 0 7 50 -1 -1 0.000 1 0.0000 3000 3000 600 600 3000 3000 3600 3000
5 1 0 1 0 7 50 -1 -1 0.000 0 1 0 0 3000.000 3000.000 1800 3000 3000 1800 4200 3000
2 1 0 1 0 7 50 -1 -1 0.000 0 0 -1 0 0 4
	 1800 3000 1800 4200 4200 4200 4200 3000
2 2 0 1 0 7 50 -1 -1 0.000 0 0 -1 0 0 5
	 2400 3600 2700 3600 2700 3900 2400 3900 2400 3600
4 0 0 50 -1 0 12 0.0000 4 135 450 2100 4800 Came;1\001
FIN
fig2dev -L ibmgl -k came.fig "$ici/../../../fuzz/corpus/hpgl/came_fig2dev.plt"

cd "$ici"
/usr/bin/python3 hpgl_reference.py engrenages_inkscape.hpgl bride_pstoedit.plt \
    bride_libplot.hpgl plaque_pic2plot.hpgl courbe_gnuplot.hpgl
