#!/bin/sh
# Regenerates the grid's glyph bitmaps (ImageMagick). White is the transparent
# colour of the blob and selection glyphs, magenta that of the sort markers.
set -e
cd "$(dirname "$0")"
label() { # name text width
    convert -size "$3"x11 xc:white -fill white -stroke black -draw "rectangle 0,0 $(($3-1)),10" \
        -stroke none -fill black -font Liberation-Sans-Bold -pointsize 8 -gravity center \
        -annotate +0+0 "$2" -type TrueColor "PNG24:$1.png"
}
label DBG_BLOB BLOB 27
label DBG_MEMO MEMO 29
label DBG_PICT PICT 24
label DBG_OLE OLE 21
label DBG_OBJECT OBJ 21
label DBG_DATA DATA 26
label DBG_NOTEMPTY MEMO+ 34
convert -size 9x5 xc:magenta -fill black -draw "polygon 0,0 8,0 4,4" -type TrueColor PNG24:DBG_SMDOWN.png
convert -size 9x5 xc:magenta -fill black -draw "polygon 0,4 8,4 4,0" -type TrueColor PNG24:DBG_SMUP.png
convert -size 9x9 xc:white -fill black -draw "circle 4,4 4,2" -type TrueColor PNG24:DBG_MSDOT.png
convert -size 9x9 xc:white -fill black -draw "polygon 1,0 5,4 1,8" -draw "circle 7,4 7,3" -type TrueColor PNG24:DBG_MSARROW.png
