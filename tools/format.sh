#!/usr/bin/env bash
# Formats every tracked C and C++ file in place with clang-format and the
# repository's .clang-format. Tables and layouts laid out by hand are kept
# between "// clang-format off" and "// clang-format on".
# The tree is formatted with clang-format 14 (Debian's); other versions may lay
# out some lines differently. CLANG_FORMAT names another binary.
#   tools/format.sh           format the files
#   tools/format.sh --check   list the files that are not formatted; exit 1 if any
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format}
if ! command -v "$format" > /dev/null 2>&1; then
  echo "format.sh: $format is not installed (Debian: apt-get install clang-format)" >&2
  exit 2
fi
check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *) echo "usage: tools/format.sh [--check]" >&2; exit 2 ;;
esac
mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h' '*.hpp' '*.cc')
if [ "$check" -eq 0 ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -n 50 "$format" -i --style=file
  exit 0
fi
unformatted=0
for file in "${files[@]}"; do
  if ! "$format" --style=file "$file" | cmp -s - "$file"; then
    echo "$file"
    unformatted=1
  fi
done
exit $unformatted
