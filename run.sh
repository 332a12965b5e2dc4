#!/usr/bin/env bash
# Installs what is missing, builds, and starts the Glimmerix editor.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
scripts/build
exec build/glimmerix/glimmerix "$@"
