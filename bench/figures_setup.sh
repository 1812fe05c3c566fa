# The set-up both figures scripts share, sourced at their start: a virtual display of their own, the
# programs of the build tree given as the script's argument (default out/build-release), a scratch
# folder, and the operator (tests/harness/operator.sh) on velanto and the detector simulator.
set -u
if [ -z "${VELANTO_FIGURES_DISPLAY:-}" ]; then
    source "$(dirname "${BASH_SOURCE[0]}")/../tests/harness/virtual_display.sh"
    export VELANTO_FIGURES_DISPLAY=1
    on_virtual_display 1280x1024x24 bash "$0" "$@"
    exit
fi
build=$(cd "${1:-out/build-release}" && pwd)
velanto=$build/app/velanto detector=$build/tools/velanto-detector dump_tool=$build/tools/velanto-dump
patience=120
work=$(mktemp -d)
export GSETTINGS_BACKEND=memory
source "$(dirname "${BASH_SOURCE[0]}")/../tests/harness/operator.sh"
trap 'stop_velanto; stop_detector; rm -rf "$work"' EXIT
