#!/usr/bin/env bash
# make_manifest on the IDL and on altered copies of it: the IDL as it is
# gives a manifest; each alteration it cannot declare, and each bad build
# argument, stops it with a message that names the fault and leaves no
# manifest behind. Prints "N passed, N failed".
#   make_manifest_test.sh MAKE_MANIFEST IDL
set -u
tool=$1 idl=$2
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
passed=0 failed=0

# description | sed program applied to the IDL | version | architecture | expected message
cases=(
  "the IDL as it is||1.4.0.5|x86|"
  "uuid on a typedef|s/typedef \[public\] DWORD OLE_COLOR;/[uuid(11111111-2222-3333-4444-555555555555)] typedef DWORD OLE_COLOR;/|1.4.0.5|x86|is on 'typedef'"
  "malformed GUID|s/uuid(4961c579-d863-/uuid(4961c579-d86-/|1.4.0.5|x86|is not a GUID"
  "another class|s/coclass Quillomet/coclass Quillomat/|1.4.0.5|x86|class_facts.h says Quillomet"
  "another library version|0,/version(1.0)/s//version(2.0)/|1.4.0.5|x86|class_facts.h says 1.0"
  "an interface the class does not list|s/importlib(\"stdole2.tlb\");/&[uuid(11111111-2222-3333-4444-555555555555), dual] interface IExtra : IDispatch {};/|1.4.0.5|x86|interface IExtra has a uuid"
  "a third member of the class|s/\[default\] interface _Quillomet;/& interface IDispatch;/|1.4.0.5|x86|lists interface IDispatch"
  "a default interface that is not dual|/^ *dual,$/d|1.4.0.5|x86|not a dual interface"
  "no event interface|/\[default, source\] dispinterface __Quillomet;/d|1.4.0.5|x86|needs a default interface and a default source"
  "a comment that never ends|\$a /*|1.4.0.5|x86|never ends"
  "three-part version||1.4.0|x86|is not four numbers"
  "version part too large||1.4.0.65536|x86|is not four numbers"
  "unknown architecture||1.4.0.5|arm64|neither x86 nor amd64"
)

for entry in "${cases[@]}"; do
  IFS='|' read -r what program version architecture expected <<<"$entry"
  sed "$program" "$idl" >"$tmp/altered.idl"
  rm -f "$tmp/Quillomet.manifest"
  message=$("$tool" "$tmp/altered.idl" "$tmp/Quillomet.manifest" Quillomet.ocx "$version" \
            "$architecture" 2>&1)
  status=$?
  if [ -z "$expected" ]; then
    ok=$([ $status -eq 0 ] && grep -q '<comClass ' "$tmp/Quillomet.manifest" && echo y)
  else
    ok=$([ $status -ne 0 ] && [ ! -e "$tmp/Quillomet.manifest" ] &&
         grep -qF -- "$expected" <<<"$message" && echo y)
  fi
  if [ "$ok" = y ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what (status $status): $message"
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
