# shellcheck shell=bash
# What the scripts share, sourced by each: . "$(dirname "$0")/common.sh"
#   as_root COMMAND...   runs COMMAND as root, through sudo when not root
#   job_count            how many compilers or tests run at once: one per
#                        processor, or FLUXART_JOBS when set
#   pass NAME, fail NAME WHY, check NAME WHY
#                        one line per check of a test script, counted
#   checks_summary SCRIPT
#                        its last line, "SCRIPT: N checks, M failed, T s";
#                        status 1 when a check failed

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    sudo "$@"
  fi
}

job_count=${FLUXART_JOBS:-$(nproc)}
if ! [[ "$job_count" =~ ^[1-9][0-9]*$ ]]; then
  echo "FLUXART_JOBS is '$job_count'; set it to a whole number of jobs, 1 or more" >&2
  exit 1
fi

checks=0
failures=0
checks_started=$(date +%s)
pass() {
  checks=$((checks + 1))
  echo "ok    $1"
}
fail() {
  checks=$((checks + 1))
  failures=$((failures + 1))
  echo "FAIL  $1: $2"
}
# check NAME WHY: passes when WHY is empty, else fails giving WHY.
check() {
  if [ -z "$2" ]; then
    pass "$1"
  else
    fail "$1" "$2"
  fi
}
checks_summary() {
  echo "$1: $checks checks, $failures failed, $(($(date +%s) - checks_started)) s"
  [ "$failures" -eq 0 ]
}
