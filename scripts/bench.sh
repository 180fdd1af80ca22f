#!/usr/bin/env bash
# Builds and runs the benchmark: each workload with Nimbrel's engine, muparser and hand-written
# long double code, alternating in one process (options go to nimbrel-bench, e.g. --reps 3 W1).
# With --processes it times whole processes instead: nimbrel-cli against the benchmark's
# reference runs, with hyperfine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >&2
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SANITIZE=OFF >/dev/null
cmake --build build -j "$(nproc)" --target nimbrel-bench nimbrel-cli >/dev/null
bench=build/bench/nimbrel-bench

if [ "${1:-}" != "--processes" ]; then
    exec "$bench" "$@"
fi

if ! command -v hyperfine >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq hyperfine >&2
fi
runs=${RUNS:-5}
cli="build/cli/nimbrel-cli --no-ini --decimal-separator ."
expressions=$(mktemp)
trap 'rm -f "$expressions"' EXIT
"$bench" --expressions >"$expressions"
# W3's points, one calculation each, as a script of the console's commands; the console also
# reads the expression again for each point.
points=$(mktemp)
trap 'rm -f "$expressions" "$points"' EXIT
awk 'BEGIN { for (i = 0; i < 300000; ++i) printf "stelle %.5f\nsin(x)*exp(x)\n", -3 + i * 0.00002 }' >"$points"

# The commands run through hyperfine's shell, whose own start it subtracts.
declare -A nimbrel=(
    [W1]="$cli --mode integral --from 0 --to 100 --width 0.0001 -- 'sin(x)*exp(-x/10)+x^2/3'"
    [W2]="$cli --mode integral --from 0 --to 50 --width 0.00002 -- 'sqrt(1+x^2)*ln(x+2)-arctan(x)/(1+x)'"
    [W3]="$cli --mode numderivative --order 7 --batch <$points"
    [W4]="$cli --mode length --from 0 --to 1000 --width 0.0003 -- 'sin(x)'"
    [W5]="$cli --mode newton --start 0 --max-iter 5000000 -- 'x^3-2*x+2'"
    [W6]="$cli --batch <$expressions"
)
for w in W1 W2 W3 W4 W5 W6; do
    # W5 ends with the message "Newtonverfahren konvergiert nicht!" and the status 1.
    hyperfine --ignore-failure --warmup 1 --runs "$runs" --style basic \
        -n "nimbrel-cli $w" "${nimbrel[$w]}" \
        -n "hand $w" "$bench --run hand $w" \
        -n "muparser $w" "$bench --run muparser $w"
done
