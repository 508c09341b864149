# Shared by the command-line tests: a scratch folder, the kavelo under test, and checks
# that count failures and report them at the end.
set -u
KAVELO="$1"
WORK=$(mktemp -d)
trap 'chmod -R u+w "$WORK"; rm -rf "$WORK"' EXIT
cd "$WORK"
failures=0

fail_check() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# expect_exit CODE COMMAND...: runs kavelo, keeping stdout in out.txt and stderr in err.txt.
expect_exit() {
    local want=$1
    shift
    "$KAVELO" "$@" >out.txt 2>err.txt
    local got=$?
    [ "$got" -eq "$want" ] || fail_check "kavelo $* exited $got, expected $want; stderr: $(cat err.txt)"
}

expect_out() { grep -qF -- "$1" out.txt || fail_check "stdout lacks \"$1\": $(head -c 400 out.txt)"; }
expect_err() { grep -qF -- "$1" err.txt || fail_check "stderr lacks \"$1\": $(cat err.txt)"; }
expect_one_error_line() { [ "$(wc -l <err.txt)" -eq 1 ] || fail_check "expected one error line, got: $(cat err.txt)"; }
expect_same() { cmp -s "$1" "$2" || fail_check "$1 and $2 differ"; }

# byte_at FILE OFFSET: the unsigned byte at OFFSET.
byte_at() { od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '; }

# changed_offsets A B: the offsets (decimal, from 0) where two equal-sized files differ.
changed_offsets() { cmp -l "$1" "$2" | awk '{printf "%s ", $1 - 1}'; }

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures checks failed" >&2
        exit 1
    fi
    exit 0
}
