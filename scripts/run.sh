#!/usr/bin/env bash
# Installs what is missing, builds the program and its data, and starts it.
source "$(dirname "$0")/common.sh"
install_packages
configure_and_build build
if [ -x "$TOP/build/bin/tavi" ]; then
    exec "$TOP/build/bin/tavi" "$@"
fi
# Until the editor exists, the command-line companion is the program.
if [ $# -eq 0 ]; then set -- tables; fi
exec "$TOP/build/bin/tavitool" "$@"
