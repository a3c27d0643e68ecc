#!/usr/bin/env zsh
# Prints, one a line, the words zsh's completion offers for a command line
# (as typed up to the cursor), with the completion function that compinit
# finds in $fpath. A real interactive zsh runs in a pseudo-terminal and gets
# one Tab; a compadd of our own records the words each final call adds.
#
#   zsh-offers.zsh FPATH-FOLDER 'wrenbolt plan '
emulate -L zsh
zmodload zsh/zpty || exit 1
local fdir=$1 line=$2 work
work=$(mktemp -d) || exit 1
cat >$work/setup.zsh <<SETUP
PS1='' PROMPT_EOL_MARK=''
unsetopt beep
fpath=(${(q)fdir} \$fpath)
autoload -Uz compinit && compinit -u -D
# Calls that only ask which words match (-O, -A, -D) go to the real compadd.
compadd() {
  if [[ \${@[1,(i)(-|--)]} == *-(O|A|D)\\ * ]]; then builtin compadd "\$@"; return; fi
  local -a hits
  builtin compadd -O hits "\$@"
  local w
  for w in \$hits; do
    [[ -d \$w ]] && w=\$w/
    print -r -- "\$w" >>${(q)work}/offers
  done
  # Added as well: a tag that offers nothing lets the next one try.
  builtin compadd "\$@"
}
SETUP
touch $work/offers
zpty z zsh -f -i
local out
# Input typed while the shell is still busy is dropped: wait for each step.
zpty -w z "source ${(q)work}/setup.zsh; print READY''NOW"
zpty -r z out '*READYNOW*'
zpty -w -n z "$line"$'\t'
sleep 1
zpty -w -n z $'\C-u'
zpty -w z "print DONE''HERE"
zpty -r z out '*DONEHERE*'
zpty -d z
sort -u $work/offers
rm -rf $work
