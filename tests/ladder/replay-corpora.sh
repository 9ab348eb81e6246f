#!/bin/bash
# replay-corpora.sh CLI CHECKER DATADIR: explains both corpora with the
# ladder (`CLI explain --format json -j 2`) and checks every step with the
# independent checker. Fails when the checker fails or when fewer puzzles
# come out than went in (a crash or a lost line would otherwise pass).
set -u
if [ $# -ne 3 ]; then
    echo "usage: $0 CLI CHECKER DATADIR" >&2
    exit 2
fi
cli=$1
checker=$2
data=$3
status=0
for corpus in qqwing-1000.txt qqwing-expert-1000.txt; do
    file=$data/$corpus
    # Every line with a puzzle is one object; qqwing-1000's solution lines
    # are read as solved puzzles and count too.
    expected=$(grep -c '^[1-9.0]\{81\}' "$file")
    summary=$("$cli" explain --format json -j 2 "$file" | "$checker")
    checked=$?
    echo "$corpus: ${summary##*$'\n'}"
    if [ "$checked" -ne 0 ]; then
        echo "$summary" | head -n 50
        echo "$corpus: the checker failed (exit status $checked)" >&2
        status=1
    fi
    puzzles=$(echo "$summary" | sed -n 's/^checked \([0-9]*\) puzzles.*/\1/p' | tail -n 1)
    if [ -z "$puzzles" ] || [ "$puzzles" -lt "$expected" ]; then
        echo "$corpus: ${puzzles:-no} puzzles checked of $expected" >&2
        status=1
    fi
done
exit "$status"
