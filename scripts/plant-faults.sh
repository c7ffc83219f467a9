#!/usr/bin/env bash
# Plants known faults one at a time in a scratch copy of the sources and
# records which the tests catch: a test suite is only as good as the faults
# it notices. Run it on two commits and compare the tables.
# Usage: plant-faults.sh [REF] [NAME_FILTER]
#   REF          the commit to check (default HEAD)
#   NAME_FILTER  only faults whose name matches this extended regex
# Scratch: $MG_FAULT_DIR (default /tmp/mg-faults) holds a detached worktree
# with its own build dir, reused across faults and runs (incremental builds).
# ctest runs take the lock $MG_CTEST_LOCK, so that they never overlap others.
set -u
repo="$(git -C "$(dirname "$0")" rev-parse --show-toplevel)"
ref="$(git -C "$repo" rev-parse --verify "${1:-HEAD}^{commit}")" || exit 1
only="${2:-.}"
scratch="${MG_FAULT_DIR:-/tmp/mg-faults}"
src="$scratch/src"
lock="${MG_CTEST_LOCK:-/tmp/mg-ctest.lock}"

# name ~ file ~ sed expression (basic regex; must change the file) ~ build targets ~ ctest regex ~ gtest filter
faults=(
"key-filter-right-win~lock/mgtlocker.cpp~s/if (IsDown(keyState, VK_LWIN) || IsDown(keyState, VK_RWIN)) return false;/if (IsDown(keyState, VK_LWIN)) return false;/~lock_tests~^lock_tests_windows$~"
"key-filter-alt-tab~lock/mgtlocker.cpp~s/virtualKey == VK_TAB && (IsDown(keyState, VK_LMENU) || IsDown(keyState, VK_RMENU))/virtualKey == VK_TAB \&\& IsDown(keyState, VK_LMENU)/~lock_tests~^lock_tests_windows$~"
"mouse-filter-passes-all~lock/mgtlocker.cpp~s/    if (!IsOwnWindow(target)) return false;/    if (target == nullptr) return false;/~lock_tests~^lock_tests_windows$~"
"mouse-drops-on-dialog~lock/mgtlocker.cpp~s/return GetWindowRect(dialog_, \&bounds) \&\& !PtInRect(\&bounds, point);/return GetWindowRect(dialog_, \&bounds) \&\& (!PtInRect(\&bounds, point) || true);/~lock_tests~^lock_tests_windows$~"
"watchdog-no-stall-check~lock/mgtlocker.cpp~s/return now > due + kStallMs || /return now > due + 100 * kStallMs || /~lock_tests~^lock_tests_windows$~Watchdog.*"
"watchdog-never-pulls-front~lock/mgtlocker.cpp~s/const bool foreignForeground = !locker->IsOwnWindow(foreground);/const bool foreignForeground = false;/~e2e_tests marrowgate~^e2e_tests_windows$~UnlockEndToEnd.LockHoldsEverythingUntilTheRightPassword"
"unlock-enabled-when-empty~lock/mgtunlockdlg.cpp~s/GetWindowTextLengthW(password_.Handle()) >= 1/GetWindowTextLengthW(password_.Handle()) >= 0/~e2e_tests marrowgate~^e2e_tests_windows$~UnlockEndToEnd.LockHoldsEverythingUntilTheRightPassword"
"digest-compare-last-byte~settings/passworddigest.cpp~s/difference |= static_cast<uint8_t>(a\[i\] ^ b\[i\]);/difference = static_cast<uint8_t>(a[i] ^ b[i]);/~core_tests settings_tests~^(core|settings)_tests_windows$~"
"digest-compare-null~settings/passworddigest.cpp~s/return a == b;/return true;/~core_tests settings_tests~^(core|settings)_tests_windows$~"
"guardian-fights-logoff~app/guardian.cpp~s/return wParam != FALSE ? now + kEndPauseMs : 0;/return wParam != FALSE ? now : 0;/~guardian_tests~^guardian_tests_windows$~GuardianDecisions.*"
"guardian-one-try-more~app/guardian.cpp~s/if (tries_ >= kMaxTries) return false;/if (tries_ > kMaxTries) return false;/~guardian_tests~^guardian_tests_windows$~GuardianDecisions.*"
"registry-loads-expand-sz~settings/exini_registry.cpp~s/entry.type != REG_SZ)/(entry.type != REG_SZ \&\& entry.type != REG_EXPAND_SZ))/~settings_tests~^settings_tests_windows$~"
"settings-tie-goes-to-user~settings/mgtsettings.cpp~s/machineTime >= userTime/machineTime > userTime/~settings_tests~^settings_tests_windows$~"
"settings-short-digest-read~settings/passworddigest.cpp~s/text.size() != 2 \* kBytes/text.size() < 2/~core_tests settings_tests~^(core|settings)_tests_windows$~"
"ini-empty-key-accepted~settings/exini.cpp~0,/key.empty()) return false;/s/|| key.empty()) return false;/) return false;/~core_tests~^core_tests_windows$~"
"static-left-text-one-line~toolkit/exstatic.cpp~s/if ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP) flags |= DT_SINGLELINE;/if ((style \& SS_TYPEMASK) != SS_LEFTNOWORDWRAP) flags |= DT_SINGLELINE;/~toolkit_tests~^toolkit_tests_windows$~"
"link-fit-too-narrow~toolkit/exbutton.cpp~s/InflateRect(&measured, 1, 1);/InflateRect(\&measured, 0, 1);/~toolkit_tests~^toolkit_tests_windows$~ButtonsTest.*"
"menu-popup-not-greyed~toolkit/exmenu.cpp~s/MF_GRAYED | MF_DISABLED/MF_DISABLED/~ui_tests~^ui_tests_windows$~SettingsMenu.*"
"menu-clock-not-greyed~ui/settingsmenu.cpp~s/menu.EnableItem(IDM_SHOW_CLOCK, !settings.useOrgScreen);/menu.EnableItem(IDM_SHOW_CLOCK, true);/~ui_tests~^ui_tests_windows$~SettingsMenu.*"
"menu-picture-case-sensitive~ui/settingsmenu.cpp~s/!chosen.EqualsNoCase(settings.bgImage)/chosen != settings.bgImage/~ui_tests~^ui_tests_windows$~SettingsMenu.*"
"menu-colour-not-prefilled~ui/settingsmenu.cpp~s/initial = UsesSystemColor(settings.bgColor) ? GetSysColor(COLOR_BACKGROUND) : settings.bgColor;/initial = settings.bgColor;/~ui_tests~^ui_tests_windows$~SettingsMenu.*"
"menu-text-keeps-ampersand~text/textutil.cpp~s/} else if (text\[i\] != '&') {/} else {/~core_tests~^core_tests_windows$~"
"trim-keeps-trailing~text/textutil.cpp~s/if (mode & kTrimTrailing) {/if (false) {/~core_tests~^core_tests_windows$~"
"hex-nibbles-swapped~text/textutil.cpp~s/out += kDigits\[bytes\[i\] >> 4\];/out += kDigits[bytes[i] \& 0x0F];/~core_tests~^core_tests_windows$~"
"edit-warning-never-clears~toolkit/exedit.cpp~s/if (WarningActive() && !IsEmpty()) {/if (WarningActive() \&\& IsEmpty()) {/~toolkit_tests~^toolkit_tests_windows$~"
"msgbox-yesno-esc-yes~toolkit/exmsgbox.cpp~s/case MB_YESNO: return {2, {IDNO, IDYES, 0}, IDNO};/case MB_YESNO: return {2, {IDNO, IDYES, 0}, IDYES};/~toolkit_tests~^toolkit_tests_windows$~"
"msgbox-caption-uncleaned~toolkit/exmsgbox.cpp~s/        CleanMenuText(title, kMenuDotsTwoOrMore);/        (void)kMenuDotsTwoOrMore;/~ui_tests~^ui_tests_windows$~PasswordDialog.*"
"reflect-measure-for-menus~toolkit/exwnd.cpp~s/item->CtlType == ODT_MENU || item->CtlID == 0/item->CtlID == 0/~toolkit_tests~^toolkit_tests_windows$~Reflection.*"
"settings-clock-default-off~settings/mgtsettings.cpp~s/FlagOr(chosen->Get(kGlobal, L\"showClock\"), true)/FlagOr(chosen->Get(kGlobal, L\"showClock\"), false)/~settings_tests~^settings_tests_windows$~"
"native-read-never-grows~settings/nativekeys.cpp~s/        buffer.resize(std::max<size_t>(needed,.*/        return status;/~settings_tests~^settings_tests_windows$~TreeStore.*"
"native-user-root-is-machine~settings/nativekeys.cpp~s/directory = CurrentUser();/directory = nullptr, name = L\"\\\\\\\\Registry\\\\\\\\Machine\\\\\\\\\" + path;/~settings_tests~^settings_tests_windows$~RegistryValues.*"
"background-composes-before-first-frame~lock/mgtbgdlg.cpp~s/    if (!PostMessageW(Handle(), kComposeFirst, 0, 0)) Compose();/    Render();/~lock_tests~^lock_tests_windows$~Background.*"
"menu-loop-forgeable~toolkit/exwnd.cpp~s/           message == WM_ENTERMENULOOP || message == WM_EXITMENULOOP;/           false;/~lock_tests~^lock_tests_windows$~Forgery.*"
"settings-save-stamped-by-clock~settings/mgtsettings.cpp~s/    modifiedTime = NextSaveStamp();/    modifiedTime = CurrentFileTime();/~settings_tests~^settings_tests_windows$~"
"password-marker-read-as-digest~settings/storedpassword.cpp~s/password.text != kSupersededPassword &&/true \&\&/~core_tests settings_tests~^(core|settings)_tests_windows$~"
"old-digest-kept-after-unlock~settings/mgtsettings.cpp~s/if (Password.form == PasswordRecord::Form::kLegacy) MovePasswordToSaltedForm(password);//~settings_tests~^settings_tests_windows$~"
)

log="$scratch/log"
mkdir -p "$log"
if [ ! -d "$src/.git" ] && [ ! -f "$src/.git" ]; then
    git -C "$repo" worktree add --detach "$src" "$ref" >/dev/null || exit 1
fi
git -C "$src" checkout -q --detach "$ref" || exit 1
git -C "$src" checkout -q -- .
commit="$(git -C "$src" rev-parse --short HEAD)"
[ -f "$src/build/windows/CMakeCache.txt" ] || (cd "$src" && cmake --preset windows >"$log/configure.txt" 2>&1) || {
    echo "configure failed; see $log/configure.txt"
    exit 1
}

# Baseline first: a fault only counts as caught where the unfaulted build passes.
run_entries() {  # targets regex filter logname -> 0 pass, 1 fail, 2 build failure
    local targets="$1" regex="$2" filter="$3" name="$4"
    # shellcheck disable=SC2086
    cmake --build "$src/build/windows" --target $targets -j 2 >"$log/$name.build.txt" 2>&1 || return 2
    (cd "$src" && GTEST_FILTER="${filter:-*}" flock "$lock" ctest --preset windows -R "$regex" \
        >"$log/$name.ctest.txt" 2>&1) || return 1
    return 0
}

# The failed tests named in a ctest log (a timeout names the ctest entry).
catchers() {
    { grep -o '^\[  FAILED  \] [A-Za-z0-9_/]*\.[A-Za-z0-9_./]*' "$1" | awk '{print $NF}'
      grep -o '[a-z_]*_windows .*Timeout' "$1" | awk '{print $1 " (timeout)"}'; } | sort -u | tr '\n' ' '
}

printf '%-28s %-9s %s\n' "fault ($commit)" result "ctest entries"
declare -A baseline=()
for entry in "${faults[@]}"; do
    IFS='~' read -r name file expr targets regex filter <<<"$entry"
    [[ "$name" =~ $only ]] || continue
    [ -n "${baseline["$regex $filter"]:-}" ] && continue
    run_entries "$targets" "$regex" "$filter" "baseline-${#baseline[@]}"
    case $? in 0) result="passes" ;; 1) result="FAILS" ;; *) result="no-build" ;; esac
    baseline["$regex $filter"]="$result"
    printf '%-28s %-9s %s%s\n' "(no fault)" "$result" "$regex" "${filter:+ ($filter)}"
done
for entry in "${faults[@]}"; do
    IFS='~' read -r name file expr targets regex filter <<<"$entry"
    [[ "$name" =~ $only ]] || continue
    git -C "$src" checkout -q -- "$file"
    cp "$src/$file" "$scratch/original"
    sed -i "$expr" "$src/$file"
    if cmp -s "$src/$file" "$scratch/original"; then
        result="NOT-PLANTED"
    else
        run_entries "$targets" "$regex" "$filter" "$name"
        case $? in
        0) result="missed" ;;
        1) result="caught" ;;
        *) result="no-build" ;;
        esac
    fi
    git -C "$src" checkout -q -- "$file"
    printf '%-28s %-9s %s%s\n' "$name" "$result" "$regex" "${filter:+ ($filter)}"
    [ "$result" = caught ] && echo "    by: $(catchers "$log/$name.ctest.txt")"
done
