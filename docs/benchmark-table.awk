# Reads the benchmark table from bench/RESULTS.md and prints one line per row for
# gnuplot: "label" ours-ms opencv-ms (a missing or non-numeric time prints as ?).
#
# The table is the first Markdown table whose header has the columns "effect",
# "ours ms" and "OpenCV ms", or "ours 2 threads ms" and "OpenCV 2 threads ms" (any
# order, any case); the columns "size" and "threads",
# when present, are added to each row's label. Other columns are ignored. Exits with
# status 1 when no such table with at least one row is found.

function trim(s) {
    gsub(/^[ \t]+|[ \t]+$/, "", s)
    return s
}

function number(s) {
    gsub(/,/, "", s)
    if (match(s, /[0-9]+(\.[0-9]+)?([eE][-+]?[0-9]+)?/))
        return substr(s, RSTART, RLENGTH)
    return "?"
}

BEGIN { state = 0; rows = 0 }

# The table ends at the first line that is not a table row.
state == 2 && !/^[ \t]*\|/ { exit }

/^[ \t]*\|/ {
    line = $0
    sub(/^[ \t]*\|/, "", line)
    sub(/\|[ \t]*$/, "", line)
    n = split(line, cell, "|")
    for (i = 1; i <= n; i++)
        cell[i] = trim(cell[i])

    if (state == 0) {
        effect = ours = opencv = size = threads = 0
        for (i = 1; i <= n; i++) {
            h = tolower(cell[i])
            gsub(/[*`_]/, "", h)
            h = trim(h)
            if (h == "effect") effect = i
            else if (h == "ours ms" || h == "ours 2 threads ms") ours = i
            else if (h == "opencv ms" || h == "opencv 2 threads ms") opencv = i
            else if (h == "size") size = i
            else if (h == "threads") threads = i
        }
        if (effect && ours && opencv)
            state = 1
        next
    }
    if (state == 1) { # the row of dashes under the header
        state = 2
        next
    }

    label = cell[effect]
    extra = ""
    if (size && cell[size] != "")
        extra = cell[size]
    if (threads && cell[threads] != "")
        extra = extra (extra != "" ? ", " : "") cell[threads] (cell[threads] == "1" ? " thread" : " threads")
    if (extra != "")
        label = label " (" extra ")"
    gsub(/["`*]/, "", label)
    printf "\"%s\" %s %s\n", label, number(cell[ours]), number(cell[opencv])
    rows++
}

END {
    if (rows == 0)
        exit 1
}
