#!/bin/sh
# Switches the X server's keyboard to layout $1 (de, fr), runs the layout
# test program $3 under the Wine of $2, and puts the US layout back. Wine
# reads the layout when a process starts, so every program the test starts
# types on the new one. Needs a Wine process connected to the display
# already, or the X server resets the keyboard as its last client leaves.
layout=$1 wine=$2 program=$3
setxkbmap -layout "$layout" || exit 1
trap 'setxkbmap -layout us' EXIT
"$wine" "$program"
