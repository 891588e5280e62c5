# Sourced by the shell tests of the registration: the class's identities as
# the registry spells them, and checks counted to one closing line.
clsid='{4961C579-D863-465B-849B-0EF294641960}'
libid='{DA8E6FEF-D096-4FE2-BAA0-C01C92C54929}'
iid='{153561D1-A07D-4013-A91F-B83036C25ABE}'
diid='{FE152D10-FD9F-42E9-97DB-A64B530E220A}'
passed=0 failed=0

check() { # description, command...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
refused() { ! "$@"; }

# Prints "N passed, N failed"; the status says whether all passed.
report() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
