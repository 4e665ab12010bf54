#!/bin/bash
# Peak resident memory and wall time of an unattended import whose source is a folder of CSV
# files: the import benchmark's source (N contacts under N/10 departments under N/100 companies)
# exported with the sqlite3 shell, imported with the benchmark's mapping into the demo's
# embedded destination; then the same import from the SQLite file, for comparison.
#
# Usage: bench/text_source_rss.sh BUILD_FOLDER [CONTACTS]   (default 1000000; needs sqlite3)
# Every file is made under a temporary folder that the script removes.
set -euo pipefail

build=$(realpath "${1:?usage: $0 BUILD_FOLDER [CONTACTS]}")
contacts=${2:-1000000}
work=$(mktemp -d "${TMPDIR:-/tmp}/koru-text-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

"$build/bench/koru_bench" --write-source "$contacts" "$work/source.db"
mkdir "$work/csv"
for table in Company Department Contact; do
    sqlite3 -header -csv "$work/source.db" "SELECT * FROM $table" >"$work/csv/$table.csv"
done
ls -l "$work/csv"

home="$work/dest/home"
"$build/tools/koru_demo" "$work/dest" >/dev/null
# The benchmark's mapping (bench/import_bench.cpp, saveMapping) as a saved mapping file.
printf 'Veltrane Transfer Object File\r\n\r\n\r\nDepends On the Following XFT Files\r\nbench-XFRClause.xft\r\nbench-XFRTableLinks.xft\r\nbench-XFRStructure.xft\r\nbench-XFRMappings.xft\r\n' >"$home/bench.xfo"
: >"$home/bench-XFRClause.xft"
: >"$home/bench-XFRTableLinks.xft"
printf 'GenParent=1;SourceCol=;DestinCol=;StyleID=0;Distinct=0;EXLAppLinkID=0;' >"$home/bench-XFRParent.xft"
printf "%s\r\n" \
    "'1 ',, 'Company',, '',, '[Company].[CompanyID]',, '',, '',,'' ,,'1'" \
    "'2 ',, 'Department',, '[Department].[CompanyID]',, '[Department].[DeptID]',, '1',, '',,'' ,,'2'" \
    "'3 ',, 'Contact',, '[Contact].[DeptID]',, '[Contact].[ContactID]',, '2',, '',,'' ,,'3'" \
    >"$home/bench-XFRStructure.xft"
{
    n=1
    for column in CompanyName Street Suburb City Region PostCode Country Phone Fax Email Web AccountCode; do
        printf "1,, 'Company',, '%s',, 'CIID',, 'Alpha%d',, '1'\r\n" "$column" $((n++))
    done
    n=1
    for column in DeptName Building Floor Street City PostCode Country Phone Fax Email Manager CostCentre; do
        printf "2,, 'Department',, '%s',, 'CIID',, 'Alpha%d',, '1'\r\n" "$column" $((n++))
    done
    printf "3,, 'Contact',, 'FirstName',, 'CIID',, 'Alpha1',, '1'\r\n"
    printf "3,, '',, '',, 'TEXTSEP',, ' ',, '2'\r\n"
    printf "3,, 'Contact',, 'LastName',, 'CIID',, 'Alpha1',, '3'\r\n"
    n=2
    for column in Title JobTitle Phone Mobile Street Suburb City PostCode Country; do
        printf "3,, 'Contact',, '%s',, 'CIID',, 'Alpha%d',, '1'\r\n" "$column" $((n++))
    done
    printf "3,, 'Contact',, 'Email',, 'CIID',, 'EmailID',, '1'\r\n"
    printf "3,, 'Contact',, 'EmployeeNo',, 'CIID',, 'Num1',, '1'\r\n"
} >"$home/bench-XFRMappings.xft"

import() {  # SOURCE DATABASE
    sqlite3 "$work/dest/TICKORDB.db" ".backup $work/dest/$2.db"
    printf 'Veltrane Data Import Utility Connection Settings File\r\n\r\n\r\n%s\r\n\r\nsqlite:%s\r\nadmin\r\n' \
        "$1" "$work/dest" >"$home/ConnSet"
    echo "== $1"
    echo "KORU_HOME=$home /usr/bin/time -v $build/src/koru /MapFile=bench.xfo /Product=tickora /UserID=admin /Update=0 /Database=$2"
    KORU_HOME="$home" /usr/bin/time -v "$build/src/koru" /MapFile=bench.xfo /Product=tickora /UserID=admin \
        /Update=0 "/Database=$2" 2>"$work/time.txt"
    grep -E 'Elapsed|Maximum resident' "$work/time.txt"
    sqlite3 "$work/dest/$2.db" "SELECT 'items: ' || count(*) FROM CIID"
}
import "Provider=Text;Data Source=$work/csv" CSVDB
import "Provider=SQLite;Data Source=$work/source.db" SQLITEDB
