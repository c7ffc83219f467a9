#!/usr/bin/env bash
# Plants known faults one at a time in a scratch copy of the sources and
# records which the tests catch: a test suite is only as good as the faults
# it notices. Run it on two commits and compare the tables. A caught fault
# is printed with the first test that failed on it; one whose tests fail
# unfaulted too is "unproven".
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
# Each is a mistake on a path a user reaches, grouped by the part of the program it is in.
faults=(
# text
"menu-text-keeps-ampersand~text/textutil.cpp~s/} else if (text\[i\] != '&') {/} else {/~core_tests~^core_tests_windows$~MacroExpansion.ExpandedTexts"
"trim-keeps-trailing~text/textutil.cpp~s/if (mode & kTrimTrailing) {/if (false) {/~core_tests~^core_tests_windows$~ExcmdlineParse.QuotesAndBackslashes"
"hex-nibbles-swapped~text/textutil.cpp~s/out += kDigits\[bytes\[i\] >> 4\];/out += kDigits[bytes[i] \& 0x0F];/~core_tests~^core_tests_windows$~Md5.Rfc1321TestSuite"
# settings
"digest-compare-last-byte~settings/passworddigest.cpp~s/difference |= static_cast<uint8_t>(a\[i\] ^ b\[i\]);/difference = static_cast<uint8_t>(a[i] ^ b[i]);/~core_tests~^core_tests_windows$~PasswordDigest.ConstantTimeComparison"
"digest-wide-text-through-ansi~settings/passworddigest.cpp~s/return exstring::FromAnsi(ansi.data(), ansi.size()) == text;/return exstring::FromAnsi(ansi.data(), ansi.size()).size() == text.size();/~core_tests~^core_tests_windows$~PasswordDigest.*"
"registry-loads-expand-sz~settings/exini_registry.cpp~s/entry.type != REG_SZ)/(entry.type != REG_SZ \&\& entry.type != REG_EXPAND_SZ))/~settings_tests~^settings_tests_windows$~TreeStore.OnlyStringValuesOfSectionsLoadAndMalformedOnesSafely"
"settings-tie-goes-to-user~settings/mgtsettings.cpp~s/machineTime >= userTime/machineTime > userTime/~settings_tests~^settings_tests_windows$~SettingsStoreTest.NewerTimeStampWinsAndTiesGoToTheMachine"
"settings-short-digest-read~settings/passworddigest.cpp~s/text.size() != 2 \* kBytes/text.size() < 2/~settings_tests~^settings_tests_windows$~SettingsStoreTest.MalformedValuesLoadWithoutHarm"
"picture-path-backslash-n~settings/escaping.cpp~s/ case 'r': case 'n': case 't'://~core_tests~^core_tests_windows$~Escaping.*"
"settings-clock-default-off~settings/mgtsettings.cpp~s/FlagOr(chosen->Get(kGlobal, L\"showClock\"), true)/FlagOr(chosen->Get(kGlobal, L\"showClock\"), false)/~settings_tests~^settings_tests_windows$~SettingsStoreTest.StoredValuesLoad"
"policy-user-over-machine~settings/policy.cpp~s/roots\\[\\] = {{machineRoot, L\"HKLM\"}, {userRoot, L\"HKCU\"}};/roots[] = {{userRoot, L\"HKCU\"}, {machineRoot, L\"HKLM\"}};/~settings_tests~^settings_tests_windows$~Policies.*"
"native-user-root-lost~settings/nativekeys.cpp~s/        directory = CurrentUser();/        directory = nullptr;/~settings_tests~^settings_tests_windows$~RegistryValues.NativeReadsFindTheUserAndMachineRoots"
"native-read-never-grows~settings/nativekeys.cpp~s/        buffer.resize(std::max<size_t>(needed,.*/        return status;/~settings_tests~^settings_tests_windows$~TreeStore.OnlyStringValuesOfSectionsLoadAndMalformedOnesSafely"
"settings-save-stamped-by-clock~settings/mgtsettings.cpp~s/    modifiedTime = NextSaveStamp();/    modifiedTime = CurrentFileTime();/~settings_tests~^settings_tests_windows$~SettingsStoreTest.SaveIsNewerThanEitherRootWhateverTheClock"
"password-marker-read-as-digest~settings/storedpassword.cpp~s/password.text != kSupersededPassword &&/true \&\&/~core_tests~^core_tests_windows$~StoredPassword.FormsReadFromTheTwoValues"
"old-digest-kept-after-unlock~settings/mgtsettings.cpp~s/if (Password.form == PasswordRecord::Form::kLegacy) MovePasswordToSaltedForm(password);//~settings_tests~^settings_tests_windows$~SettingsStoreTest.RightUnlockMovesTheOldDigestToTheSaltedForm"
"salted-key-half-the-text~settings/passwordcheck.cpp~s/password.size() \* sizeof(exchar)/password.size()/~marrowgate~^checkpwd_golden$~"
"salted-unreadable-falls-back~settings/storedpassword.cpp~s/const bool hasSalted = saltedDigest.state == StoredText::State::kUnreadable ||/const bool hasSalted =/~core_tests~^core_tests_windows$~StoredPassword.*"
"taskmgr-prior-restored-as-dword~settings/taskmgrpolicy.cpp~s/nullptr, size, header.type);/nullptr, size, REG_DWORD);/~e2e_tests marrowgate~^e2e_tests_windows$~UnlockEndToEnd.TaskManagerClosedWhileLocked"
# toolkit
"static-left-text-one-line~toolkit/controls/exstatic.cpp~s/if ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP) flags |= DT_SINGLELINE;/if ((style \& SS_TYPEMASK) != SS_LEFTNOWORDWRAP) flags |= DT_SINGLELINE;/~toolkit_tests~^toolkit_tests_windows$~StaticFlags.StyleToDrawTextFlags"
"link-fit-too-narrow~toolkit/controls/exbutton.cpp~s/InflateRect(&measured, 1, 1);/InflateRect(\&measured, 0, 1);/~toolkit_tests~^toolkit_tests_windows$~Controls.LinkFitsItsTextKeepingItsLeftEdge"
"menu-popup-not-greyed~toolkit/controls/exmenu.cpp~s/MF_GRAYED | MF_DISABLED/MF_DISABLED/~ui_tests~^ui_tests_windows$~SettingsMenu.*"
"edit-warning-never-clears~toolkit/controls/exedit.cpp~s/if (WarningActive() && !IsEmpty()) {/if (WarningActive() \&\& IsEmpty()) {/~toolkit_tests~^toolkit_tests_windows$~Controls.EditWarningCue*"
"msgbox-yesno-esc-yes~toolkit/controls/exmsgbox.cpp~s/case MB_YESNO: return {2, {IDNO, IDYES, 0}, IDNO};/case MB_YESNO: return {2, {IDNO, IDYES, 0}, IDYES};/~toolkit_tests~^toolkit_tests_windows$~MsgBox.ButtonsCaptionsResultsCheckBoxAndTheMessageReadOut"
"msgbox-caption-uncleaned~toolkit/controls/exmsgbox.cpp~s/        CleanMenuText(title, kMenuDotsTwoOrMore);/        (void)kMenuDotsTwoOrMore;/~ui_tests~^ui_tests_windows$~PasswordDialog.*"
"reflect-measure-for-menus~toolkit/window/exwnd.cpp~s/item->CtlType == ODT_MENU || item->CtlID == 0/item->CtlID == 0/~toolkit_tests~^toolkit_tests_windows$~Reflection.*"
"menu-loop-forgeable~toolkit/window/exwnd.cpp~s/           message == WM_ENTERMENULOOP || message == WM_EXITMENULOOP;/           false;/~lock_tests~^lock_tests_windows$~Forgery.*"
# ui
"menu-clock-not-greyed~ui/settingsmenu.cpp~s/menu.EnableItem(IDM_SHOW_CLOCK, open(IDM_SHOW_CLOCK));/menu.EnableItem(IDM_SHOW_CLOCK, !SettingFixedByPolicy(IDM_SHOW_CLOCK, settings));/~ui_tests~^ui_tests_windows$~SettingsMenu.*"
"menu-picture-case-sensitive~ui/settingsmenu.cpp~s/!chosen.EqualsNoCase(settings.bgImage)/chosen != settings.bgImage/~ui_tests~^ui_tests_windows$~SettingsMenu.*"
"menu-colour-not-prefilled~ui/settingsmenu.cpp~s/initial = UsesSystemColor(settings.bgColor) ? GetSysColor(COLOR_BACKGROUND) : settings.bgColor;/initial = settings.bgColor;/~ui_tests~^ui_tests_windows$~SettingsMenu.*"
# lock
"mouse-filter-passes-all~lock/mgtlocker.cpp~s/    if (!IsOwnWindow(target)) return false;/    if (target == nullptr) return false;/~lock_tests~^lock_tests_windows$~LockAcrossProcesses.HookProceduresByKindForegroundAndPlace"
"watchdog-no-stall-check~lock/mgtlocker.cpp~s/return now > due + kStallMs || /return now > due + 100 * kStallMs || /~lock_tests~^lock_tests_windows$~Watchdog.*"
"watchdog-never-pulls-front~lock/mgtlocker.cpp~s/const bool foreignForeground = !locker->IsOwnWindow(foreground);/const bool foreignForeground = false;/~e2e_tests marrowgate~^e2e_tests_windows$~UnlockEndToEnd.LockHoldsEverythingUntilTheRightPassword"
"wrong-password-unannounced~lock/mgtunlockdlg.cpp~s/ShowAttemptsLine(FailedAttemptsText(services_.strings, failures, lastFailure_), true);/ShowAttemptsLine(FailedAttemptsText(services_.strings, failures, lastFailure_), false);/~ui_tests~^ui_tests_windows$~Access.*"
"unlock-enabled-when-empty~lock/mgtunlockdlg.cpp~s/GetWindowTextLengthW(password_.Handle()) >= 1/GetWindowTextLengthW(password_.Handle()) >= 0/~e2e_tests marrowgate~^e2e_tests_windows$~UnlockEndToEnd.LockHoldsEverythingUntilTheRightPassword"
"background-composes-before-first-frame~lock/mgtbgdlg.cpp~s/    if (!PostMessageW(Handle(), kComposeFirst, 0, 0)) Compose();/    Render();/~lock_tests~^lock_tests_windows$~Background.*"
"altgr-any-left-ctrl~lock/keyfilter.cpp~s/case VK_LCONTROL: return key.scanCode == kAltGrControlScan ? kAltGrControl : kLeftControl;/case VK_LCONTROL: return kAltGrControl;/~lock_tests~^lock_tests_windows$~KeyFilter.*"
"altgr-pair-ignores-right-alt~lock/keyfilter.cpp~s/(state.down & kAltGrControl) != 0 && (state.down & kRightAlt) == 0)/(state.down \& kAltGrControl) != 0)/~lock_tests~^lock_tests_windows$~KeyFilter.*"
"alt-tab-left-alt-only~lock/keyfilter.cpp~s/virtualKey == VK_ESCAPE) && (state.down & kAlt) != 0)/virtualKey == VK_ESCAPE) \&\& (state.down \& kLeftAlt) != 0)/~lock_tests~^lock_tests_windows$~KeyFilter.*"
"hook-failure-counts-as-held~lock/hookthread.cpp~s/    if (fresh == nullptr) {/    if (false) {/~lock_tests~^lock_tests_windows$~LockAcrossProcesses.AHookThatFailedIsInstalledAtTheNextWatchdogTick"
"watchdog-skips-failed-hook~lock/mgtlocker.cpp~s/if (locker->timerId_ != 0 \&\& !locker->IsLocked()) locker->RetryHooks();/if (false) locker->RetryHooks();/~lock_tests~^lock_tests_windows$~LockAcrossProcesses.AHookThatFailedIsInstalledAtTheNextWatchdogTick"
"hook-thread-takes-no-messages~lock/hookthread.cpp~s/DWORD woke = MsgWaitForMultipleObjectsEx(2, events, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);/DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);/~lock_tests~^lock_tests_windows$~LockAcrossProcesses.ABusyWindowThreadHoldsUpNoEvent"
"mouse-dialog-client-coords~lock/mgtlocker.cpp~s/return GetWindowRect(dialog, &bounds) && !PtInRect(&bounds, point);/return GetClientRect(dialog, \&bounds) \&\& !PtInRect(\&bounds, point);/~lock_tests~^lock_tests_windows$~LockAcrossProcesses.HookProceduresByKindForegroundAndPlace"
"taskmgr-cleared-stays-cleared~lock/mgtlocker.cpp~s/    if (locker->settings_ != nullptr \&\& locker->started_ \&\& TaskManagerPolicy(/    if (false \&\& TaskManagerPolicy(/~e2e_tests marrowgate~^e2e_tests_windows$~UnlockEndToEnd.TaskManagerClosedWhileLocked"
# guardian
"guardian-gives-up~app/guardian.cpp~s/    if (end.cameUp) budget.CameUp();/    if (end.cameUp) budget.CameUp();\n    else if (budget.Tries() >= RestartBudget::kMaxTries) return false;/~guardian_tests~^guardian_tests_windows$~GuardianDecisions.StartsThatNeverCameUpBackOffAndNeverRunOut"
"guardian-backoff-no-ceiling~app/guardian.cpp~s/std::min<DWORD>(kLongestDelayMs, 125u << std::min(tries_, 7u))/125u << std::min(tries_, 7u)/~guardian_tests~^guardian_tests_windows$~GuardianDecisions.StartsThatNeverCameUpBackOffAndNeverRunOut"
"guardian-session-closes~app/guardian.cpp~s/    if (IsIgnoredMessage(message)) return 0;//~guardian_tests~^guardian_tests_windows$~GuardedLock.NothingWrittenSentOrPostedDisarmsIt"
"guardian-failed-wait-is-end~app/guardian.cpp~s/    if (result == WAIT_OBJECT_0) return WatchState::kEnded;/    if (result != WAIT_TIMEOUT) return WatchState::kEnded;/~guardian_tests~^guardian_tests_windows$~GuardianDecisions.AFailedWaitIsNoEnd"
# helper
"helper-ends-on-quit~app/trayhelper.cpp~s/if (message.message == WM_QUIT) continue;/if (message.message == WM_QUIT) return 0;/~tray_tests~^tray_tests_windows$~Helper.IdleLockWaitsForTheInputToStopWhateverOthersPostOrHold"
"helper-yields-to-held-name~app/trayhelper.cpp~s/if (helperRole_.Held() && GetLastError() != ERROR_ALREADY_EXISTS) return true;/return helperRole_.Held() \&\& GetLastError() != ERROR_ALREADY_EXISTS;/~tray_tests~^tray_tests_windows$~Helper.IdleLockWaitsForTheInputToStopWhateverOthersPostOrHold"
"idle-tick-wrap~app/idlewatch.cpp~s/static_cast<int32_t>(lastInput - countingSince) > 0/lastInput > countingSince/~core_tests~^core_tests_windows$~IdleWatch.*"
"presence-image-case-sensitive~app/lockpresence.cpp~s/process.image.EqualsNoCase(self.image)/process.image == self.image/~guardian_tests~^guardian_tests_windows$~GuardianDecisions.CommandLinesAndProcesses"
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

# The first test that failed in a ctest log: the first gtest case to fail,
# else the first ctest entry that failed (a timeout or crash names no case).
first_catcher() {
    local first
    first="$(grep -m1 -o '^\[  FAILED  \] [A-Za-z0-9_/]*\.[A-Za-z0-9_./]*' "$1" | awk '{print $NF}')"
    [ -n "$first" ] || first="$(sed -nE 's/.*Test +#[0-9]+: ([A-Za-z0-9_]+) \.*\*+([A-Za-z]+).*/\1 (\2)/p' "$1" | head -n 1)"
    echo "${first:-unknown: see $1}"
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
        # A failure proves nothing where the unfaulted build fails too.
        [ "$result" = caught ] && [ "${baseline["$regex $filter"]}" != passes ] && result="unproven"
    fi
    git -C "$src" checkout -q -- "$file"
    printf '%-28s %-9s %s%s\n' "$name" "$result" "$regex" "${filter:+ ($filter)}"
    [ "$result" = caught ] && echo "    by: $(first_catcher "$log/$name.ctest.txt")"
done
