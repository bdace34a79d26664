#!/usr/bin/env bash
# Ombrel's GPU benchmark, run from the folder scripts/gpu-bundle makes, on a Linux machine that has
# a GPU driver's EGL (or Mesa's) and nothing else of the build; no display server is needed. It
# generates the data, then times the presentation with ombrel-capture --bench at each size over a
# particle-heavy span of every segment that draws particles and of one that draws none, the
# particle step alone, a cold start and the peak memory; prints a table and writes JSON.
set -euo pipefail

usage() {
  cat <<'EOT'
Usage: gpu-bench.sh [--quick] [--sizes WxH[,WxH...]] [--fps N] [--seconds S]
                    [--only SEGMENT[,SEGMENT...]] [--memory-gbps N] [--json FILE] [--work DIR]

Times ombrel-capture --bench (GPU time of the scene, particle and post passes, whole frame, mean
and 99th percentile) over a span of Scene01, Logo, Rings, Tunnel and Grinder (with particles) and
Sphere (without), at each size; then each span again without the particles' draw, which leaves
their update alone in the particle pass. Also the start-up: process start to its first frame
written, and the peak memory (the process's, and the GPU's where nvidia-smi answers).

  --quick          a short check: 640x360, 5 frames a second, 0.4 s spans
  --sizes LIST     picture sizes (default 1920x1080,2560x1440)
  --fps N          frame clock (default 60; earlier frames of the clock are stepped, not timed)
  --seconds S      length of each timed span (default 2)
  --only LIST      only these segments (names as above)
  --memory-gbps N  the card's memory bandwidth in GB/s, to compare the update with (known for
                   H100 and H200)
  --json FILE      where the figures go (default gpu-bench.json in the current folder)
  --work DIR       folder for the data and the logs (default work/ beside this script)

Exit status: 0 when every run gave its figures, 1 otherwise (the log named says why).
EOT
}

here=$(cd "$(dirname "$0")" && pwd)
sizes=1920x1080,2560x1440 fps=60 seconds=2 only="" memory_gbps="" json=gpu-bench.json
work=$here/work
while [ $# -gt 0 ]; do
  case "$1" in
    -h|--help) usage; exit 0 ;;
    --quick) sizes=640x360 fps=5 seconds=0.4; shift ;;
    --sizes|--fps|--seconds|--only|--memory-gbps|--json|--work)
      [ $# -ge 2 ] || { echo "gpu-bench.sh: $1 needs a value (see --help)" >&2; exit 2; }
      declare "$(echo "${1#--}" | tr - _)=$2"; shift 2 ;;
    *) echo "gpu-bench.sh: unknown option '$1' (see --help)" >&2; exit 2 ;;
  esac
done

# Segment, start of its span (s), whether it draws particles.
spans=("Scene01 27 yes" "Logo 56 yes" "Rings 72 yes" "Tunnel 89 yes" "Grinder 116 yes"
       "Sphere 44 no")
# One record per particle: position, velocity, lifetime (7 floats), read and written once a step.
particles=2450000 particle_bytes=28

# The machine's own libraries win, since its GPU driver may load the same ones in its own
# versions; the bundle's fill in what it lacks.
mkdir -p "$work/lib" "$work/logs"
rm -f "$work/lib"/*
known=$(PATH=$PATH:/sbin:/usr/sbin ldconfig -p 2>/dev/null | awk '{ print $1 }')
for lib in "$here"/lib/*; do
  grep -qxF "$(basename "$lib")" <<<"$known" || ln -s "$lib" "$work/lib/"
done
export LD_LIBRARY_PATH=$work/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
# NVIDIA's container images keep the EGL vendor file outside glvnd's search path.
nvidia_vendor=/usr/local/nvidia/share/glvnd/egl_vendor.d/10_nvidia.json
if [ -z "${__EGL_VENDOR_LIBRARY_FILENAMES:-}" ] && [ -f "$nvidia_vendor" ] &&
   ! ls /usr/share/glvnd/egl_vendor.d/*nvidia* >/dev/null 2>&1; then
  export __EGL_VENDOR_LIBRARY_FILENAMES=$nvidia_vendor
fi
capture=$here/bin/ombrel-capture
json=$(cd "$(dirname "$json")" && pwd)/$(basename "$json")
cd "$work"

say() { echo "gpu-bench: $*" >&2; }
failed=0
peak_kib=0 peak_gpu_mib=""

# Runs ombrel-capture with $2... into log $1, recording the peak memory; false when it failed.
run_capture() {
  local log=$1; shift
  "$capture" "$@" >"$log" 2>&1 &
  local pid=$! tick=0 kib
  while kill -0 "$pid" 2>/dev/null; do
    kib=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$kib" ] && [ "$kib" -gt "$peak_kib" ] && peak_kib=$kib
    if [ $((tick++ % 5)) -eq 0 ] && command -v nvidia-smi >/dev/null; then
      local mib
      mib=$(nvidia-smi --query-gpu=memory.used --format=csv,noheader,nounits 2>/dev/null |
              head -n 1 | tr -dc 0-9)
      [ -n "$mib" ] && [ "$mib" -gt "${peak_gpu_mib:-0}" ] && peak_gpu_mib=$mib
    fi
    sleep 0.1
  done
  wait "$pid"
}

# Text for a JSON string.
quoted() { local t=${1//\\/\\\\}; printf '%s' "${t//\"/\\\"}"; }
num() { if [ "$1" = - ]; then echo null; else echo "$1"; fi; }

# "mean p99" of a pass in a --bench log ("-" where it has none).
figures() {
  awk -v pass="$2" '
    pass == "frame" && /^whole frame \(wall\)/ { print $4, $5; found = 1; exit }
    pass != "frame" && $1 == pass && NF == 7 { print $2, $3; found = 1; exit }
    END { if (!found) print "- -" }' "$1"
}

if [ ! -f data/.complete ]; then
  say "generating the data"
  started=$(date +%s)
  rm -rf data
  "$here/bin/ombrel-assets" --out data --font-dir "$here/fonts" >logs/assets.log 2>&1 ||
    { say "ombrel-assets failed; see $work/logs/assets.log"; tail -n 5 logs/assets.log >&2; exit 1; }
  touch data/.complete
  say "data generated in $(($(date +%s) - started)) s"
fi

# Start-up: the data loaded, the programs built, the particles seeded, one frame drawn and saved.
first_size=${sizes%%,*}
started=$(date +%s%N)
if ! run_capture logs/cold-start.log --png-dir cold-start --at 0 --size "$first_size"; then
  say "ombrel-capture could not draw; see $work/logs/cold-start.log"
  grep '^ombrel-capture:' logs/cold-start.log >&2 || tail -n 5 logs/cold-start.log >&2
  exit 1
fi
cold_ms=$((($(date +%s%N) - started) / 1000000))
renderer=$(sed -n 's/^ombrel-capture: drawing with //p' logs/cold-start.log | head -n 1)
driver=$(nvidia-smi --query-gpu=driver_version --format=csv,noheader 2>/dev/null | head -n 1 ||
         true)
[ -n "$driver" ] || driver=$(echo "$renderer" | sed -n 's/.*, OpenGL //p')
# NVIDIA's GL calls every card ".../PCIe/SSE2"; the PCIe H100 is "H100 PCIe".
if [ -z "$memory_gbps" ]; then
  case "$renderer" in
    *H200*) memory_gbps=4800 ;;
    *"H100 PCIe"*) memory_gbps=2000 ;;
    *H100*) memory_gbps=3350 ;;
  esac
fi
say "drawing with $renderer"

rows=()
records=()
best_update="" # the fastest update of all spans
for size in ${sizes//,/ }; do
  for span in "${spans[@]}"; do
    set -- $span
    segment=$1 from=$2 drawn=$3
    [ -z "$only" ] || [[ ",$only," == *",$segment,"* ]] || continue
    to=$(awk -v a="$from" -v b="$seconds" 'BEGIN { print a + b }')
    common=(--bench --from "$from" --to "$to" --fps "$fps" --size "$size")
    say "$size $segment $from-$to s"
    log=logs/$size-$segment.log
    run_capture "$log" "${common[@]}" || { say "failed: see $work/$log"; failed=1; continue; }
    read -r scene scene99 < <(figures "$log" scene)
    read -r part part99 < <(figures "$log" particles)
    read -r post post99 < <(figures "$log" post)
    read -r frame frame99 < <(figures "$log" frame)
    update=- update99=- draw=- step=-
    if [ "$drawn" = yes ]; then
      run_capture "logs/$size-$segment-update.log" "${common[@]}" --no-particles ||
        { say "failed: see $work/logs/$size-$segment-update.log"; failed=1; continue; }
      read -r update update99 < <(figures "logs/$size-$segment-update.log" particles)
      # Wall time of the frames stepped on the way to the span: the update and the CPU's share.
      step=$(sed -n 's/^stepped through .* (\([0-9.]*\) ms each)$/\1/p' \
               "logs/$size-$segment-update.log")
      step=${step:--}
      draw=$(awk -v a="$part" -v b="$update" 'BEGIN { printf "%.3f", a - b }')
      best_update=$(awk -v a="$update" -v b="${best_update:-$update}" \
                      'BEGIN { print (a == "-" || a + 0 > b + 0) ? b : a }')
    fi
    rate=$(awk -v ms="$frame" 'BEGIN { if (ms > 0) printf "%.1f", 1000 / ms; else print "-" }')
    rows+=("$(printf '%-10s %-8s %-9s %8s %8s %8s %8s %8s %8s %8s %8s %7s %8s %8s %8s' "$size" \
      "$segment" "$from-$to" "$scene" "$scene99" "$part" "$part99" "$post" "$post99" "$frame" \
      "$frame99" "$rate" "$update" "$draw" "$step")")
    record="{\"size\": \"$size\", \"segment\": \"$segment\", \"from\": $from, \"to\": $to"
    for pass in scene:$scene:$scene99 particles:$part:$part99 post:$post:$post99 \
                frame:$frame:$frame99 update:$update:$update99; do
      IFS=: read -r name mean p99 <<<"$pass"
      record+=", \"${name}_ms\": [$(num "$mean"), $(num "$p99")]"
    done
    record+=", \"fps\": $(num "$rate"), \"draw_ms\": $(num "$draw")"
    records+=("$record, \"stepped_frame_wall_ms\": $(num "$step")}")
  done
done

# The update's traffic: every record read and written once a step.
step_bytes=$((particles * particle_bytes * 2))
achieved_gbps=$(awk -v b="$step_bytes" -v ms="${best_update:-0}" \
                  'BEGIN { if (ms > 0) printf "%.1f", b / (ms * 1e-3) / 1e9; else print "null" }')

echo
echo "Ombrel GPU benchmark, $(date -u +%Y-%m-%d), $renderer"
echo "driver: ${driver:-?}; frame clock $fps fps, spans of $seconds s; ms, GPU time of each pass"
echo "(mean and 99th percentile), the frame's wall time and the frames a second it makes; update"
echo "and draw: the particle pass's two halves (mean); step: wall time of a frame stepped on the"
echo "way to the span, the update and the frame's CPU work"
printf '%-10s %-8s %-9s %8s %8s %8s %8s %8s %8s %8s %8s %7s %8s %8s %8s\n' size segment span \
  scene p99 particles p99 post p99 frame p99 fps update draw step
printf '%s\n' "${rows[@]}"
echo "particle update: $particles records of $particle_bytes bytes read and written," \
     "$((step_bytes / 1000000)) MB a step; fastest $best_update ms = $achieved_gbps GB/s" \
     "${memory_gbps:+(the card moves $memory_gbps GB/s)}"
case "$renderer" in
  llvmpipe*) echo "(llvmpipe's timer queries do not see compute work: there the step column is" \
                  "the update's cost)" ;;
esac
echo "cold start to first frame written (${first_size}): $cold_ms ms;" \
     "peak memory $((peak_kib / 1024)) MiB${peak_gpu_mib:+, GPU $peak_gpu_mib MiB in use}"

{
  printf '{\n  "fps": %s,\n  "span_seconds": %s,\n' "$fps" "$seconds"
  printf '  "date": "%s",\n  "renderer": "%s",\n  "driver": "%s",\n' \
    "$(date -u +%Y-%m-%dT%H:%M:%SZ)" "$(quoted "$renderer")" "$(quoted "$driver")"
  printf '  "particles": %s,\n  "update_bytes_per_step": %s,\n' "$particles" "$step_bytes"
  printf '  "update_gbps": %s,\n  "memory_gbps": %s,\n' "$achieved_gbps" "${memory_gbps:-null}"
  printf '  "cold_start_ms": %s,\n  "peak_memory_mib": %s,\n  "peak_gpu_memory_mib": %s,\n' \
    "$cold_ms" "$((peak_kib / 1024))" "${peak_gpu_mib:-null}"
  printf '  "runs": [\n'
  for i in "${!records[@]}"; do
    printf '    %s%s\n' "${records[$i]}" "$([ "$i" -lt $((${#records[@]} - 1)) ] && echo ,)"
  done
  printf '  ]\n}\n'
} >"$json"
say "figures written to $json"
exit $failed
