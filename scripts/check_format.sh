#!/usr/bin/env bash
# Fails when a line of C++ changed since the base commit recorded in
# .ci/format-base is not as clang-format (.clang-format) would write it; the
# lines nobody has changed since are left as they are. Prints the difference
# and how to apply it.
#
# On a shallow clone that lacks the base commit, the history is fetched; when
# that cannot be done (no remote, no network) the check says so and passes,
# since it cannot tell the lines a change touched. Outside a git checkout it
# passes with a note.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
git_() { git -c safe.directory="$root" -C "$root" "$@"; }

if [[ ! -e "$root/.git" ]]; then
  echo "format check: not a git checkout, nothing checked"
  exit 0
fi
base=$(tr -d '[:space:]' <"$root/.ci/format-base")
if ! git_ cat-file -e "$base^{commit}" 2>/dev/null; then
  if [[ $(git_ rev-parse --is-shallow-repository) == true ]]; then
    git_ fetch --quiet --unshallow 2>/dev/null || true
  fi
  if ! git_ cat-file -e "$base^{commit}" 2>/dev/null; then
    if [[ $(git_ rev-parse --is-shallow-repository) == true ]]; then
      echo "format check: the base commit $base is not in this shallow clone and cannot be fetched; nothing checked"
      exit 0
    fi
    echo "format check: the base commit $base in .ci/format-base is not in the history" >&2
    exit 1
  fi
fi

changes=$(git_ diff -U0 --no-color "$base" -- '*.cpp' '*.h')
fixes=$(cd "$root" && clang-format-diff -p1 -binary clang-format <<<"$changes")
if [[ -n $fixes ]]; then
  echo "$fixes"
  echo "format check: lines changed since $base differ from clang-format's layout (above); apply with" >&2
  echo "  git diff -U0 --no-color $base -- '*.cpp' '*.h' | clang-format-diff -p1 -i" >&2
  exit 1
fi
echo "format check: every line changed since ${base:0:12} is formatted"
