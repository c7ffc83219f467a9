#!/usr/bin/env bash
# Runs the audit trail's tests with Wine's event log channels on, the standard error of the test and
# of every program it starts (a child's is always its parent's under Wine) in one file, whose Windows
# path the tests find in MG_EVENT_TRACE.
# Usage: audit_trace.sh BUILD_DIR TEST_EXE [ARGS...]
set -u
build="$(cd "$1" && pwd)"
. "$build/wine-env.sh"
mg_ensure_prefix
trace="$(mktemp "${TMPDIR:-/tmp}/marrowgate-trace.XXXXXX")"
trap 'rm -f "$trace"' EXIT
windows_path="$(winepath -w "$trace" 2>/dev/null)"
MG_EVENT_TRACE="$windows_path" WINEDEBUG=fixme+advapi,+eventlog wine "${@:2}" 2>"$trace"
