#!/usr/bin/env bash
# Shows that scripts/check-windows-sources can fail and picks the right files: POSIX-only code is
# named with the compiler's messages and fails the run, a file that compiles is not named, and the
# check compiles as Windows code, without the Linux build's defines.
# Usage: check-windows-sources-test.sh SCRIPT BUILD-DIR fails|selection
set -uo pipefail

check=$1
build=$2
what=$3

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
scratch="$(realpath "$scratch")"

# Both headers exist on Linux; on Windows the first is missing and the second has no fork().
cat >"$scratch/waits_for_child.cpp" <<'EOF'
#include <sys/wait.h>
int reap(int pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}
EOF
cat >"$scratch/forks.cpp" <<'EOF'
#include <unistd.h>
int spawn() { return fork(); }
EOF
# Compiles only where the check really is Windows code with the window's include folders and
# without the Linux build's defines.
cat >"$scratch/windows_path.cpp" <<'EOF'
#include "app/DFrame.h"
#include <QWidget>
#include <RtMidi.h>
#ifndef _WIN32
#error "not compiled as Windows code"
#endif
#if defined(AMPLIX_HAVE_ALSA) || defined(AMPLIX_HAVE_LIBJACK) || defined(AMPLIX_HAVE_FONTCONFIG)
#error "a Linux-only define of the build reached the Windows check"
#endif
#if defined(__LINUX_ALSA__) || defined(__UNIX_JACK__) || !defined(__WINDOWS_MM__)
#error "RtMidi's Linux APIs reached the Windows check"
#endif
#if __cplusplus < 202002L
#error "not C++20"
#endif
int windowWidth(const QWidget &w) { return w.width(); }
EOF

run() {
    output=$("$check" "$@" "$build" 2>&1)
    status=$?
}

case "$what" in
fails)
    run --extra "$scratch/waits_for_child.cpp" --extra "$scratch/forks.cpp" --extra "$scratch/windows_path.cpp" \
        --extra-only
    [ "$status" = 1 ] || fail "POSIX-only files: exit status $status, not 1"
    grep -qxF "FAILED as Windows code: $scratch/waits_for_child.cpp" <<<"$output" ||
        fail "waits_for_child.cpp is not named as failing"
    grep -q "waits_for_child.cpp:1:.*sys/wait.h" <<<"$output" ||
        fail "the compiler's message on sys/wait.h is missing"
    grep -qxF "FAILED as Windows code: $scratch/forks.cpp" <<<"$output" || fail "forks.cpp is not named as failing"
    grep -q "forks.cpp:2:.*fork.* was not declared" <<<"$output" || fail "the compiler's message on fork is missing"
    grep -qF "FAILED as Windows code: $scratch/windows_path.cpp" <<<"$output" &&
        fail "windows_path.cpp is named as failing"
    grep -qxF "check-windows-sources: 2 of 3 extra files do not compile as Windows code" \
        <<<"$(sed 's/ ([^()]*, [0-9]* s)$//' <<<"$output")" || fail "no summary line of 2 failures in 3 files"
    [ "$failures" = 0 ] || echo "$output"

    run --extra "$scratch/windows_path.cpp" --extra-only
    [ "$status" = 0 ] || fail "windows_path.cpp alone: exit status $status, not 0"
    grep -q "^check-windows-sources: 1 extra file compiles as Windows code" <<<"$output" ||
        fail "no summary line of 1 file compiled"
    [ "$failures" = 0 ] || echo "$output"
    ;;
selection)
    run --list
    [ "$status" = 0 ] || fail "--list: exit status $status"
    source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
    source=$(realpath "$source")
    binary=$(realpath "$build")
    # The window library, the editor's program and the sources generated from them.
    for file in "$source/app/main.cpp" "$source/app/DAmplix.cpp" "$source/midi/RtMidiService.cpp" \
        "$source/midi/AlsaWatch.cpp" "$source/tone/DDelay.cpp" "$binary/amplix_gui_autogen/mocs_compilation.cpp"; do
        grep -qxF "$file" <<<"$output" || fail "$file is not checked"
    done
    grep -q "^$binary/resources/.*/qrc_amplix\.cpp$" <<<"$output" || fail "the compiled resources are not checked"
    # The core (built for Windows by itself), the tools without Qt, and whatever stays on Linux.
    for file in "$source/midi/MidiConfig.cpp" "$source/tools/amplix-podsim.cpp" "$source/tools/amplix-patch.cpp"; do
        grep -qxF "$file" <<<"$output" && fail "$file is checked"
    done
    grep -E "^($source|$binary)/(tests|bench|fuzz)/" <<<"$output" && fail "test, benchmark or fuzz files are checked"
    [ "$failures" = 0 ] || echo "$output"
    ;;
*)
    echo "usage: $0 SCRIPT BUILD-DIR fails|selection" >&2
    exit 2
    ;;
esac

if [ "$failures" != 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all passed"
