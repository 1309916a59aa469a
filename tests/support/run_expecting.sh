# Sourced by the tests that run a built program as an operator starts it; they
# set $work to their own folder first.

# run STATUS COMMAND...: runs it, its output in $work/out and $work/err; another
# exit status ends the test, showing both.
run() {
    expected=$1 status=0
    shift
    "$@" >"$work/out" 2>"$work/err" </dev/null || status=$?
    if [ "$status" != "$expected" ]; then
        echo "exit status $status, expected $expected"
        cat "$work/out" "$work/err"
        exit 1
    fi
}
