#!/usr/bin/env bash
# Checks the shipped banner and icon, proves the checker rejects broken variants of them, and
# that scripts/make-images is reproducible.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
make_images="$root/scripts/make-images"
gif="$root/resources/banner.gif"
ico="$root/resources/quorbel.ico"
py=/usr/bin/python3
[[ -x $py ]] || py=python3

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

passed=0
failed=0
skipped=0
ok() { echo "ok - $1"; passed=$((passed + 1)); }
not_ok() { echo "not ok - $1"; failed=$((failed + 1)); }

expect_pass() {
    local name=$1
    shift
    if "$make_images" --check "$@" >"$tmp/out" 2>&1; then
        ok "$name"
    else
        not_ok "$name"
        sed 's/^/    /' "$tmp/out"
    fi
}

# A rejected file must be rejected for the reason we broke, not some incidental one.
expect_reject() {
    local name=$1 reason=$2
    shift 2
    if "$make_images" --check "$@" >"$tmp/out" 2>&1; then
        not_ok "$name (accepted)"
    elif grep -q -- "$reason" "$tmp/out"; then
        ok "$name"
    else
        not_ok "$name (wrong reason)"
        sed 's/^/    /' "$tmp/out"
    fi
}

# mutate SRC DEST PYTHON-EXPRESSION: d is the file's bytes, the expression gives the new bytes.
mutate() {
    "$py" - "$1" "$2" "$3" <<'EOF'
import struct, sys
d = bytearray(open(sys.argv[1], "rb").read())
open(sys.argv[2], "wb").write(bytes(eval(sys.argv[3])))
EOF
}

expect_pass "shipped banner and icon are well formed" "$gif" "$ico"

table_end=$((13 + 768))
mutate "$gif" "$tmp/gce.gif" "d[:$table_end] + b'\x21\xf9\x04\x01\x00\x00\x00\x00' + d[$table_end:]"
expect_reject "GIF with a graphic control extension" "extension block" "$tmp/gce.gif" "$ico"

mutate "$gif" "$tmp/comment.gif" "d[:-1] + b'\x21\xfe\x02hi\x00' + d[-1:]"
expect_reject "GIF with a trailing comment" "extension block" "$tmp/comment.gif" "$ico"

mutate "$gif" "$tmp/small_table.gif" "d[:10] + b'\xf6' + d[11:]"
expect_reject "GIF with a 128-entry colour table" "packed byte" "$tmp/small_table.gif" "$ico"

mutate "$gif" "$tmp/interlaced.gif" "d[:$table_end + 9] + b'\x40' + d[$table_end + 10:]"
expect_reject "interlaced GIF" "local table or interlace" "$tmp/interlaced.gif" "$ico"

mutate "$gif" "$tmp/two.gif" "d[:-1] + d[$table_end:-1] + d[-1:]"
expect_reject "GIF with two images" "2 images" "$tmp/two.gif" "$ico"

# Zero the last 40 bytes of the first data sub-block: the stream then decodes to the wrong length
# or hits an impossible code.
mutate "$gif" "$tmp/garbled.gif" "d[:$table_end + 12 + 215] + bytes(40) + d[$table_end + 12 + 255:]"
expect_reject "GIF with garbled image data" "GIF:" "$tmp/garbled.gif" "$ico"

mutate "$ico" "$tmp/count.ico" "d[:4] + struct.pack('<H', 3) + d[6:]"
expect_reject "icon claiming three images" "count=3" "$gif" "$tmp/count.ico"

mutate "$ico" "$tmp/bits.ico" "d[:12] + struct.pack('<H', 8) + d[14:]"
expect_reject "icon entry claiming 8 bits per pixel" "bits=8" "$gif" "$tmp/bits.ico"

mutate "$ico" "$tmp/height.ico" "d[:38 + 8] + struct.pack('<i', 32) + d[38 + 12:]"
expect_reject "icon bitmap height not doubled" "header size" "$gif" "$tmp/height.ico"

# First XOR byte of the 32x32 image is its bottom-left corner, which the mask hides.
mutate "$ico" "$tmp/xor.ico" "d[:38 + 104] + b'\x11' + d[38 + 105:]"
expect_reject "icon with colour under a transparent pixel" "masked but not black" "$gif" "$tmp/xor.ico"

mutate "$ico" "$tmp/opaque.ico" "d[:38 + 104 + 512] + bytes(128) + d[38 + 104 + 640:]"
expect_reject "icon with no transparency" "not transparent" "$gif" "$tmp/opaque.ico"

if [[ -x /usr/bin/convert-im6.q16 && -f /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf ]]; then
    "$make_images" --out "$tmp/a" >/dev/null
    "$make_images" --out "$tmp/b" >/dev/null
    if cmp -s "$tmp/a/banner.gif" "$tmp/b/banner.gif" && cmp -s "$tmp/a/quorbel.ico" "$tmp/b/quorbel.ico"; then
        ok "two runs of make-images give identical files"
    else
        not_ok "two runs of make-images give identical files"
    fi
    # The icon is drawn without ImageMagick, so it must match the shipped file on any machine.
    if cmp -s "$tmp/a/quorbel.ico" "$ico"; then
        ok "shipped icon is what make-images draws"
    else
        not_ok "shipped icon is what make-images draws"
    fi
else
    echo "skip - make-images reproducibility (ImageMagick or DejaVu fonts not installed)"
    skipped=$((skipped + 2))
fi

echo "images: $passed passed, $failed failed, $skipped skipped"
[[ $failed -eq 0 ]]
