# Sourced by the end-to-end test scripts: counts checks and reports failures.
#   check NAME STATUS [DETAIL]   STATUS 0 passes; otherwise NAME and DETAIL go to stderr
# The script ends with `echo "$passed passed, $failed failed"`.
passed=0
failed=0

check() {
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $1" >&2
    [ -n "${3:-}" ] && printf '%s\n' "$3" >&2
  fi
}
