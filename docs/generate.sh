#!/usr/bin/env bash
# Regenerates every picture the README shows, and its list of image formats:
#
#   docs/generate.sh
#
# - packaging/icons/glimmerix-<size>.png: the application icon, rendered from its SVG;
# - docs/images/gallery/: the sample photo and what each effect makes of it, computed
#   by the editor's own effects library (docs/tools/gallery.cpp);
# - docs/images/screenshots/: the editor (empty, and with the sample photo open) and
#   the four form programs, each the pixels of the program's own window under Xvfb;
# - docs/images/benchmark.png: our times against OpenCV's, drawn from the table in
#   bench/RESULTS.md (skipped, with a message, while that file does not exist);
# - the README's blocks between "<!-- NAME begin ... -->" and "<!-- NAME end -->"
#   (formats, chart).
#
# Builds in build-docs/ (or BUILD_DIR). Installs what is missing through
# scripts/install-deps (root, or a user who may use sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=${BUILD_DIR:-build-docs}
images=docs/images
gallery=$images/gallery
screenshots=$images/screenshots
chart=$images/benchmark.png
results=${BENCH_RESULTS:-bench/RESULTS.md} # another file only to try the chart out

scripts/install-deps xdotool gnuplot-nox librsvg2-bin optipng fonts-dejavu-core

work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Replaces the lines between the README's markers of block NAME by the file CONTENT.
replace_block() { # replace_block NAME CONTENT
    local name=$1 content=$2
    local begin="<!-- $name begin: written by docs/generate.sh -->"
    local end="<!-- $name end -->"
    if ! grep -qxF -- "$begin" README.md || ! grep -qxF -- "$end" README.md; then
        echo "README.md has no block \"$name\" to fill" >&2
        exit 1
    fi
    awk -v begin="$begin" -v end="$end" -v content="$content" '
        $0 == begin { print; while ((getline line < content) > 0) print line; skip = 1; next }
        $0 == end { skip = 0 }
        !skip { print }
    ' README.md > "$work/README.md"
    cat "$work/README.md" > README.md
}

echo "== the icon"
for size in 16 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" packaging/icons/glimmerix.svg \
        --output "packaging/icons/glimmerix-$size.png"
done

echo "== building the programs and the tools in $build_dir"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DGLIMMERIX_DOCS=ON
cmake --build "$build_dir" --parallel "$(nproc 2>/dev/null || echo 2)" --target \
    glimmerix blankmain bmpshow blankform agebox glimmerix-gallery glimmerix-formats glimmerix-grab
bin=$root/$build_dir

echo "== the gallery"
rm -rf "$gallery"
QT_QPA_PLATFORM=offscreen "$bin/docs/glimmerix-gallery" "$gallery"

echo "== the image formats"
QT_QPA_PLATFORM=offscreen "$bin/docs/glimmerix-formats" > "$work/formats.md"
cat "$work/formats.md"
replace_block formats "$work/formats.md"

echo "== the screenshots, under Xvfb"
rm -rf "$screenshots"
mkdir -p "$screenshots"
# The same look on every machine: Qt's own style and theme, its default fonts, English.
export QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME=generic QT_STYLE_OVERRIDE=Fusion LANG=C.UTF-8
unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    cat "$work/xvfb.log" >&2
    echo "Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"

# Waits for a visible window of process PID titled TITLE and prints its id.
window_of() { # window_of PID TITLE
    local _ id
    for _ in $(seq 300); do
        for id in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
            if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$2" ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    echo "no window \"$2\" of process $1 appeared" >&2
    return 1
}

# Saves the window's pixels once two grabs a moment apart agree (it has finished painting).
grab() { # grab WINDOW FILE
    local try
    for try in $(seq 20); do
        "$bin/docs/glimmerix-grab" "$1" "$work/a.png" >/dev/null
        sleep 0.3
        "$bin/docs/glimmerix-grab" "$1" "$work/b.png" >/dev/null
        if cmp -s "$work/a.png" "$work/b.png"; then
            mv "$work/b.png" "$2"
            echo "$2"
            return 0
        fi
    done
    echo "window $1 kept changing; no screenshot $2" >&2
    return 1
}

# Waits up to 10 s for process PID (one of ours) to end by itself, then ends it.
finish() { # finish PID
    local _ pid keep=()
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill "$1" 2>/dev/null || true
    wait "$1" || true
    for pid in "${pids[@]}"; do
        [ "$pid" = "$1" ] || keep+=("$pid")
    done
    pids=("${keep[@]}")
}

# The editor, as it starts.
"$bin/glimmerix/glimmerix" >"$work/glimmerix.log" 2>&1 &
editor=$!
pids+=("$editor")
main=$(window_of "$editor" Glimmerix)
grab "$main" "$screenshots/glimmerix.png"

# The editor with the sample photo, opened through File > Open... as a user does.
xdotool windowfocus --sync "$main"
xdotool key ctrl+o
dialog=$(window_of "$editor" Open)
xdotool windowfocus --sync "$dialog"
xdotool type --delay 15 "$root/$gallery/sample.png"
xdotool key Return
for _ in $(seq 100); do # the window grows to hold the picture
    height=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
    [ "${height:-0}" -gt 300 ] && break
    sleep 0.1
done
sleep 2.5 # until the status message "Image was Opened" has gone
grab "$main" "$screenshots/glimmerix-photo.png"

# An effect from the Effects menu (Alt+E opens Edit, Right moves on to Effects,
# G picks Gray World), then the Edit menu, opened by a click on its title, over
# the window, with the step it can take back.
xdotool windowfocus --sync "$main"
xdotool key alt+e Right g
sleep 0.5
xdotool mousemove --window "$main" 56 8 click 1 # the Edit menu's title
sleep 1
geometry=$(xdotool getwindowgeometry "$main")
position=$(echo "$geometry" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
size=$(echo "$geometry" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
# shellcheck disable=SC2086 # the numbers are meant to split
"$bin/docs/glimmerix-grab" $position $size "$screenshots/glimmerix-edit-menu.png"
xdotool key Escape
sleep 0.3
xdotool key ctrl+z # back to the photo as opened: Exit asks nothing
sleep 0.3

# Exit through the menu command: it says goodbye in a box, then the editor ends.
xdotool windowfocus --sync "$main"
xdotool key ctrl+q
farewell=$(window_of "$editor" Exit)
xdotool windowfocus --sync "$farewell"
xdotool key Return
finish "$editor"

# The form programs; each runs until its window is closed.
shoot_form() { # shoot_form NAME TITLE FOLDER
    local name=$1 title=$2 folder=$3 pid win
    (cd "$folder" && exec "$bin/$name/$name") >"$work/$name.log" 2>&1 &
    pid=$!
    pids+=("$pid")
    win=$(window_of "$pid" "$title")
    grab "$win" "$screenshots/$name.png"
    kill "$pid"
    finish "$pid"
}
shoot_form blankmain MainWindow .
shoot_form blankform Widget .
shoot_form agebox "Enter Your Age" .
shoot_form bmpshow bmpshow bmpshow # bmpshow shows qwe.bmp from the folder it starts in

echo "== the benchmark chart"
if [ -f "$results" ] && awk -f docs/benchmark-table.awk "$results" > "$work/bench.dat"; then
    gnuplot -e "datafile='$work/bench.dat'; outfile='$chart'" docs/benchmark-chart.gp
    echo "$chart from $results"
    cat > "$work/chart.md" <<EOF
![Time per effect, Glimmerix against OpenCV](docs/images/benchmark.png)

Drawn from the table in [$results]($results), which says how the times were taken.
EOF
else
    rm -f "$chart"
    if [ -f "$results" ]; then
        echo "chart skipped: $results has no table with the columns effect, ours ms and OpenCV ms"
    else
        echo "chart skipped: $results does not exist yet"
    fi
    cat > "$work/chart.md" <<EOF
No benchmark figures yet: the chart appears here once \`bench/RESULTS.md\` exists and
\`docs/generate.sh\` has been run again.
EOF
fi
replace_block chart "$work/chart.md"

echo "== making the pictures small"
optipng -quiet -o2 -strip all packaging/icons/glimmerix-*.png "$gallery"/*.png "$screenshots"/*.png \
    $( [ -f "$chart" ] && echo "$chart" )
du -ch packaging/icons/*.png "$images" | tail -n 1
