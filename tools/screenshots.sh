#!/usr/bin/env bash
# Takes the README's pictures under Xvfb: the Controller playing a file with
# its title in the caption, and the on-screen title display, each over a
# plain background. Writes docs/controller.png, docs/controller_tooltip.png
# and docs/title_display.png.
# Needs the Windows build (scripts/build.sh win).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export MELODEK_BUILD="$root/build/win"
unset DISPLAY  # always a screen of its own, of a known size
# shellcheck source=../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
melodek_wine_up
# A plain background instead of Xvfb's black root window: a borderless
# window over the whole screen, mapped before Melodek's windows.
python3 -c "import tkinter; r = tkinter.Tk(); r.overrideredirect(True); r.geometry('1280x800+0+0'); \
r.configure(bg='#5b7fa6'); r.mainloop()" &
backdrop=$!
trap 'kill $backdrop 2>/dev/null || true; melodek_wine_down' EXIT
sleep 1
python3 "$root/tools/screenshots.py" "$root/docs"
