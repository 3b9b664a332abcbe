#!/usr/bin/env bash
# Runs one suite of the Windows tree with what its fixtures started (the files
# STATE_FOLDER/*.env) and the private Wine prefix. A GoogleTest suite's XML report goes to
# GTEST_XML, handed to the Windows program as a Windows path.
#   tests/with_fixtures.sh STATE_FOLDER COMMAND [ARGUMENT...]
set -uo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
state=$1; shift
for env_file in "$state"/*.env; do
    [ -f "$env_file" ] && source "$env_file"
done
if [ -n "${GTEST_XML:-}" ]; then
    mkdir -p "$(dirname "$GTEST_XML")"
    export GTEST_OUTPUT="xml:$(winepath -w "$GTEST_XML")"
fi
exec "$@"
