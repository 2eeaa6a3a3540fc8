# SPDX-License-Identifier: GPL-3.0-or-later
# Compile time against formula length for each worst-case shape (log-log).
set terminal pngcairo size 900,560 font "DejaVu Sans,10"
set output outfile
set title "Compile time of worst-case formulas"
set xlabel "formula length (characters)"
set ylabel "compile time (microseconds)"
set logscale xy
set key top left
set grid
plot for [i=0:*] datafile index i using 1:2 with linespoints title columnheader(1)
