#!/usr/bin/env bash
# Runs the benchmarks behind bench/README.md, prints each figure next to its
# floor, and rewrites the README's table and its plot (bench/cost-per-element.png).
#
#   scripts/bench.sh            the element model's passes (simulated desktop)
#   scripts/bench.sh --windows  also the capture and the change -> handler
#                               latency under wine64 (slow; needs what
#                               scripts/build-windows-benchmark.sh needs)
#   scripts/bench.sh --table    only the table and the plot, from bench/results
#
# BENCH_BEFORE=path/to/bench_elements (a build of an earlier commit, named by
# BENCH_BEFORE_LABEL) runs that build right after this one and adds its ratios
# as a column. Raw results stay in bench/results/*.json, so a run without
# --windows keeps the last figures under Wine in the table. Times are CPU time
# for the element model and real time under Wine (the cost is in the client
# process).
set -euo pipefail
cd "$(dirname "$0")/.."
results=bench/results
mkdir -p "$results"
scripts/install-deps.sh
scripts/install-deps.sh python3 gnuplot-nox

if [ "${1:-}" != "--table" ]; then
  cmake --preset default >/dev/null
  cmake --build --preset default --target bench_elements -j "$(nproc)"
  # The element figures run in turn, BENCH_REPETITIONS times (5), and each
  # counts its least CPU time: what the machine's other load adds to a pass is
  # never negative, and the 30,000-user passes feel it most, through the caches.
  elements=(--benchmark_filter='^BM_(UnchangedPass|FirstPass|MapFloor|InterfaceFloor)'
            --benchmark_repetitions="${BENCH_REPETITIONS:-5}" --benchmark_enable_random_interleaving=true
            --benchmark_out_format=json)
  build/default/bin/bench_elements "${elements[@]}" --benchmark_out="$results/elements.json"
  rm -f "$results/elements-before.json" "$results/elements-before.label"
  if [ -n "${BENCH_BEFORE:-}" ]; then
    "$BENCH_BEFORE" "${elements[@]}" --benchmark_out="$results/elements-before.json"
    echo "${BENCH_BEFORE_LABEL:-an earlier build}" >"$results/elements-before.label"
  fi

  if [ "${1:-}" = "--windows" ]; then
    out="$(realpath "$results")/capture-wine64.json"
    # Wine's cost shifts with the machine's load: the three run in turn, five
    # times, and the median of each counts.
    scripts/build-windows-benchmark.sh "--benchmark_out=Z:$(echo "$out" | tr / '\\')" --benchmark_out_format=json \
      --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
    # A change in a client to its handler, with the host pulsing as chorister-host does.
    . scripts/wine-env.sh
    "$wine" build/win64/bin/handler_latency.exe "$(windows_path build/win64/bin/standin_client.exe)" \
      "$(windows_path build/win64/lib/chorister.dll)" 15 >"$results/latency-wine64.json"
    [ -n "$wineserver" ] && "$wineserver" -k 2>/dev/null || true
  fi
fi

python3 - "$results" <<'EOF'
import json, math, os, sys

results = sys.argv[1]

def load(name, least=False):
    path = os.path.join(results, name)
    if not os.path.exists(path):
        return {}, None
    with open(path) as f:
        data = json.load(f)
    # One figure per benchmark, named without the "/real_time" mark: its run
    # of least CPU time (`least`), or the median of its repetitions when it
    # was repeated, else its one run.
    runs = {}
    for b in data["benchmarks"]:
        name = b["run_name"].removesuffix("/real_time")
        if b.get("run_type", "iteration") == "iteration":
            if name not in runs or (least and b["cpu_time"] < runs[name]["cpu_time"]):
                runs[name] = b
        elif b.get("aggregate_name") == "median" and not least:
            runs[name] = b
    return runs, data["context"]

def ns(value):
    return f"{value:.1f} ns" if value < 1000 else f"{value / 1000:.2f} µs"

def exponent(small, large, ratio=30):
    # Growth of the whole pass's cost with the roster: cost ~ users^exponent.
    return 1 + math.log(large / small) / math.log(ratio)

class Figures:
    """The element figures of one run: (figure, measured, floor, ratio, goal) per row."""

    def __init__(self, runs):
        self.runs = runs

    def per_element(self, name):
        return self.runs[name]["per_element"] * 1e9  # seconds per element -> ns

    def unchanged(self, shape, order="Random"):
        return self.per_element(f"BM_UnchangedPass<Names::{order}>/{shape}")

    def first(self, shape, order):
        return self.per_element(f"BM_FirstPass<Names::{order}>/{shape}")

    def floor(self, shape, order="Random"):
        return self.per_element(f"BM_MapFloor{order}/{shape}")

    def rows(self):
        u1k, f1k = self.unchanged("1000/50", "Ascending"), self.floor("1000/50", "Ascending")
        run = self.runs["BM_UnchangedPass<Names::Ascending>/1000/50"]
        yield ("unchanged pass, 1,000 users / 50 channels",
               f"{ns(u1k)}/element, {run['allocations']:.0f} allocations, {run['events']:.0f} events",
               f"`std::map` lookup by key + 9 field compares: {ns(f1k)}", f"{u1k / f1k:.2f}×", "≤ 2×")
        i1k = self.per_element("BM_InterfaceFloorAscending/1000/50")
        yield ("same floor, reading through `ISnapshot`'s virtual getters", "–", ns(i1k),
               f"{i1k / f1k:.2f}× the map floor", "(what the interface alone costs)")
        for order, label in (("Ascending", "ascending"), ("Random", "random")):
            for shape, layout in (("50", "50 channels"), ("1", "one channel")):
                a, b = self.first(f"1000/{shape}", order), self.first(f"30000/{shape}", order)
                yield (f"first apply, {label} names, 1k → 30k users, {layout}", f"{ns(a)} → {ns(b)}/element",
                       "–", f"exponent {exponent(a, b):.2f}", "≤ 1.1")
        for shape, layout in (("50", "50 channels"), ("1", "one channel")):
            a, b = self.unchanged(f"1000/{shape}"), self.unchanged(f"30000/{shape}")
            fa, fb = self.floor(f"1000/{shape}"), self.floor(f"30000/{shape}")
            yield (f"unchanged pass, random names, 1k → 30k users, {layout}", f"{ns(a)} → {ns(b)}/element",
                   f"map floor {ns(fa)} → {ns(fb)}",
                   f"exponent {exponent(a, b):.2f} / floor {exponent(fa, fb):.2f}", "≤ floor's growth")

elements, context = load("elements.json", least=True)
before, _ = load("elements-before.json", least=True)
capture, _ = load("capture-wine64.json")

rows = list(Figures(elements).rows())
before_rows = list(Figures(before).rows()) if before else []
if capture:
    c, f = capture["BM_Capture"], capture["BM_Floor"]
    one = capture.get("BM_OneRequestPerItem")
    kinds = ", ".join(f"{k} {f[k]:.2f}" for k in ("WM_GETTEXT", "RealGetWindowClassA", "TVM_GETNEXTITEM",
                                                    "TVM_GETITEMA", "WriteProcessMemory", "ReadProcessMemory"))
    ms = lambda run: run["per_item"] * 1e3
    rows.append((f"capture under wine64, {f['items']:.0f} items", f"{ms(c):.3f} ms/item",
                 f"the same calls done bare, incl. the walk and the control reads: {ms(f):.3f} ms/item, "
                 f"{f['calls']:.2f} calls/item ({kinds})",
                 f"{c['real_time'] / f['real_time']:.3f}×", "≤ 1.05×"))
    if one:
        rows.append(("one TVM_GETITEMA per item instead of two (measured, not shipped)", f"{ms(one):.3f} ms/item",
                     f"{one['calls']:.2f} calls/item", f"{one['real_time'] / f['real_time']:.3f}× the floor", "report"))
latency_path = os.path.join(results, "latency-wine64.json")
if os.path.exists(latency_path):
    with open(latency_path) as f:
        latency = json.load(f)
    cycle = latency["cycle_ms"]
    seen = lambda user: (f"read {user}: median {latency[user]['median_ms']:.0f} ms, mean {latency[user]['mean_ms']:.0f}, "
                         f"worst {latency[user]['worst_ms']:.0f}")
    # A snapshot is handed over whole: a change waits for the next capture to
    # reach its item (half a cycle on average), then for that capture to end.
    rows.append((f"change → handler under wine64, {latency['items']} items, {latency['changes']} changes per user",
                 f"{seen('first')}; {seen('last')}",
                 f"one polling cycle: {cycle:.0f} ms; a whole-snapshot poll averages 1.5 cycles for the item read "
                 "first, 0.5 for the one read last",
                 f"{latency['first']['median_ms'] / cycle:.2f} / {latency['last']['median_ms'] / cycle:.2f} cycles",
                 "report (≤ 1.5 cycles)"))

for index, (figure, measured, floor, ratio, goal) in enumerate(rows):
    earlier = f" (before: {before_rows[index][3]})" if index < len(before_rows) else ""
    print(f"{figure}: {ratio}{earlier}, goal {goal}")

columns = ["figure", "measured", "floor, same run", "ratio"] + (["before: ratio"] if before_rows else []) + ["goal"]
table = ["| " + " | ".join(columns) + " |", "|" + "---|" * len(columns)]
for index, (figure, measured, floor, ratio, goal) in enumerate(rows):
    cells = [figure, measured, floor, f"**{ratio}**"]
    if before_rows:
        cells.append(before_rows[index][3] if index < len(before_rows) else "–")
    table.append("| " + " | ".join(cells + [goal]) + " |")

# The plot's data: cost per element against users.
figures = Figures(elements)
with open(os.path.join(results, "scaling.dat"), "w") as f:
    f.write("# users first_ascending first_random unchanged_random map_floor_random\n")
    for users in (1000, 3000, 10000, 30000):
        shape = f"{users}/50"
        f.write(f"{users} {figures.first(shape, 'Ascending')} {figures.first(shape, 'Random')} "
                f"{figures.unchanged(shape)} {figures.floor(shape)}\n")

readme = "bench/README.md"
with open(readme) as f:
    text = f.read()
begin, end = "<!-- table: scripts/bench.sh -->", "<!-- end of table -->"
head, rest = text.split(begin)
_, tail = rest.split(end)
note = f"Measured on {context['num_cpus']} × {context['mhz_per_cpu']} MHz, {context['date']}."
if before_rows:
    with open(os.path.join(results, "elements-before.label")) as f:
        note += f" Before: {f.read().strip()}, run right after."
with open(readme, "w") as f:
    f.write(head + begin + "\n" + note + "\n\n" + "\n".join(table) + "\n" + end + tail)
EOF

gnuplot <<EOF
set terminal png size 800,500
set output "bench/cost-per-element.png"
set title "Cost per element against users (50 channels, CPU time)"
set logscale xy
set xrange [700:45000]
set xlabel "users"
set ylabel "ns per element"
set key top left
set grid
plot "$results/scaling.dat" using 1:2 with linespoints title "first apply, ascending names", \
     "" using 1:3 with linespoints title "first apply, random names", \
     "" using 1:4 with linespoints title "unchanged pass, random names", \
     "" using 1:5 with linespoints title "map floor of the unchanged pass"
EOF
echo "wrote bench/README.md and bench/cost-per-element.png"
