#!/bin/sh
# Fails unless the library's dynamic symbol table defines exactly the two
# cipher functions.
set -eu
exported=$(nm -D --defined-only "$1" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$exported" != "BlowFishDecode BlowFishEncode " ]; then
  echo "unexpected exports: $exported"
  exit 1
fi
