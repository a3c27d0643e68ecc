#!/usr/bin/env bash
# Drives the completion scripts that `wrenbolt completion SHELL` prints
# through each shell's own completion machinery and checks what each
# argument completes to: bash (with bash-completion loaded, through the
# function as readline calls it), zsh (an interactive zsh in a
# pseudo-terminal, the function found in $fpath, one Tab) and fish
# (complete -C).
#
#   scripts/lib/check-completions.sh PATH/TO/wrenbolt
set -uo pipefail
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
status=0
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/fpath" "$work/files/sub"
ln -s "$program" "$work/bin/wrenbolt"
export PATH="$work/bin:$PATH"
touch "$work/files/hunt.json" "$work/files/fox.wb1"
cd "$work/files" || exit 1
wrenbolt completion bash >"$work/wrenbolt.bash" &&
  wrenbolt completion zsh >"$work/fpath/_wrenbolt" &&
  wrenbolt completion fish >"$work/wrenbolt.fish" || { echo "  wrenbolt completion failed"; exit 1; }

# Each case: the line before the cursor, and the words it must offer (all
# of them, sorted, one line) or, with ~, words among them.
cases=(
  "wrenbolt pl|plan"
  "wrenbolt plan |audit check new run schedule sheet"
  "wrenbolt plan check |fox.wb1 hunt.json sub/"
  "wrenbolt show f|fox.wb1"
  "wrenbolt write --config h|hunt.json"
  "wrenbolt read --port |~sim:basic sim:tarsel"
  "wrenbolt encode --model |basic tarsel"
  "wrenbolt completion |bash fish zsh"
  "wrenbolt plan run |fox.wb1 hunt.json sub/"
  "wrenbolt plan run hunt.json --port sim:basic --re|--report"
  "wrenbolt plan run hunt.json --backup-dir |sub/"
)

# Files come back as names; a folder ends in a slash as the shells show it.
sorted_words() { sort -u | tr '\n' ' ' | sed 's/ $//'; }
check() {
  local shell="$1" line="$2" want="$3" got="$4"
  if [[ "$want" == "~"* ]]; then
    local word
    for word in ${want#"~"}; do
      [[ " $got " == *" $word "* ]] || { echo "  $shell: \"$line\" offers \"$got\", not $word"; status=1; return; }
    done
  elif [[ "$got" != "$want" ]]; then
    echo "  $shell: \"$line\" offers \"$got\", wanted \"$want\""; status=1; return
  fi
}

# bash: the function as readline calls it. The words as readline splits
# them (at COMP_WORDBREAKS), the line and the cursor.
bash_offers() {
  bash --norc -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    COMP_LINE="$2" COMP_POINT=${#2}
    read -ra COMP_WORDS <<<"$2"
    [[ "$2" == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _wrenbolt wrenbolt "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    for word in "${COMPREPLY[@]}"; do
      if [[ -d "$word" ]]; then echo "$word/"; else echo "$word"; fi
    done' bash "$work/wrenbolt.bash" "$1" | sorted_words
}

# zsh: a fresh interactive shell in a pseudo-terminal, the function found
# in $fpath by compinit, one Tab (scripts/lib/zsh-offers.zsh).
zsh_offers() {
  timeout 30 zsh "$here/zsh-offers.zsh" "$work/fpath" "$1" | sorted_words
}

fish_offers() {
  fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$work/wrenbolt.fish" "$1" |
    cut -f1 | grep -v '^$' | sorted_words
}

for shell in bash zsh fish; do
  for entry in "${cases[@]}"; do
    line="${entry%%|*}"
    want="${entry#*|}"
    got="$("${shell}_offers" "$line")"
    check "$shell" "$line" "$want" "$got"
  done
done
[ $status -eq 0 ] && echo "  bash, zsh and fish complete each argument to what it takes (${#cases[@]} cases each)"
exit $status
