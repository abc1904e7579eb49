#!/usr/bin/env bash
# Renders the artwork sources in images/src/ into the committed files of images/art/ and writes a contact
# sheet, images/contact-sheet.png, with every picture and its name. Dev-only: needs rsvg-convert
# (librsvg2-bin), ImageMagick, python3 and the fonts fonts-noto-cjk and fonts-dejavu-core; the build only
# embeds the committed files and needs none of these.
#   images/render.sh     (from anywhere)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for tool in rsvg-convert convert python3; do
    command -v "$tool" >/dev/null || { echo "render.sh: $tool is missing (apt-get install librsvg2-bin imagemagick python3)" >&2; exit 1; }
done
[ -n "$(fc-list 'Noto Sans CJK SC')" ] || { echo "render.sh: apt-get install fonts-noto-cjk" >&2; exit 1; }

SRC=src
ART=art
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$ART"

svg() { # name width height -> $TMP/name.png
    rsvg-convert -w "$2" -h "$3" "$SRC/$1.svg" -o "$TMP/$1.png"
}
# 8-bit RGBA without metadata chunks (no gAMA/pHYs/tIME: GDI+ then draws them 1:1 at 96 dpi).
rgba() { # source target
    convert "$TMP/$1.png" -strip -define png:exclude-chunks=date,time PNG32:"$ART/$2.png"
}
# 8-bit RGB, no alpha channel.
rgb() { # file target
    convert "$1" -background black -alpha remove -alpha off -strip -define png:exclude-chunks=date,time \
        PNG24:"$ART/$2.png"
}

# The two backgrounds: the shared layout plus each one's left-hand texts.
svg background-base 800 540
for pair in title:TitleBackground done:DoneBackground; do
    svg "${pair%%:*}-overlay" 800 540
    convert "$TMP/background-base.png" "$TMP/${pair%%:*}-overlay.png" -composite "$TMP/${pair#*:}.png"
    rgb "$TMP/${pair#*:}.png" "${pair#*:}"
done
python3 check_labels.py "$ART/TitleBackground.png" "$ART/DoneBackground.png"

svg radio-on 22 22;  rgba radio-on RadioOnImage
svg radio-off 22 22; rgba radio-off RadioOffImage
for state in normal hover pressed; do
    State=${state^}
    svg "apply-$state" 160 52;  rgba "apply-$state" "Apply$State"
    svg "logoff-$state" 160 52; rgba "logoff-$state" "LogOff$State"
    svg "close-$state" 18 18;   rgba "close-$state" "Close$State"
done
svg step-bar 711 26; rgba step-bar StepBarImage

python3 artwork.py strip "$ART/ProgressStrip.gif"

rsvg-convert -w 128 -h 128 "$SRC/icon.svg" -o "$TMP/icon-128.png"
rsvg-convert -w 64 -h 64 "$SRC/icon.svg" -o "$TMP/icon-64.png"
python3 artwork.py ico "$TMP/icon-128.png" "$ART/AppIcon.ico"
python3 artwork.py ico "$TMP/icon-64.png" "$ART/WindowIcon.ico"

# Contact sheet: every picture with its name, on a mid grey that shows white and dark parts alike.
tile() { # file label [convert options] -> next tile
    local out
    out=$(mktemp "$TMP/tile-XXXXXX.png")
    convert \( "$1" "${@:3}" \) -background '#767b83' -fill white -font DejaVu-Sans -pointsize 12 \
        label:"$2" -gravity center -append -bordercolor '#767b83' -border 8 "$out"
    echo "$out"
}
ROWS=0
row() { ROWS=$((ROWS + 1)); convert "$@" -background '#767b83' -gravity north +append "$TMP/row-$ROWS.png"; }
row "$(tile "$ART/TitleBackground.png" TitleBackground)" "$(tile "$ART/DoneBackground.png" DoneBackground)"
row "$(tile "$ART/ApplyNormal.png" 'ApplyImages 1 normal')" "$(tile "$ART/ApplyHover.png" 'ApplyImages 2 hover')" \
    "$(tile "$ART/ApplyPressed.png" 'ApplyImages 3 pressed')" "$(tile "$ART/LogOffNormal.png" 'LogOffImages 1 normal')" \
    "$(tile "$ART/LogOffHover.png" 'LogOffImages 2 hover')" "$(tile "$ART/LogOffPressed.png" 'LogOffImages 3 pressed')"
row "$(tile "$ART/RadioOnImage.png" RadioOnImage)" "$(tile "$ART/RadioOffImage.png" RadioOffImage)" \
    "$(tile "$ART/RadioOnImage.png" 'RadioOnImage x4' -scale 400%)" "$(tile "$ART/RadioOffImage.png" 'RadioOffImage x4' -scale 400%)" \
    "$(tile "$ART/CloseNormal.png" 'CloseImages 1')" "$(tile "$ART/CloseHover.png" 'CloseImages 2')" \
    "$(tile "$ART/ClosePressed.png" 'CloseImages 3')" \
    "$(tile "$ART/CloseNormal.png" 'x4' -scale 400%)" "$(tile "$ART/CloseHover.png" 'x4' -scale 400%)" \
    "$(tile "$ART/ClosePressed.png" 'x4' -scale 400%)" \
    "$(tile "$TMP/icon-128.png" 'AppIcon.ico 128')" "$(tile "$TMP/icon-64.png" 'WindowIcon.ico 64')"
row "$(tile "$ART/StepBarImage.png" StepBarImage)"
convert "$ART/ProgressStrip.gif" -coalesce "$TMP/strip-%d.png"
frames=()
for f in 0 1 2 3; do
    frames+=("$(tile "$TMP/strip-$f.png" "ProgressStrip frame $((f + 1)) (as shown, height x4)" -scale 100%x400%)")
done
ROWS=$((ROWS + 1))
convert "${frames[@]}" -background '#767b83' -append "$TMP/row-$ROWS.png"
convert "$TMP"/row-*.png -background '#767b83' -gravity west -append -strip contact-sheet.png
echo "render.sh: wrote $ART/ and contact-sheet.png"
