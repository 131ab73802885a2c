#!/bin/sh
# Lossless split against Brisklet's encoding split and mp3splt's frame copy:
# a 20-minute 128 kbps MP3 and a 20-minute Ogg Vorbis file cut into 60-second
# pieces, timed with farm-bench (medians of wall and CPU time, peak memory).
# A 10-minute copy of each shows whether peak memory grows with the source.
#
#   bench/lossless_split.sh [path/to/brisklet-cli] [runs]
set -eu
cli=$(realpath "${1:-build/ci/cli/brisklet-cli}")
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Music-like input: a few tones with noise, so the encoders work as on music.
for minutes in 10 20; do
    seconds=$((minutes * 60))
    ffmpeg -v error -nostdin -f lavfi -i "sine=f=220:d=$seconds" -f lavfi \
        -i "anoisesrc=d=$seconds:a=0.05" -f lavfi -i "sine=f=331:d=$seconds" \
        -filter_complex "[0][1][2]amix=inputs=3,aformat=channel_layouts=stereo" \
        -ar 44100 -c:a pcm_s16le "src$minutes.wav"
    ffmpeg -v error -nostdin -i "src$minutes.wav" -c:a libmp3lame -b:a 128k "src$minutes.mp3"
    ffmpeg -v error -nostdin -i "src$minutes.wav" -c:a libvorbis -q:a 4 "src$minutes.ogg"
done

split() { # split FORMAT SOURCE: brisklet-cli into a fresh folder
    echo "sh -c 'rm -rf out && mkdir out && exec $cli split --mode time --seconds 60 --format $1 --out out $2 >/dev/null'"
}
mp3splt() {
    echo "sh -c 'rm -rf sp && mkdir sp && exec mp3splt -q -t 1.0 -d sp $1 >/dev/null 2>&1'"
}

for kind in mp3 ogg; do
    echo "== 20-minute $kind: lossless vs encoding split (format $kind) =="
    eval farm-bench -n "$runs" --timeout 1800 --vs "\"$(split "$kind" "src20.$kind")\"" -- \
        $(split copy "src20.$kind")
    echo "== 20-minute $kind: lossless vs mp3splt =="
    eval farm-bench -n "$runs" --timeout 600 --vs "\"$(mp3splt "src20.$kind")\"" -- \
        $(split copy "src20.$kind")
    echo "== 10-minute $kind: lossless (peak memory against the 20-minute run) =="
    eval farm-bench -n "$runs" --timeout 600 -- $(split copy "src10.$kind")
done
