#!/bin/sh
# Runs a Qt test program under Wine and prints its report. The report goes through a file: under
# Wine a Qt test's own output does not reach a pipe, such as CTest's.
# Usage: wine_qtest.sh PROGRAM.exe [ARGUMENTS...]
report=$(mktemp)
wine "$@" -o "Z:$report,txt"
status=$?
cat "$report"
rm -f "$report"
exit $status
