#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test under Wine in the build's own prefix.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TRELVISTA_BUILD_DIR:-$top/build}"

"$top/scripts/setup.sh"
"$top/scripts/build.sh"

. "$top/tests/harness/env.sh"
tv_env_init "$build/testenv"
trap tv_env_stop EXIT
tv_display_ensure
tv_prefix_ensure
tv_server_start
tv_services_start

cd "$build"
ctest --output-on-failure --timeout 600 "$@"
