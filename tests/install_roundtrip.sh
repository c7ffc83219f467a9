#!/usr/bin/env bash
# Install round trip of the Windows Installer package in the build's Wine
# prefix: install, use the installed copy (password query, lock and unlock,
# auto-start), upgrade to a newer package, uninstall (refused while a lock
# runs, ending the resident helper otherwise), and look for leftovers.
# Usage: install_roundtrip.sh BUILD_DIR [GUIDE_HTML]
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
guide="${2:-$root/docs/marrowgate-guide.html}"
. "$build/wine-env.sh"
key='Software\Quarnwick\Marrowgate'
run_key='SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
source_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Marrowgate'
password='round trip 7'
failures=0
lock_pid=

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok:   $*"; }
check() { # check DESCRIPTION WANT GOT
    if [ "$2" = "$3" ]; then ok "$1"; else fail "$1: expected '$2', saw '$3'"; fi
}

win_env() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
unix_path() { winepath -u "$1" 2>/dev/null; }
reg_value() { # prints the data of a value, nothing when it is missing
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
# The DisplayVersion (or with "codes" the product code) of every registered
# product named Marrowgate.
products() {
    wine reg query "$uninstall_key" /s 2>/dev/null | tr -d '\r' | awk -v codes="${1:-}" '
        /^HKEY/ { key = $0 }
        $1 == "DisplayName" { sub(/^ *DisplayName +REG_SZ +/, ""); name[key] = $0 }
        $1 == "DisplayVersion" { version[key] = $3 }
        END { for (k in name) if (name[k] == "Marrowgate") print codes ? substr(k, index(k, "{")) : version[k] }' |
        sort | paste -sd' '
}
msiexec() { # msiexec /i|/x PACKAGE [PROPERTY=VALUE...]: prints the exit code
    local mode="$1" package="$2"
    shift 2
    wine msiexec "$mode" "$(winepath -w "$package")" /qn "$@" </dev/null >/dev/null 2>&1
    echo $?
}
clean() {
    local hive
    for hive in HKLM HKCU; do
        wine reg delete "$hive\\$key" /f >/dev/null 2>&1
        wine reg delete "$hive\\$run_key" /v Marrowgate /f >/dev/null 2>&1
        wine reg delete "$hive\\$run_key" /v 'Marrowgate Helper' /f >/dev/null 2>&1
    done
}
start_lock() { # starts the installed copy's lock; true once its window shows
    wine "$exe" +lock </dev/null >/dev/null 2>&1 &
    lock_pid=$!
    for _ in $(seq 1 200); do
        [ -n "$(xdotool search --onlyvisible --name '^Marrowgate$' 2>/dev/null)" ] && return 0
        kill -0 "$lock_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
unlock() { # types the password; true once the lock has ended, its exit code in $unlocked_with
    xdotool type --delay 30 "$password" && xdotool key Return
    for _ in $(seq 1 200); do kill -0 "$lock_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$lock_pid" 2>/dev/null && return 1
    wait "$lock_pid"
    unlocked_with=$?
    lock_pid=
}
finish() {
    # A killed lock is started again by its guardian: only the password ends it.
    [ -n "$lock_pid" ] && kill -0 "$lock_pid" 2>/dev/null && ! unlock &&
        echo "note: the lock still runs; the end of the Wine session stops it"
    for package in "${newer:-}" "${msi:-}"; do
        [ -f "$package" ] && msiexec /x "$package" >/dev/null
    done
    clean
}

# -- packages: this version and a newer one built from the same program
command -v wixl >/dev/null || { echo "FAIL: wixl is missing (scripts/ensure-deps.sh test)"; exit 1; }
[ -f "$guide" ] || { echo "FAIL: no user guide at $guide"; exit 1; }
out="$build/package-roundtrip"
"$root/installer/build-package.sh" "$build/marrowgate.exe" "$out" "$guide" >/dev/null ||
    { echo "FAIL: installer/build-package.sh could not build the packages"; exit 1; }
version="$(sed -n 's/^#define MG_VERSION_TEXT "\(.*\)"$/\1/p' "$root/app/version.h")"
msi="$out/marrowgate-$version-x64.msi"
MG_PACKAGE_VERSION=99.0.0 "$root/installer/build-package.sh" "$build/marrowgate.exe" "$out/newer" "$guide" >/dev/null ||
    { echo "FAIL: installer/build-package.sh could not build the newer package"; exit 1; }
newer="$out/newer/marrowgate-99.0.0-x64.msi"
cultures="ar-SA de-DE en-US es-ES fr-FR it-IT ja-JP pl-PL pt-BR"
check "portable zip contents" \
    "$( (for c in $cultures; do echo "PolicyDefinitions/$c/marrowgate.adml"; done
         printf '%s\n' PolicyDefinitions/marrowgate.admx README.md marrowgate-guide.html marrowgate.exe) |
        LC_ALL=C sort | xargs)" \
    "$(python3 -c 'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()))' \
        "$out/marrowgate-$version-portable.zip")"

trap finish EXIT
clean
for code in $(products codes); do # left by an interrupted run
    wine msiexec /x "$code" /qn </dev/null >/dev/null 2>&1
done
[ -z "$(products)" ] || { echo "FAIL: Marrowgate $(products) is installed in $WINEPREFIX and stays"; exit 1; }

# -- install, with the public properties an administrator gives a silent install
check "msiexec /i $(basename "$msi") /qn AUTOSTART=1 IDLELOCK=10 LOCKBEFORESLEEP=0 HOTKEY=0 exit code" 0 \
    "$(msiexec /i "$msi" AUTOSTART=1 IDLELOCK=10 LOCKBEFORESLEEP=0 HOTKEY=0)"
# Machine settings in the settings' own format, over the defaults (a value
# left out would read as empty: black, no picture).
for expected in "autoStart true" "idleLock 600" "lockOnSleep false" "hotKey false" "bgImage System" \
    "bgColor 4278190080"; do
    check "HKLM setting ${expected%% *} from the install properties" "${expected#* }" \
        "$(reg_value "HKLM\\$key\\global" "${expected%% *}")"
done
wine reg query 'HKLM\Software\Policies\Quarnwick\Marrowgate' >/dev/null 2>&1 &&
    fail "the install properties wrote policies" || ok "no policy written by the install properties"
check "registered products" "$version" "$(products)"
check "the winget manifest's product code is the installed one" "$(products codes)" \
    "$(sed -n "s/^ *ProductCode: *'\(.*\)'$/\1/p" "$out/Quarnwick.Marrowgate.yaml")"
install_dir="$(win_env ProgramFiles)\\Marrowgate"
exe="$install_dir\\marrowgate.exe"
check "event log source registered for the installed program" "${exe,,}" \
    "$(reg_value "$source_key" EventMessageFile | tr 'A-Z' 'a-z')"
cmp -s "$build/marrowgate.exe" "$(unix_path "$exe")" && ok "$exe is the built program" ||
    { fail "$exe missing or not the built program"; exit 1; }
cmp -s "$guide" "$(unix_path "$install_dir\\marrowgate-guide.html")" && ok "guide installed" ||
    fail "marrowgate-guide.html missing or different in $install_dir"
for template in marrowgate.admx $(for c in $cultures; do echo "$c/marrowgate.adml"; done); do
    cmp -s "$root/installer/PolicyDefinitions/$template" "$(unix_path "$install_dir\\PolicyDefinitions")/$template" &&
        ok "policy template $template installed" || fail "PolicyDefinitions/$template missing or different"
done
common_link="$(unix_path "$(win_env ALLUSERSPROFILE)\\Microsoft\\Windows\\Start Menu\\Programs\\Marrowgate.lnk")"
user_link="$(unix_path "$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Marrowgate.lnk")"
if [ -f "$common_link" ]; then
    ok "shortcut in the all-users Start menu"
elif [ -f "$user_link" ]; then
    # Wine's msi gives ProgramMenuFolder the user's folder even with ALLUSERS=1.
    ok "shortcut in the user's Start menu (Wine: per-machine shortcuts land there, not in ProgramData)"
else
    fail "no Marrowgate.lnk in $common_link or $user_link"
fi

# -- a newer package replaces this one; an older one cannot replace it
check "msiexec /i $(basename "$newer") /qn (upgrade) exit code" 0 "$(msiexec /i "$newer")"
check "registered products after the upgrade" 99.0.0 "$(products)"
[ -f "$(unix_path "$exe")" ] && ok "program present after the upgrade" || fail "no $exe after the upgrade"
[ "$(msiexec /i "$msi")" -ne 0 ] && ok "the older package refuses to replace the newer" ||
    fail "msiexec /i $(basename "$msi") over 99.0.0 succeeded"
check "registered products after the refused downgrade" 99.0.0 "$(products)"

# -- the installed copy answers the password query
digest="$(python3 "$root/scripts/password-digest.py" "$password")"
wine reg add "HKLM\\$key\\global" /v Password /t REG_SZ /d "$digest" /f >/dev/null 2>&1
wine reg add "HKLM\\$key\\global" /v autoStart /t REG_SZ /d true /f >/dev/null 2>&1
wine reg add "HKLM\\$key\\global" /v idleLock /t REG_SZ /d 300 /f >/dev/null 2>&1
# (a wrong password's answer is the golden test's)
wine "$exe" +checkpwd "$password" </dev/null >/dev/null 2>&1
check "+checkpwd with the right password" 0 $?

# -- lock and unlock from the installed copy; with autoStart set the lock
#    writes the Run values, which stay after the unlock
if ! start_lock; then
    kill -0 "$lock_pid" 2>/dev/null && state="still running" || { wait "$lock_pid"; state="ended with $?"; lock_pid=; }
    fail "+lock showed no window titled Marrowgate within 20 s; the process $state"
elif unlock; then
    check "exit code of the unlocked lock" 0 "$unlocked_with"
else
    fail "the lock still runs 20 s after the password was typed"
fi
# The right unlock moved the old digest to the salted one, with the program's
# rounds, and left in Password a value that keeps older copies locked.
check "Password after the right unlock" ffffffffffffffffffffffffffffffff "$(reg_value "HKLM\\$key\\global" Password)"
salted="$(reg_value "HKLM\\$key\\global" pwdDigest)"
rounds="$(sed -n 's/^pbkdf2-sha256\$\([0-9]*\)\$[0-9a-f]\{32\}\$[0-9a-f]\{64\}$/\1/p' <<<"$salted")"
[ "${rounds:-0}" -ge 600000 ] && ok "salted digest after the right unlock, $rounds rounds" ||
    fail "no salted digest of at least 600000 rounds after the right unlock: '$salted'"
program_processes() { # how many processes of the program run in this prefix
    # By the mapped image: the program starts its helper again with a command
    # line that does not name it.
    local count=0 maps
    for maps in $(grep -l -i 'marrowgate\.exe' /proc/[0-9]*/maps 2>/dev/null); do
        tr '\0' '\n' <"${maps%/maps}/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && count=$((count + 1))
    done
    echo "$count"
}
start_helper() { # starts the installed copy's resident helper and waits until one alone runs
    # An unlock brings the helper back itself (this one then gives way), and
    # its guardian ends a moment after: one process for a second is the helper.
    wine "$exe" +tray </dev/null >/dev/null 2>&1 &
    local steady=0
    for _ in $(seq 1 150); do
        [ "$(program_processes)" -eq 1 ] && steady=$((steady + 1)) || steady=0
        [ "$steady" -ge 10 ] && break
        sleep 0.1
    done
    check "one resident helper runs" 1 "$(program_processes)"
}
run_values() { # checks that both Run values start the installed copy, its path quoted
    local hive command
    for hive in HKLM HKCU; do
        command="$(reg_value "$hive\\$run_key" Marrowgate)"
        case "${command,,}" in
        "\"${exe,,}\" +boot") ok "$hive Run value $1: $command" ;;
        *) fail "$hive Run value $1 should start the installed copy with +boot, saw '$command'" ;;
        esac
        command="$(reg_value "$hive\\$run_key" 'Marrowgate Helper')"
        case "${command,,}" in
        "\"${exe,,}\" +tray") ok "$hive helper Run value $1: $command" ;;
        *) fail "$hive helper Run value $1 should start the installed copy with +tray, saw '$command'" ;;
        esac
    done
}
run_values "after the lock"
# The resident helper holds the program file: the removals below end it themselves.
start_helper

# -- Windows removes the old product of a major upgrade with
#    UPGRADINGPRODUCTCODE set: that removal keeps auto-start. (Wine's own
#    upgrade runs it without the property, so it is given here.)
check "msiexec /x with UPGRADINGPRODUCTCODE exit code" 0 \
    "$(msiexec /x "$newer" 'UPGRADINGPRODUCTCODE={00000000-0000-0000-0000-000000000001}')"
[ -e "$(unix_path "$exe")" ] && fail "$exe left after the removal" || ok "program removed"
check "processes of the program after the removal for an upgrade" 0 "$(program_processes)"
run_values "after a removal for an upgrade"
check "msiexec /i $(basename "$newer") /qn (reinstall) exit code" 0 "$(msiexec /i "$newer")"
wine "$exe" +checkpwd "$password" </dev/null >/dev/null 2>&1
check "+checkpwd after the reinstall (settings kept)" 0 $?

# -- uninstall while a lock runs: refused, and nothing changes
start_lock || fail "+lock showed no window titled Marrowgate within 20 s"
[ "$(msiexec /x "$newer")" -ne 0 ] && ok "msiexec /x refuses while a lock runs" ||
    fail "msiexec /x succeeded while a lock ran"
check "registered products after the refused uninstall" 99.0.0 "$(products)"
[ -f "$(unix_path "$exe")" ] && ok "program kept by the refused uninstall" || fail "no $exe after the refused uninstall"
check "event log source kept by the refused uninstall" "${exe,,}" \
    "$(reg_value "$source_key" EventMessageFile | tr 'A-Z' 'a-z')"
kill -0 "$lock_pid" 2>/dev/null && ok "the lock goes on" || fail "the refused uninstall ended the lock"
unlock || fail "the lock still runs 20 s after the password"

# -- uninstall with the helper running: the program, its helper, shortcut,
#    event log source and both Run values go, settings stay
start_helper
check "msiexec /x $(basename "$newer") /qn exit code" 0 "$(msiexec /x "$newer")"
check "processes of the program after the uninstall" 0 "$(program_processes)"
check "event log source after the uninstall" "" "$(reg_value "$source_key" EventMessageFile)"
check "registered products after the uninstall" "" "$(products)"
left="$(ls -A "$(unix_path "$install_dir")" 2>/dev/null)"
[ -d "$(unix_path "$install_dir")" ] && fail "$install_dir left behind, holding: ${left:-nothing}" ||
    ok "$install_dir removed"
[ -e "$common_link" ] || [ -e "$user_link" ] && fail "shortcut left behind: $(ls "$common_link" "$user_link" 2>/dev/null)" ||
    ok "shortcut removed"
for hive in HKLM HKCU; do
    check "$hive Run value after the uninstall" "" "$(reg_value "$hive\\$run_key" Marrowgate)"
    check "$hive helper Run value after the uninstall" "" "$(reg_value "$hive\\$run_key" 'Marrowgate Helper')"
done
check "settings key kept with the password" "$salted" "$(reg_value "HKLM\\$key\\global" pwdDigest)"

echo "$failures failed"
[ "$failures" -eq 0 ]
