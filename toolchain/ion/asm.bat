#!/bin/sh
# Assembles tmp.z80 in the current folder for both calculators: tmp.8xp for the TI-83 Plus
# and tmp.83p for the TI-83. The messages of both runs go to asm.log. The exit status is
# non-zero when either run failed.
#
# asm83 and ion.inc are looked up beside this script, whatever the current folder.
# (Without dirname: every process started costs time when many documents are built at once.)
case $0 in
*/*) here=${0%/*} ;;
*) here=. ;;
esac

# Programs from an earlier run are removed first, so that a failed run leaves no stale
# program to be delivered in place of the one that failed.
rm -f tmp.8xp tmp.83p

status=0
"$here/asm83" -I "$here" -D TI83P tmp.z80 tmp.8xp >asm.log 2>&1 || status=1
"$here/asm83" -I "$here" tmp.z80 tmp.83p >>asm.log 2>&1 || status=1
exit $status
