#!/usr/bin/env bash
# Writes the seed inputs of the fuzz corpus: files made by the program itself
# (t880 new and t880 encode) from a codeplug whose channels are patched in by
# hand from the block layout, and small hand-written engine programs.
# makeseeds.sh T880 OUTDIR; OUTDIR gets one folder per target. Inputs that
# once broke a rule are kept in the committed corpus beside these seeds.
set -euo pipefail
t880=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# put FILE OFFSET HEXBYTES: overwrites bytes in place.
put() {
    local file=$1 offset=$2
    shift 2
    printf "$(printf '\\x%s' "$@")" |
        dd of="$file" bs=1 seek=$((offset)) conv=notrunc status=none
}
# le32 VALUE: the four bytes of VALUE, low byte first, as hex words.
le32() {
    local v=$1
    printf '%02x %02x %02x %02x' $((v & 255)) $(((v >> 8) & 255)) $(((v >> 16) & 255)) \
        $(((v >> 24) & 255))
}
# seed TARGET NAME HEXBYTES [FILE]: HEXBYTES, then the content of FILE.
seed() {
    local dir="$out/$1" file="$out/$1/$2"
    shift 2
    mkdir -p "$dir"
    printf "$(printf '\\x%s' $1)" >"$file"
    if [ $# -gt 1 ]; then cat "$2" >>"$file"; fi
}

"$t880" new "$work/new.Kzx" >/dev/null
"$t880" new "$work/factory.kzxa" >/dev/null

# Three channels (record n at 0x554 + 72n: rx, tx, tones, options, name),
# an address-book entry and a DTMF code.
cp "$work/new.Kzx" "$work/channels.Kzx"
ch() { echo $((0x554 + 72 * $1)); }
put "$work/channels.Kzx" "$(ch 1)" $(le32 438500000)
put "$work/channels.Kzx" $(($(ch 1) + 14)) $(le32 430000000)
put "$work/channels.Kzx" $(($(ch 1) + 28)) 75 03 01 # rx CTCSS 88.5
put "$work/channels.Kzx" $(($(ch 1) + 41)) 13 28 02 # tx D023N
put "$work/channels.Kzx" $(($(ch 1) + 57)) 02 b0    # CTC/DCS squelch; wide, high, scan
put "$work/channels.Kzx" $(($(ch 1) + 61)) 43 48 31 # "CH1"
put "$work/channels.Kzx" "$(ch 2)" $(le32 145000000)
put "$work/channels.Kzx" $(($(ch 2) + 14)) $(le32 145000000)
put "$work/channels.Kzx" $(($(ch 2) + 28)) ec 29 03 # rx D754I
put "$work/channels.Kzx" $(($(ch 2) + 57)) 11 08    # DTMF squelch, CAT busy lock; DTMF
put "$work/channels.Kzx" "$(ch 16)" $(le32 409500000)
put "$work/channels.Kzx" $(($(ch 16) + 14)) $(le32 409500000)
put "$work/channels.Kzx" $(($(ch 16) + 58)) a0 00 00 d6 d0 # high power, scan; GBK name
put "$work/channels.Kzx" $((0xB5F)) 06 00 01               # channels 1, 2 and 16 used
put "$work/channels.Kzx" $((0x7A)) 02                      # address-book entry 1 used
put "$work/channels.Kzx" $((0x335 + 19)) 01 02 03 00 00 00 00 00 00 00 00 03 42 4f 42
put "$work/channels.Kzx" $((0xB02)) 01 02 03 0e 0f 00 00 00 00 00 05 # dizzy code 123*#

for v in S Y legacy; do
    "$t880" encode "$work/channels.Kzx" --variant $v --date 2025-01-02T03:04 -o "$work/img$v"
    # The decoders look at the first 0x270 bytes; the rest is the fill.
    head -c 768 "$work/img$v" >"$work/head$v"
done
for v in S Y; do
    "$t880" encode "$work/factory.kzxa" --variant $v -o "$work/area$v"
done

# Codeplug files: New, with channels, short, empty, all 0xFF, overlong.
mkdir -p "$out/codeplugfile"
cp "$work/new.Kzx" "$out/codeplugfile/new.Kzx"
cp "$work/channels.Kzx" "$out/codeplugfile/channels.Kzx"
head -c 100 "$work/channels.Kzx" >"$out/codeplugfile/short"
: >"$out/codeplugfile/empty"
head -c 2943 /dev/zero | tr '\0' '\377' >"$out/codeplugfile/allff"
{ cat "$work/channels.Kzx"; printf 'trailing'; } >"$out/codeplugfile/overlong"

# Codeplugs as text: New and the channels as exported, a partial file, and
# files with errors of every kind.
mkdir -p "$out/codeplugyaml"
"$t880" export "$work/new.Kzx" -o "$out/codeplugyaml/new.yaml" >/dev/null
"$t880" export "$work/channels.Kzx" -o "$out/codeplugyaml/channels.yaml" >/dev/null
printf 'format: t880-codeplug\nversion: 1\nchannels:\n  2:\n    in use: true\n    receive: 439\n    decode: "D754I"\n    name: "\xe4\xb8\xad"\nsettings:\n  SQL: 9\n' \
    >"$out/codeplugyaml/partial.yaml"
printf 'format: t880-codeplug\nversion: 1\nchannels:\n  2: {receive: 4294.967296, power: medium, colour: red}\n  17: {}\nsettings: [1, 2]\ndtmf:\n  PTT ID: "12E"\nunnamed bytes:\n  0x040: "00 01"\n' \
    >"$out/codeplugyaml/errors.yaml"
printf 'format: t880-codeplug\nversion: 1\nchannels: &a\n  1: *a\n' >"$out/codeplugyaml/alias.yaml"
printf 'a: [\n' >"$out/codeplugyaml/broken.yaml"

# Calibration files: factory, one byte short, all 0xFF, extremes by hand.
mkdir -p "$out/calibrationfile"
cp "$work/factory.kzxa" "$out/calibrationfile/factory.kzxa"
head -c 119 "$work/factory.kzxa" >"$out/calibrationfile/short"
head -c 120 /dev/zero | tr '\0' '\377' >"$out/calibrationfile/allff"
cp "$work/factory.kzxa" "$out/calibrationfile/extremes"
put "$out/calibrationfile/extremes" 0 ff ff ff 00 80 7f 01                # point 0: 65535 MHz
put "$out/calibrationfile/extremes" $((0x46)) 00 ff 00 80 7f              # thresholds
put "$out/calibrationfile/extremes" $((0x64)) 80 7f ff 00 01 fe 81 7e c0 40 # offsets

# Images: selector (kind, base), fill byte, then the bytes.
seed imagedecode currentS "00 00" "$work/headS"
seed imagedecode currentY "01 00" "$work/headY"
seed imagedecode legacy "02 00" "$work/headlegacy"
seed imagedecode areaS "03 00" "$work/areaS"
seed imagedecode areaY "04 00" "$work/areaY"
seed imagedecode status "05 00 8c 5a 12 a8 00 80"
seed imagedecode foreignS "08 a5" "$work/headS"
seed imagedecode foreignLegacy "0a 00" "$work/headlegacy"

# Engine programs: operation, flags, ports, radio, patch region [patch], then
# commands; "0f ff" lets a radio answer everything for 12.75 s.
seed engine codeplugReadS "00 40 00 00 00 0f ff"
seed engine codeplugWriteS "01 c0 00 00 00 0f ff"
seed engine codeplugReadLegacy "00 60 00 00 00 0f ff"
seed engine codeplugWriteLegacy "01 60 00 00 00 0f ff"
seed engine calibrationReadY "02 50 00 00 00 0f ff"
seed engine calibrationWriteS "03 40 00 00 00 0f ff"
seed engine passwordWrite "04 4a 00 00 00 0f ff"
seed engine status "05 40 00 00 00 0f ff"
seed engine statusSearch "05 41 02 01 00 0f ff"
seed engine serialNumber "06 40 00 00 00 0f ff"
seed engine passwordRead "07 40 00 00 00 0f ff"
seed engine wrongPassword "00 4c 00 00 00 0f ff"
seed engine searchThreePorts "00 41 02 01 00 0f ff"
seed engine searchPolled "00 01 13 03 00 0f ff"
seed engine nothingAnswers "00 30 00 00 0f ff"
seed engine noise "00 40 00 00 00 08 05 58 57 06 53 59 0f 10"
seed engine closeOnProgress "01 40 00 00 00 0b 01 0f ff"
seed engine closeOnSend "03 40 00 00 00 0b 00 0f ff"
seed engine damagedConnect "00 40 00 00 00 0e 07 00 01 0f ff"
seed engine partialReplies "02 00 00 00 00 00 05 02 00 05 03 00 00 05 10 00 0f ff"
seed engine patchedChannels \
    "00 40 00 40 00 07 d0 a0 06 8c 40 00 00 00 00 00 00 00 00 00 00 0f ff"
