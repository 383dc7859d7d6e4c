#!/usr/bin/env bash
# Prints a release's time, in seconds since 1970: SOURCE_DATE_EPOCH where it is set, as for the
# build, else the date of the first entry of its zip (to two seconds, as zips keep dates):
#   release-time.sh mensurator-VERSION.zip
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 mensurator-VERSION.zip" >&2; exit 2; }
echo "${SOURCE_DATE_EPOCH:-$(python3 -c 'import calendar, sys, zipfile
print(calendar.timegm(zipfile.ZipFile(sys.argv[1]).infolist()[0].date_time + (0, 0, 0)))' "$1")}"
