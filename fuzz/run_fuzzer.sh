#!/usr/bin/env bash
# Runs a fuzzer for a fixed time with a fixed seed, starting from a fresh
# corpus made of the test inputs.  Arguments: the fuzzer program, the source
# tree, a scratch folder, the run time in seconds; then, for a fuzzer of
# other inputs than texts to convert, a folder of seed files and a
# dictionary (by default the text inputs of the tests and
# fuzz/convert.dict).  A fault ends the
# run with a non-zero status; the input that caused it is left in
# <scratch>/artifacts/ and belongs in tests/data/fuzz/ as a regression input.
set -euo pipefail
fuzzer=$1 source=$2 scratch=$3 seconds=${4:-60} seeds=${5:-} dictionary=${6:-$2/fuzz/convert.dict}
rm -rf "$scratch/corpus" "$scratch/work"
mkdir -p "$scratch/corpus" "$scratch/work" "$scratch/artifacts"
# Seeds: every text input of the tests and examples, the conversion fuzzer's
# own seeds (fuzz/convert_seeds: directives with extreme values, nested
# definitions, 16-bit texts, wide delimited tables of short rows), and every
# input a fuzzer has found a fault with before (policy files, *.pol, are the
# policy-file fuzzer's; the others the conversion fuzzer's).
if [ -n "$seeds" ]; then
  cp "$seeds"/* "$scratch/corpus/"
  find "$source/tests/data/fuzz" -type f -name '*.pol' -exec cp {} "$scratch/corpus/" \;
else
  find "$source/tests/data" "$source/examples" "$source/fuzz/convert_seeds" -type f \
    \( -name '*.txt' -o -path '*/data/fuzz/*' \) ! -name '*.pol' ! -name README -print0 |
    while IFS= read -r -d '' seed; do
      cp "$seed" "$scratch/corpus/$(printf '%s' "${seed#"$source"/}" | tr '/' '_')"
    done
fi
cd "$scratch/work"
status=0
# The dictionary holds the directive and tag words, which random mutation
# would seldom spell; -len_control=0 lets inputs grow to the whole 64 KB at
# once instead of creeping up from the seeds' few hundred bytes.
"$fuzzer" -seed=1 -max_total_time="$seconds" -max_len=65536 -len_control=0 -timeout=30 -rss_limit_mb=4096 \
  -dict="$dictionary" -print_final_stats=1 -close_fd_mask=1 -artifact_prefix="$scratch/artifacts/" "$scratch/corpus" || status=$?
if [ "$status" -ne 0 ]; then
  echo "The fuzzer found a fault; copy the input from $scratch/artifacts/ to tests/data/fuzz/." >&2
  ls -l "$scratch/artifacts/" >&2
fi
exit "$status"
