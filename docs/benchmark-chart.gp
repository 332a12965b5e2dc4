# Draws the benchmark chart: gnuplot -e "datafile='...'; outfile='...'" benchmark-chart.gp
# The data file has one line per table row: "label" ours-ms opencv-ms (? when missing).
set terminal pngcairo size 960,540 font "DejaVu Sans,10" noenhanced
set output outfile
set title "Time per effect: Glimmerix against OpenCV (lower is better)"
set datafile missing "?"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.9 border rgb "#333333"
set boxwidth 0.9
set logscale y
set ylabel "milliseconds (logarithmic scale)"
set xtics rotate by 30 right nomirror
set ytics nomirror
set grid ytics
set key top left
set bmargin 10
set lmargin 24
plot datafile using 2:xtic(1) title "Glimmerix" linecolor rgb "#7b4fa8", \
     '' using 3 title "OpenCV" linecolor rgb "#2a8a8c"
