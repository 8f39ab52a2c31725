#!/usr/bin/env bash
# Brings translations/parley_*.ts up to date with the texts in the sources: a new text comes in unfinished (the test
# "translations" fails until it is translated), a text gone from the sources goes. Run after changing a caption.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
/usr/lib/qt6/bin/lupdate -locations none -no-obsolete core gui -ts translations/parley_*.ts
