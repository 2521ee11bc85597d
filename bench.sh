#!/usr/bin/env bash
# Builds the benchmarks in a Release tree of their own (preset bench, and
# preset bench-polling for the event loop that polls), runs them all and
# prints one table: each figure beside its reference, measured in the same
# run, with the ratio, the target and whether it is met. Times are processor
# time of the measuring thread, medians over repetitions, with their spread,
# so that other work on the machine disturbs them as little as it can; the
# instruction counts at the end (callgrind) repeat exactly from run to run.
#
#   ./bench.sh            everything (about nine minutes)
#   ./bench.sh --no-desktop   without the desktop program under Xvfb
#   ./bench.sh --no-wine      without the Windows program's start-up under Wine
#   ./bench.sh --no-web       without the browser build in Chromium
#   ./bench.sh --web-only     only the browser build's figures (about four minutes)
#
# The browser's figures come from the browser build (emscripten, preset web
# with VELKO_BENCH on: the designer's page and the redraw timing page) opened
# in Debian's headless Chromium (bench/web/browser_bench.mjs), beside the same
# timing program built natively.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $CHECK_PACKAGES $DESKTOP_TEST_PACKAGES $BENCH_PACKAGES

desktop=1
wine=1
web=1
others=1
for option in "$@"; do
  case "$option" in
    --no-desktop) desktop=0 ;;
    --no-wine) wine=0 ;;
    --no-web) web=0 ;;
    --web-only) web=1 others=0 desktop=0 wine=0 ;;
    *) echo "usage: $0 [--no-desktop] [--no-wine] [--no-web | --web-only]" >&2; exit 2 ;;
  esac
done
if [ "$web" = 1 ]; then
  # shellcheck disable=SC2086
  ensure_packages $WEB_BUILD_PACKAGES $BROWSER_TEST_PACKAGES
  command -v npm >/dev/null 2>&1 || ensure_packages nodejs npm
  # The browser tests' node project (puppeteer-core), as its lock file says.
  [ -d tests/browser/node_modules/puppeteer-core ] ||
    npm ci --prefix tests/browser --no-audit --no-fund
fi
if [ "$wine" = 1 ]; then
  # shellcheck disable=SC2086
  ensure_packages $WINDOWS_CROSS_PACKAGES $WINE_TEST_PACKAGES
fi

echo "== Release build of the benchmarks"
cmake --preset bench >/dev/null
if [ "$others" = 1 ]; then
  cmake --build --preset bench
  cmake --preset bench-polling >/dev/null
  cmake --build --preset bench-polling
else
  cmake --build --preset bench --target velko_redraw_timing
fi
if [ "$web" = 1 ]; then
  echo "== Browser build of the designer and the redraw timing page"
  scripts/web-freetype.sh
  NODE_PATH=/usr/share/nodejs emcmake cmake --preset web -DVELKO_BENCH=ON >/dev/null
  cmake --build --preset web
fi

bin=build/bench/bin
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
: >"$out/gbench.csv"
: >"$out/playback.txt"
: >"$out/class.txt"
: >"$out/class300.txt"
: >"$out/instructions.txt"
: >"$out/desktop.txt"
: >"$out/wine.txt"
: >"$out/web.txt"

if [ "$others" = 1 ]; then
  echo "== Drawing and text"
  "$bin/velko_bench" --benchmark_repetitions=15 --benchmark_min_time=0.2 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv >"$out/gbench.csv" 2>/dev/null
  echo "== Playback"
  for _ in 1 2 3 4 5; do "$bin/velko_playback_bench" >>"$out/playback.txt"; done
  echo "== Class check: 30 designers on 1,000 events each, and the reference"
  bench/class_bench.sh "$bin" 3 >"$out/class.txt"
  echo "== Class check: 300 small programs on two 500-event scripts, the report, four slices merged"
  bench/class300_bench.sh "$bin" >"$out/class300.txt"
fi
if [ "$desktop" = 1 ]; then
  echo "== Desktop program under Xvfb (start-up, clicks, idle, memory)"
  "$bin/velko_desktop_bench" "$bin/velko-cone" build/bench-polling/bin/velko-cone >"$out/desktop.txt"
fi
if [ "$wine" = 1 ]; then
  echo "== The Windows program's start-up under Wine, and a minimal GDI program beside it"
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target velko-cone
  x86_64-w64-mingw32-g++-posix -O2 -static bench/wine_show_hide.cpp -lgdi32 \
    -o build/bench/wine_show_hide.exe
  bench/wine_startup.sh build/windows/bin/velko-cone.exe build/bench/wine_show_hide.exe >"$out/wine.txt"
fi
if [ "$others" = 1 ] && command -v valgrind >/dev/null 2>&1; then
  echo "== Instruction counts (callgrind)"
  for what in redraw label status log copy; do
    count=20
    ir=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect='profiled_work*' \
      "$bin/velko_bench_profile" "$what" "$count" 2>&1 | sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
    echo "$what $((ir / count))" >>"$out/instructions.txt"
  done
fi
if [ "$web" = 1 ]; then
  echo "== The browser build in Chromium: redraw beside the native build, load, bytes, idle"
  node bench/web/browser_bench.mjs build/web/bin "$bin/velko_redraw_timing" >"$out/web.txt"
fi

model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
echo
echo "Machine: ${model:-unknown}, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg), $(date -u +%Y-%m-%d)"
echo
awk -v desktop="$desktop" -v others="$others" -v cores="$(nproc)" '
  # Google Benchmark CSV: name,iterations,real_time,cpu_time,time_unit,...
  FILENAME ~ /gbench/ && NR > 0 {
    n = split($0, f, ",")
    name = f[1]; gsub(/"/, "", name)
    if (name ~ /_median$/) { sub(/_median$/, "", name); us[name] = f[4] / 1000 }
    if (name ~ /_mean$/) { sub(/_mean$/, "", name); mean[name] = f[4] }
    if (name ~ /_stddev$/) { sub(/_stddev$/, "", name); sd[name] = f[4] }
  }
  FILENAME ~ /playback/ {
    if ($1 == "playback_events_per_s") { eps[++runs] = $2 }
    if ($1 == "playback_redraw_us") { red[runs] = $2 }
    if ($1 == "playback_copy_us") { cop[runs] = $2 }
  }
  FILENAME ~ /desktop/ { d[$1] = $2 }
  FILENAME ~ /class300/ { c3[$1] = $2; next }
  FILENAME ~ /class/ {
    if ($1 == "class_wall_s") { cwall[++cruns] = $2 }
    if ($1 == "class_checker_cpu_s") { cchk[cruns] = $2 }
    if ($1 == "class_programs_cpu_s") { cprog[cruns] = $2 }
    if ($1 == "class_unsandboxed_wall_s") { coff[cruns] = $2 }
  }
  FILENAME ~ /instructions/ { ir[$1] = $2 }
  FILENAME ~ /wine/ { w[$1] = $2 }
  FILENAME ~ /\/web\.txt$/ { wb[$1] = $2 }
  function median(a, n,    i, j, t, b) {
    for (i = 1; i <= n; i++) b[i] = a[i]
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (b[j] < b[i]) { t = b[i]; b[i] = b[j]; b[j] = t }
    return n % 2 ? b[(n + 1) / 2] : (b[n / 2] + b[n / 2 + 1]) / 2
  }
  function row(figure, value, reference, ratio, target, met) {
    printf "| %-38s | %-24s | %-34s | %-7s | %-14s | %-4s |\n", figure, value, reference, ratio, target, met
  }
  function yes(ok) { return ok ? "yes" : "NO" }
  END {
    for (k in mean) cv[k] = mean[k] > 0 ? 100 * sd[k] / mean[k] : 0
    row("figure", "value", "reference", "ratio", "target", "met")
    row("--------------------------------------", "------------------------", "----------------------------------", "-------", "--------------", "----")
    if (others == 1) {
      r = us["BM_Redraw"]; fl = us["BM_Floor"]; ca = us["BM_RedrawCairo"]
      row("Redraw, designer scene", sprintf("%.1f us +-%.0f%%", r, cv["BM_Redraw"]),
          sprintf("floor (fill, 601x540x4 B) %.1f us", fl), sprintf("%.2f", r / fl), "<= 1.4 x floor", yes(r / fl <= 1.4))
      row("Redraw against cairo", sprintf("%.1f us", r),
          sprintf("cairo, same scene %.1f us +-%.0f%%", ca, cv["BM_RedrawCairo"]), sprintf("%.2f", ca / r), ">= 2 x faster", yes(ca / r >= 2))
      row("Text: 12 px panel label", sprintf("%.2f us +-%.0f%%", us["BM_PanelLabel"], cv["BM_PanelLabel"]), "-", "-", "<= 10 us", yes(us["BM_PanelLabel"] <= 10))
      row("Text: status line (18 px)", sprintf("%.2f us +-%.0f%%", us["BM_StatusLine"], cv["BM_StatusLine"]), "-", "-", "<= 10 us", yes(us["BM_StatusLine"] <= 10))
      row("Log line, window shown", sprintf("%.1f us +-%.0f%%", us["BM_LogLine"], cv["BM_LogLine"]), "-", "-", "<= 50 us", yes(us["BM_LogLine"] <= 50))
      for (i = 1; i <= runs; i++) { q1[i] = eps[i] * red[i] / 1e6; q2[i] = eps[i] * (red[i] + cop[i]) / 1e6 }
      e = median(eps, runs); rd = median(red, runs); cp = median(cop, runs)
      row("Playback, 10,000 events", sprintf("%.0f events/s (%d runs)", e, runs), sprintf("1 / redraw (%.1f us)", rd),
          sprintf("%.2f", median(q1, runs)), ">= 0.90", yes(median(q1, runs) >= 0.9))
      row("  the same, with the copy", sprintf("%.0f events/s", e), sprintf("1 / (redraw + copy %.1f us)", cp),
          sprintf("%.2f", median(q2, runs)), ">= 0.90", yes(median(q2, runs) >= 0.9))
      if (cruns > 0) {
        for (i = 1; i <= cruns; i++) cshare[i] = 100 * cchk[i] / (cchk[i] + cprog[i])
        cw = median(cwall, cruns)
        row("Class check, 30 x 1,000 events + ref.", sprintf("%.2f s wall (%d runs), sandboxed", cw, cruns),
            sprintf("programs %.1f s CPU, %d cores", median(cprog, cruns), cores), "-", "<= 10 s", yes(cw <= 10))
        for (i = 1; i <= cruns; i++) cratio[i] = cwall[i] / coff[i]
        row("  the sandbox against none, same run", sprintf("%.2f s wall", cw),
            sprintf("--sandbox off %.2f s", median(coff, cruns)), sprintf("%.2f", median(cratio, cruns)),
            "<= 1.15 x", yes(median(cratio, cruns) <= 1.15))
        row("  the checker: own share of CPU time", sprintf("%.1f %%", median(cshare, cruns)),
            sprintf("checker %.2f s CPU", median(cchk, cruns)), "-", "<= 20 %", yes(median(cshare, cruns) <= 20))
      }
    }
    if (desktop == 1) {
      row("GTK click to drawn, median", sprintf("%.2f ms", d["click_median_ms"]), sprintf("%d clicks under Xvfb", d["click_count"]), "-", "<= 2 ms", yes(d["click_median_ms"] <= 2))
      row("GTK click to drawn, 99th percentile", sprintf("%.2f ms", d["click_p99_ms"]), sprintf("max %.2f ms", d["click_max_ms"]), "-", "<= 5 ms", yes(d["click_p99_ms"] <= 5))
      row("Start-up to first scene, inside", sprintf("%.0f ms (%.0f-%.0f)", d["startup_inside_ms"], d["startup_inside_min_ms"], d["startup_inside_max_ms"]),
          sprintf("%d starts; incl. 100 ms to 1st tick", d["startup_runs"]), "-", "<= 200 ms", yes(d["startup_inside_ms"] <= 200))
      row("Start-up, outside (pixel polled)", sprintf("%.0f ms (%.0f-%.0f)", d["startup_outside_ms"], d["startup_outside_min_ms"], d["startup_outside_max_ms"]),
          sprintf("toolkit %.0f, windows %.0f ms", d["startup_toolkit_ms"], d["startup_windows_ms"]), "-", "<= 200 ms", yes(d["startup_outside_ms"] <= 200))
      row("Idle 10 s animating, GTK", sprintf("%.2f %% (%.1f-%.1f)", d["idle_gtk_pct"], d["idle_gtk_min_pct"], d["idle_gtk_max_pct"]), sprintf("polling loop %.1f %%", d["idle_gtk_polling_pct"]),
          d["idle_gtk_pct"] > 0 ? sprintf("1/%.0f", d["idle_gtk_polling_pct"] / d["idle_gtk_pct"]) : "-", "<= 1 %", yes(d["idle_gtk_pct"] <= 1))
      row("Idle 10 s animating, headless", sprintf("%.2f %% (%.1f-%.1f)", d["idle_headless_pct"], d["idle_headless_min_pct"], d["idle_headless_max_pct"]), sprintf("polling loop %.1f %%", d["idle_headless_polling_pct"]),
          d["idle_headless_pct"] > 0 ? sprintf("1/%.0f", d["idle_headless_polling_pct"] / d["idle_headless_pct"]) : "-", "<= 1 %", yes(d["idle_headless_pct"] <= 1))
      row("Memory idle, GTK: private", sprintf("%.1f MB", d["memory_gtk_private_mb"]), sprintf("resident %.1f MB", d["memory_gtk_resident_mb"]), "-", "<= 20 MB", yes(d["memory_gtk_private_mb"] <= 20))
      row("Memory idle, headless: private", sprintf("%.1f MB", d["memory_headless_private_mb"]), sprintf("resident %.1f MB", d["memory_headless_resident_mb"]), "-", "-", "-")
    }
    if (length(w) > 0) {
      # Wine without a window manager waits 2 s for a window it hides to be
      # withdrawn (the designer hides the log window at start); with
      # unmanaged windows, or a window manager, it does not wait.
      row("Wine: window to first scene", sprintf("%d ms", w["wine_scene_ms"]),
          sprintf("unmanaged windows %d ms", w["wine_scene_unmanaged_ms"]), "-", "<= 500 ms unmanaged", yes(w["wine_scene_unmanaged_ms"] <= 500))
      row("Wine: minimal GDI program, hide", sprintf("%.0f ms", w["wine_minimal_hide_ms"]),
          sprintf("unmanaged windows %.0f ms", w["wine_minimal_hide_unmanaged_ms"]), "-", "-", "-")
      row("Wine: start to window", sprintf("%d ms", w["wine_window_ms"]), sprintf("minimal program paints in %.1f ms", w["wine_minimal_paint_ms"]), "-", "-", "-")
    }
    if (length(wb) > 0) {
      row("Browser: redraw, wasm against native", sprintf("%.0f us (%d rounds)", wb["web_redraw_us"], wb["redraw_rounds"]),
          sprintf("native, same program %.0f us", wb["native_redraw_us"]), sprintf("%.2f", wb["redraw_ratio"]), "<= 1.5 x", yes(wb["redraw_ratio"] <= 1.5))
      row("  scene, then copy to the window", sprintf("%.0f + %.0f us", wb["web_scene_us"], wb["web_copy_us"]),
          sprintf("native %.0f + %.0f us", wb["native_scene_us"], wb["native_copy_us"]),
          sprintf("%.1f/%.1f", wb["web_scene_us"] / wb["native_scene_us"], wb["web_copy_us"] / wb["native_copy_us"]), "-", "-")
      row("  the page puts a window on its canvas", sprintf("%.0f us", wb["web_present_us"]), "595 x 496, every pixel changed", "-", "-", "-")
      row("Browser: load to first scene, median", sprintf("%.0f ms (%.0f-%.0f)", wb["load_ms"], wb["load_min_ms"], wb["load_max_ms"]),
          sprintf("%d loads, no cache; incl. 1st tick", wb["load_count"]), "-", "<= 400 ms", yes(wb["load_ms"] <= 400))
      row("  the first picture on the canvas", sprintf("%.0f ms", wb["load_first_present_ms"]),
          sprintf("scene on the canvas at %.0f ms", wb["load_canvas_ms"]), "-", "-", "-")
      other = wb["bytes_total"] - wb["bytes_html"] - wb["bytes_js"] - wb["bytes_wasm"]
      row("Browser: bytes to download, gzip -9", sprintf("%.1f KB (%d files)", wb["bytes_total"] / 1000, wb["bytes_files"]),
          sprintf("html %.1f, js %.1f, wasm %.1f%s", wb["bytes_html"] / 1000, wb["bytes_js"] / 1000, wb["bytes_wasm"] / 1000, other > 0 ? sprintf(", other %.1f", other / 1000) : ""),
          "-", "<= 450 KB", yes(wb["bytes_total"] <= 450000))
      row("Browser: animating, idle user", sprintf("%.2f %% renderer", wb["cpu_animating_renderer_pct"]),
          sprintf("median of %d x %d s; worst %.2f %%", wb["cpu_windows"], wb["cpu_seconds"], wb["cpu_animating_renderer_max_pct"]), "-", "<= 1 %", yes(wb["cpu_animating_renderer_pct"] <= 1))
      row("  main thread, script", sprintf("%.2f %%, %.2f %%", wb["cpu_animating_main_pct"], wb["cpu_animating_script_pct"]), "-", "-", "-", "-")
      row("  all Chromium processes", sprintf("%.2f %%", wb["cpu_animating_all_pct"]),
          sprintf("%d pictures put on the canvas", wb["cpu_animating_presents"]), "-", "-", "-")
      row("Browser: halted, idle user", sprintf("%.2f %% renderer", wb["cpu_halted_renderer_pct"]),
          sprintf("main thread %.2f %%; all %.1f %%", wb["cpu_halted_main_pct"], wb["cpu_halted_all_pct"]), "-", "-", "-")
      row("  a page that only wakes 10 times/s", sprintf("%.2f %% renderer", wb["cpu_timer_renderer_pct"]),
          sprintf("all processes %.1f %%", wb["cpu_timer_all_pct"]), "-", "-", "-")
    }
    if (length(c3) > 0) {
      row("Class of 300 x 2 scripts of 500 events, median of 3", sprintf("%.1f s wall", c3["class300_wall_s"]),
          sprintf("runs %s s; checker %.1f s CPU, programs %.1f s", c3["class300_wall_all_s"], c3["class300_checker_cpu_s"], c3["class300_programs_cpu_s"]), "-", "<= 45 s", yes(c3["class300_wall_s"] <= 45))
      row("  its index.html", sprintf("%.0f KB", c3["class300_index_bytes"] / 1000),
          sprintf("report %.1f MB, %d pictures", c3["class300_report_bytes"] / 1e6, c3["class300_pictures"]), "-", "<= 2 MB", yes(c3["class300_index_bytes"] <= 2000000))
      if ("class300_paint_ms" in c3)
        row("  first paint in Chromium, median of 5", sprintf("%.0f ms", c3["class300_paint_ms"]), sprintf("max %.0f ms", c3["class300_paint_max_ms"]), "-", "<= 1 s", yes(c3["class300_paint_ms"] <= 1000))
      row("  merging its 4 slices", sprintf("%.2f s wall", c3["class300_merge_s"]),
          c3["class300_merge_same"] ? "grades as one run" : "GRADES DIFFER from one run", "-", "<= 5 s", yes(c3["class300_merge_s"] <= 5 && c3["class300_merge_same"]))
    }
    if (length(ir) > 0) {
      printf "\nInstructions per call (callgrind): redraw %d, panel label %d, status line %d, log line %d, surface copy %d\n", ir["redraw"], ir["label"], ir["status"], ir["log"], ir["copy"]
    }
    if (length(wb) > 0) {
      printf "\nBrowser: %s headless (software drawing), pages served from 127.0.0.1; processor time from /proc.\n", wb["chromium"]
      if (wb["web_text_drawn"] == 0)
        printf "The browser build draws no text yet: its redraw leaves out the glyphs the native one draws.\n"
    }
  }
' "$out/gbench.csv" "$out/playback.txt" "$out/class300.txt" "$out/class.txt" "$out/instructions.txt" "$out/desktop.txt" "$out/wine.txt" "$out/web.txt"
