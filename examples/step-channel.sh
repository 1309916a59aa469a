#!/usr/bin/env bash
# Steps one channel of the board through the DAC's codes and reads a meter at
# each code, one line "code reading" per code.
#
#   examples/step-channel.sh [CHANNEL [STEP]]     defaults: channel 5, every code
#
# Each code is one qv4130ctl run: a new process leaves the other channels as they
# are. Options for qv4130ctl come from QV4130CTL_OPTIONS (--virtual-board to try
# it without a board). Put the command that reads your meter in read_meter.
set -euo pipefail
channel=${1:-5}
step=${2:-1}

read_meter() {
    echo "-" # no meter here: replace with, say, a query to the meter's SCPI port
}

for code in $(seq 0 "$step" 4095); do
    # shellcheck disable=SC2086 # the options are words of their own
    qv4130ctl ${QV4130CTL_OPTIONS:-} write "$channel" "$code"
    echo "$code $(read_meter)"
done
