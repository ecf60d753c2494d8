#!/usr/bin/env bash
# Renders the generated benchmark scenes at 640 × 480 with "-recurse 2" in Orvane (one thread)
# and in POV-Ray (one worker thread, no anti-aliasing), and prints, writes and plots the table.
#
#   bench/compare.sh [--max-n N] [--orvane-max-n N] [--runs R] [--kinds "spheres mixed"]
#                    [--out DIR] [--plot FILE] [--no-build] [--help]
#
# --max-n     largest object count rendered (100000); the counts are 1, 10, 100, ... up to it
# --orvane-max-n  largest count Orvane renders (--max-n); above it only POV-Ray runs, shown as -
# --runs      renders per scene and program, the median is reported (3)
# --kinds     which fields to render (both)
# --out       folder of the data file benchmarks.dat (bench/results)
# --plot      the log-log plot of seconds against N, PNG (bench/results/benchmarks.png)
# --no-build  use the programs already in build/release instead of building them first
# --help      print this text and stop
# ORVANE_BIN  the Orvane executable to measure (build/release/Orvane)
#
# Times are CPU seconds (user + sys) of the whole process; POV-Ray also sleeps a while at start,
# so its wall time is shown but not compared. Rays are primary + shadow + reflected, counted by
# orvane_ray_count; rays per second are per Orvane CPU second. When Embree was found at build time,
# orvane_embree_compare also renders each scene and its index build + frame seconds are shown.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
max_n=100000
orvane_max_n=""
runs=3
kinds="spheres mixed"
out_dir=$repo/bench/results
plot=""
build=1
width=640
height=480
depth=2

while [ $# -gt 0 ]; do
    case $1 in
        --max-n) max_n=$2; shift 2 ;;
        --orvane-max-n) orvane_max_n=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --kinds) kinds=$2; shift 2 ;;
        --out) out_dir=$2; shift 2 ;;
        --plot) plot=$2; shift 2 ;;
        --no-build) build=0; shift ;;
        -h|--help) sed -n '2,/^set /s/^# \{0,1\}//p' "$0"; exit 0 ;;
        *) echo "unknown option: $1 (bench/compare.sh --help lists them)" >&2; exit 2 ;;
    esac
done
plot=${plot:-$out_dir/benchmarks.png}
orvane_max_n=${orvane_max_n:-$max_n}

missing=()
command -v povray >/dev/null || missing+=(povray)
command -v gnuplot >/dev/null || missing+=(gnuplot-nox)
[ -x /usr/bin/time ] || missing+=(time)
command -v taskset >/dev/null || missing+=(util-linux)
if [ ${#missing[@]} -gt 0 ]; then
    echo "missing tools; install them with: apt-get install ${missing[*]}" >&2
    exit 1
fi

build_dir=$repo/build/release
if [ $build = 1 ]; then
    echo "building into $build_dir" >&2
    (cd "$repo" && cmake --preset release -DORVANE_BUILD_BENCHMARKS=ON >/dev/null)
    cmake --build "$build_dir" --target Orvane benchmarks >/dev/null
fi
orvane=${ORVANE_BIN:-$build_dir/Orvane}
generator=$build_dir/bench/orvane_scene_generator
ray_count=$build_dir/bench/orvane_ray_count
embree=$build_dir/bench/orvane_embree_compare
for program in "$orvane" "$generator" "$ray_count"; do
    if [ ! -x "$program" ]; then
        echo "$program is missing: cmake --preset release -DORVANE_BUILD_BENCHMARKS=ON &&" \
             "cmake --build build/release --target benchmarks" >&2
        exit 1
    fi
done
orvane=$(cd "$(dirname "$orvane")" && pwd)/$(basename "$orvane")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs the command in $work, pinned to one core; appends "cpu wall peakKB" to the file $1.
measure() {
    local times=$1
    shift
    local TIMEFORMAT='%3U %3S %3R'
    local spent
    spent=$( { time (cd "$work" && taskset -c 0 /usr/bin/time -f %M -o "$work/peak" "$@" \
        >/dev/null 2>"$work/stderr") ; } 2>&1 ) || {
        echo "failed: $* (see below)" >&2
        cat "$work/stderr" >&2
        exit 1
    }
    read -r user sys wall <<<"$spent"
    local cpu
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
    echo "$cpu $wall $(cat "$work/peak")" >>"$times"
}

# Appends Embree's "build + frame" seconds for the scene to the file $1.
measure_embree() {
    (cd "$work" && taskset -c 0 "$embree" scene.ray $width $height -recurse $depth) |
        awk '{ printf "%.3f\n", $2 + $4 }' >>"$1"
}

# The median of column $2 of the file $1.
median() {
    sort -g -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'
}

mkdir -p "$out_dir" "$(dirname "$plot")"
data=$out_dir/benchmarks.dat
{
    echo "# $width x $height, -recurse $depth, one thread, median of $runs; times in CPU seconds"
    echo "# kind N orvane_s orvane_wall_s rays Mrays_per_s orvane_peak_MB pov_s pov_wall_s ratio" \
        "embree_s orvane_per_embree"
} >"$data"

format='%-8s %7s %9s %9s %10s %8s %8s %8s %9s %7s %9s %9s\n'
printf "$format" kind N orvane_s wall_s rays Mrays/s peak_MB pov_s pov_wall ratio embree_s \
    /embree
for kind in $kinds; do
    for n in 1 10 100 1000 10000 100000; do
        [ "$n" -le "$max_n" ] || continue
        "$generator" "$kind" "$n" >"$work/scene.ray"
        "$generator" --pov --recurse $depth "$kind" "$n" >"$work/scene.pov"
        with_orvane=$([ "$n" -le "$orvane_max_n" ] && echo 1 || echo 0)
        rays=-
        if [ $with_orvane = 1 ]; then
            rays=$("$ray_count" "$work/scene.ray" $width $height -recurse $depth |
                awk '{ print $8 }')
        fi

        rm -f "$work/orvane.times" "$work/pov.times" "$work/embree.times"
        for ((run = 0; run < runs; ++run)); do
            echo "$kind N=$n run $((run + 1))/$runs" >&2
            if [ $with_orvane = 1 ]; then
                measure "$work/orvane.times" env ORVANE_THREADS=1 \
                    "$orvane" scene.ray $width $height orvane.tga -recurse $depth
            else
                echo "- - -" >>"$work/orvane.times"
            fi
            measure "$work/pov.times" povray +Iscene.pov +Opov.tga +W$width +H$height -A +WT1 \
                +FT -D -V -GA File_Gamma=1.0
            if [ -x "$embree" ]; then
                measure_embree "$work/embree.times"
            else
                echo - >>"$work/embree.times"
            fi
        done

        orvane_s=$(median "$work/orvane.times" 1)
        orvane_wall=$(median "$work/orvane.times" 2)
        pov_s=$(median "$work/pov.times" 1)
        pov_wall=$(median "$work/pov.times" 2)
        embree_s=$(median "$work/embree.times" 1)
        peak_mb=- mrays=- ratio=- per_embree=-
        if [ $with_orvane = 1 ]; then
            peak_mb=$(awk -v k="$(median "$work/orvane.times" 3)" \
                'BEGIN { printf "%.1f", k / 1024 }')
            mrays=$(awk -v r="$rays" -v s="$orvane_s" \
                'BEGIN { printf "%.2f", (s > 0 ? r / s / 1e6 : 0) }')
            ratio=$(awk -v o="$orvane_s" -v p="$pov_s" \
                'BEGIN { printf "%.3f", (p > 0 ? o / p : 0) }')
            if [ "$embree_s" != - ]; then
                per_embree=$(awk -v o="$orvane_s" -v e="$embree_s" \
                    'BEGIN { printf "%.2f", (e > 0 ? o / e : 0) }')
            fi
        fi
        row=("$kind" "$n" "$orvane_s" "$orvane_wall" "$rays" "$mrays" "$peak_mb" "$pov_s" \
            "$pov_wall" "$ratio" "$embree_s" "$per_embree")
        printf "$format" "${row[@]}"
        echo "${row[*]}" >>"$data"
    done
done

gnuplot <<EOF
set terminal pngcairo size 800,520 font ",11"
set output "$plot"
set title "640 × 480, -recurse $depth, one thread (median of $runs)"
set logscale xy
set xlabel "objects N"
set ylabel "seconds: CPU (user + sys); Embree: index + frame"
set key top left
set grid
set datafile missing "-"
set xrange [0.7:150000]
pick(kind, column) = strcol(1) eq kind ? column : 1/0
plot "$data" using 2:(pick("spheres", \$3)) with linespoints lw 2 pt 7 title "Orvane, spheres", \
     "$data" using 2:(pick("mixed", \$3)) with linespoints lw 2 pt 5 title "Orvane, mixed", \
     "$data" using 2:(pick("spheres", \$8)) with linespoints lw 2 dt 2 pt 6 \
         title "POV-Ray, spheres", \
     "$data" using 2:(pick("mixed", \$8)) with linespoints lw 2 dt 2 pt 4 title "POV-Ray, mixed", \
     "$data" using 2:(pick("spheres", \$11)) with linespoints lw 1 dt 3 pt 8 lc "dark-red" \
         title "Embree frame, spheres", \
     "$data" using 2:(pick("mixed", \$11)) with linespoints lw 1 dt 3 pt 10 lc "black" \
         title "Embree frame, mixed"
EOF
echo "table: $data, plot: $plot" >&2
