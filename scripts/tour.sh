#!/usr/bin/env bash
# A guided tour of Marrowgate on a virtual display, taking the screenshots of
# the user guide as it goes. It drives the real program as a user would:
# setting a password with a hint in the password dialog, Lock Now, two wrong
# passwords, the hint, the Caps Lock note, the right password, and on the next
# start the login, the main window and its settings menu with Lock When Idle,
# the resident helper's icon menu and its Exit behind the password; then the
# password query. Between them the main window in the Dark and Blue looks and,
# last, at 200 % scaling. Every step waits for its window (at most
# TOUR_TIMEOUT seconds, default 30) and the tour stops with a message when one
# does not come.
#
# Usage: tour.sh BUILD_DIR OUT_DIR
# BUILD_DIR is a Windows build folder (marrowgate.exe, wine-session); the tour
# runs in that build's own Wine prefix, whose Marrowgate settings it clears
# before and after, so it can be run again at any time.
set -u

fail() {
    echo "tour: $*" >&2
    exit 1
}

[ $# -eq 2 ] || fail "usage: $0 BUILD_DIR OUT_DIR"
build="$(cd "$1" 2>/dev/null && pwd)" || fail "no build folder $1"
exe="$build/marrowgate.exe"
[ -x "$build/wine-session" ] && [ -f "$exe" ] || fail "no marrowgate.exe in $build: build it first"
for tool in xdotool import convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing (Debian packages xdotool, imagemagick)"
done
mkdir -p "$2" || fail "cannot create $2"
out="$(cd "$2" && pwd)"

password="marrowgate"
hint="The name of the program itself"
timeout="${TOUR_TIMEOUT:-30}"
settings_key='Software\Quarnwick\Marrowgate'
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
shots=(main-window settings-menu background-image-menu set-password password-set
       lock-screen lock-clock unlock-dialog wrong-password options-menu password-hint
       caps-lock right-password login idle-lock-menu main-window-dark main-window-blue
       tray-menu main-window-200)

# The tour types and clicks, so it never runs on the user's own display.
unset MG_DISPLAY
"$build/wine-session" start >/dev/null || fail "the Wine session of $build did not start"
. "$build/wine-env.sh"

# Processes that run this build's marrowgate.exe (the lock, its guardian, the
# main window), found by the program file they map, not by name.
program_processes() {
    local maps
    for maps in /proc/[0-9]*/maps; do
        grep -qF "$exe" "$maps" 2>/dev/null && echo "${maps//[^0-9]/}"
    done
}

clear_settings() {
    local root
    for root in HKLM HKCU; do
        wine reg delete "$root\\$settings_key" /f
        wine reg delete "$root\\$run_key" /v Marrowgate /f
        wine reg delete "$root\\$run_key" /v "Marrowgate Helper" /f
    done >/dev/null 2>&1
}

finish() {
    # A tour stopped half-way may leave a lock (and its guardian) running.
    [ -n "$(program_processes)" ] && wineserver -k
    clear_settings
    "$build/wine-session" stop >/dev/null
}
trap finish EXIT
trap 'exit 1' INT TERM

[ -n "$(program_processes)" ] && { wineserver -k; sleep 1; }
clear_settings
for shot in "${shots[@]}"; do rm -f "$out/$shot.png"; done
rm -f "$out/failure.png"

read -r screen_width screen_height < <(xdotool getdisplaygeometry)
xdotool mousemove "$screen_width" "$screen_height"

# "ID X Y WIDTH HEIGHT NAME" of every visible window of the program.
program_windows() {
    local id
    for id in $(xdotool search --onlyvisible --class marrowgate 2>/dev/null); do
        local WINDOW X Y WIDTH HEIGHT SCREEN
        eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
        echo "$id $X $Y $WIDTH $HEIGHT $(xdotool getwindowname "$id" 2>/dev/null)"
    done
}

# Windows that fit on the screen: not the lock's full-screen background.
dialog_windows() {
    program_windows | awk -v w="$screen_width" -v h="$screen_height" '!($4 >= w && $5 >= h)'
}

window_titled() {
    program_windows | awk -v t="$1" '{ id = $1; $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); if ($0 == t) print id }'
}

count_windows() { dialog_windows | wc -l; }

has_background() {
    program_windows | awk -v w="$screen_width" -v h="$screen_height" '$4 >= w && $5 >= h { found = 1 } END { exit !found }'
}

# wait_for WHAT COMMAND...: polls COMMAND until it succeeds.
wait_for() {
    local what=$1
    shift
    local deadline=$((SECONDS + timeout))
    until "$@"; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            import -window root "$out/failure.png" 2>/dev/null
            echo "tour: gave up after $timeout s of waiting for $what." >&2
            echo "Visible windows of the program (id x y width height title):" >&2
            program_windows | sed 's/^/  /' | grep . >&2 || echo "  (none)" >&2
            fail "the screen at that moment is in $out/failure.png"
        fi
        sleep 0.2
    done
}

titled() { [ -n "$(window_titled "$1")" ]; }
windows_at_least() { [ "$(count_windows)" -ge "$1" ]; }
windows_at_most() { [ "$(count_windows)" -le "$1" ]; }
titled_count() { [ "$(window_titled "$1" | wc -l)" -eq "$2" ]; }
lock_shown() { has_background && titled Marrowgate; }
no_program() { [ -z "$(program_processes)" ]; }
main_window_shown() { program_windows | awk -v w="$main_width" '$4 == w { found = 1 } END { exit !found }'; }
helper_runs() {
    local pid
    for pid in $(program_processes); do tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q '+tray' && return 0; done
    return 1
}
only_helper() { helper_runs && [ "$(program_processes | wc -l)" -eq 1 ]; }
run_entry() {
    { wine reg query "HKLM\\$run_key" /v Marrowgate; wine reg query "HKCU\\$run_key" /v Marrowgate; } 2>/dev/null |
        grep -q '+boot'
}
height_of() { program_windows | awk -v id="$1" '$1 == id { print $5 }'; }
height_changed() { [ "$(height_of "$1")" != "$2" ]; }

# Painting follows a window's appearance by a moment.
settle() { sleep "${1:-0.6}"; }

# shot NAME [full]: the program's windows (or the whole screen) into NAME.png;
# what lies between the windows is left transparent.
shot() {
    local file="$out/$1.png"
    if [ "${2:-}" = full ]; then
        import -window root "$file" || fail "screenshot $1 failed"
    else
        local layout box
        layout="$(dialog_windows | awk '
            { x[NR] = $2; y[NR] = $3; w[NR] = $4; h[NR] = $5 }
            NR == 1 || $2 < l { l = $2 } NR == 1 || $3 < t { t = $3 }
            NR == 1 || $2 + $4 > r { r = $2 + $4 } NR == 1 || $3 + $5 > b { b = $3 + $5 }
            END {
                if (!NR) exit
                printf "%dx%d+%d+%d\n", r - l, b - t, l, t
                for (i = 1; i <= NR; i++)
                    printf "rectangle %d,%d %d,%d ", x[i] - l, y[i] - t, x[i] - l + w[i] - 1, y[i] - t + h[i] - 1
            }')"
        box="${layout%%$'\n'*}"
        [ -n "$box" ] || fail "screenshot $1: no window of the program is visible"
        import -window root -crop "$box" +repage png:- |
            convert png:- \( -size "${box%%+*}" xc:black -fill white -draw "${layout#*$'\n'}" \) \
                -alpha off -compose CopyOpacity -composite "$file" || fail "screenshot $1 failed"
    fi
    echo "  $1.png"
}

type_text() { xdotool type --delay 40 "$1"; }

echo "Guided tour on virtual display $DISPLAY, screenshots in $out:"

# 1. First start: no password yet, so the main window opens at once. Under
# Wine the first window of a process does not become the active one, so its
# picture is taken on the next start, after the login.
wine "$exe" >/dev/null 2>&1 &
wait_for "the main window" titled Marrowgate
eval "$(xdotool getwindowgeometry --shell "$(window_titled Marrowgate)")"
main_width=$WIDTH
settle

# 2. Set Password..., typed twice, with a hint; OK; the confirmation.
xdotool key alt+s
wait_for "the settings menu" windows_at_least 2
xdotool key p
wait_for "the password dialog" titled "Set Password"
settle 0.3
type_text "$password"
xdotool key Tab
type_text "$password"
xdotool key Tab
type_text "$hint"
settle
shot set-password
xdotool key Return
wait_for "the confirmation of the new password" titled_count "Set Password" 2
settle
shot password-set
xdotool key Return
wait_for "the password dialog to close" windows_at_most 1
# Stored salted: the same digest computed here from the stored rounds and salt.
salted="$({ wine reg query "HKLM\\$settings_key\\global" /v pwdDigest; wine reg query "HKCU\\$settings_key\\global" /v pwdDigest; } 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *pwdDigest *REG_SZ *//p' | head -n 1)"
IFS='$' read -r _ rounds salt _ <<<"$salted"
[ -n "$salted" ] && [ "$(python3 "$(dirname "$0")/password-digest.py" --salted "$rounds" "$salt" "$password")" = "$salted" ] ||
    fail "the password typed in the dialog was not stored"

# 3. Lock Now over a picture (set where Background Image >> Custom... would
# store it): the main window ends and a new process locks the desktop.
# (A name whose backslash before it reg.exe does not read as an escape.)
picture="$build/picture-for-tour.jpg"
[ -f "$picture" ] || /usr/bin/convert -size "${screen_width}x${screen_height}" gradient:'#2d5a7b'-'#f4e9c8' \
    -quality 90 "$picture" || fail "cannot make the tour's picture"
for root in HKLM HKCU; do
    wine reg add "$root\\$settings_key\\global" /v bgImage /d "$(winepath -w "$picture")" /f >/dev/null 2>&1
done
xdotool key alt+l
wait_for "the lock (background and unlock dialog)" lock_shown
settle 1
shot lock-screen full
# The clock in the lower-left corner of the primary monitor.
import -window root -crop "$((screen_width / 2))x$((screen_height / 3))+0+$((screen_height * 2 / 3))" +repage \
    "$out/lock-clock.png" || fail "screenshot lock-clock failed"
echo "  lock-clock.png"
shot unlock-dialog
unlock="$(window_titled Marrowgate)"
run_entry && echo "  (while locked, the Run entry is in place)"

# 4. Two wrong passwords: the error in the field and the attempts line.
before="$(height_of "$unlock")"
type_text "letmein"
xdotool key Return
wait_for "the attempts line under the buttons" height_changed "$unlock" "$before"
type_text "${password%?}"
xdotool key Return
settle
shot wrong-password

# 5. Options >> Password Hint.
xdotool key alt+o
wait_for "the Options menu" windows_at_least 2
settle
shot options-menu
xdotool key h
wait_for "the Options menu to close" windows_at_most 1
settle
shot password-hint

# 6. The Caps Lock note, then Caps Lock off again.
xdotool key Caps_Lock
settle
shot caps-lock
xdotool key Caps_Lock
settle 0.3

# 7. The right password ends the lock and its guardian.
type_text "$password"
settle
shot right-password
xdotool key Return
wait_for "the end of the lock after the right password" no_program
run_entry && fail "the Run entry stayed after the lock ended"

# 8. The next start asks for the password before the main window.
wine "$exe" >/dev/null 2>&1 &
wait_for "the login dialog" titled Marrowgate
settle
shot login
type_text "$password"
xdotool key Return
wait_for "the main window after the login" main_window_shown
settle
shot main-window

# 9. The settings menu, then its Background Image sub-menu.
xdotool key alt+s
wait_for "the settings menu" windows_at_least 2
settle
shot settings-menu
xdotool key i
wait_for "the Background Image sub-menu" windows_at_least 3
settle
shot background-image-menu
xdotool key Escape
wait_for "the Background Image sub-menu to close" windows_at_most 2
xdotool key w
wait_for "the Lock When Idle sub-menu" windows_at_least 3
settle
shot idle-lock-menu
xdotool key Escape Escape
wait_for "the settings menu to close" windows_at_most 1

# 9b. Settings, Appearance: a look by its place in the sub-menu (Follow
# Windows first), chosen with the keys; it applies at once.
choose_appearance() {
    xdotool key alt+s
    wait_for "the settings menu" windows_at_least 2
    xdotool key Down Down Down Down Right
    wait_for "the Appearance sub-menu" windows_at_least 3
    local i
    for ((i = 0; i < $1; i++)); do xdotool key Down; done
    xdotool key Return
    wait_for "the settings menu to close" windows_at_most 1
    settle 1
}
choose_appearance 3
shot main-window-dark
choose_appearance 4
shot main-window-blue
choose_appearance 0

# 10. Lock Before Sleep starts the resident helper at once; its icon's menu
# (the virtual display draws no notification area: trayclick stands in for
# the click), then Exit behind the password.
xdotool key alt+s
wait_for "the settings menu" windows_at_least 2
xdotool key b
wait_for "the resident helper" helper_runs
xdotool key alt+F4
wait_for "the main window to close, the helper staying" only_helper
xdotool mousemove $((screen_width - 60)) $((screen_height - 8))
# The helper's menu takes no keys from xdotool under Wine (its window never
# holds the X focus): its items are pointed at, from the menu's own size.
open_tray_menu() {
    wine "$build/trayclick.exe" right >/dev/null 2>&1
    wait_for "the icon's menu" windows_at_least 1
    read -r _ menu_x menu_y menu_width menu_height _ < <(dialog_windows | head -n 1)
}
open_tray_menu
xdotool mousemove $((menu_x + menu_width / 2)) $((menu_y + menu_height * 54 / 100))
wait_for "the icon's Lock When Idle sub-menu" windows_at_least 2
settle
shot tray-menu
xdotool mousemove $((screen_width / 2)) $((screen_height / 3)) click 1
wait_for "the icon's menu to close" windows_at_most 0
xdotool mousemove $((screen_width - 60)) $((screen_height - 8))
open_tray_menu
xdotool mousemove $((menu_x + menu_width / 2)) $((menu_y + menu_height - menu_height * 14 / 100)) click 1
wait_for "the login before Exit" titled Marrowgate
type_text "$password"
xdotool key Return
wait_for "the helper to end" no_program

# 11. The password query for scripts.
wine "$exe" +checkpwd "$password" >/dev/null 2>&1
right=$?
wine "$exe" +checkpwd "not-$password" >/dev/null 2>&1
wrong=$?
echo "+checkpwd: right password exit code $right, wrong password exit code $wrong"
[ "$right" -eq 0 ] && [ "$wrong" -eq 255 ] || fail "+checkpwd answered $right and $wrong, expected 0 and 255"

# 12. At 200 % (the Wine server reads the scaling when it starts): the login,
# then the main window, which is wider than at 100 %.
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
        /v LogPixels /t REG_DWORD /d "$1" /f
    wineserver -k
    wineserver -w
    setsid wineserver -p </dev/null >/dev/null 2>&1
} >/dev/null 2>&1
main_window_wider() { program_windows | awk -v w="$main_width" '$4 > w * 3 / 2 { found = 1 } END { exit !found }'; }
set_dpi 192
wine "$exe" >/dev/null 2>&1 &
wait_for "the login dialog at 200 %" titled Marrowgate
settle
type_text "$password"
xdotool key Return
wait_for "the main window at 200 %" main_window_wider
settle 1
shot main-window-200
xdotool key alt+F4
wait_for "the main window to close" no_program
set_dpi 96

echo "Tour complete: ${#shots[@]} screenshots in $out; the prefix's Marrowgate settings are cleared."
