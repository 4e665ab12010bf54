#include "db/demo_source.h"

#include <sqlite3.h>

#include <string>

#include "db/db_error.h"

namespace koru::db {
namespace {

constexpr const char* kSchemaAndRows = R"sql(
BEGIN;
CREATE TABLE Company (CoID integer PRIMARY KEY, CoName text NOT NULL, Address text, Phone text,
                      AccountNo integer, Founded date);
INSERT INTO Company VALUES
  (1, 'Veltrane Ltd', '1 High Street, Wellington', '+64 4 555 0100', 1001, '1998-03-01'),
  (2, 'O''Brien & Sons', NULL, '+353 1 555 0199', 1002, '2004-11-30'),
  (3, 'Müller Maschinenbau GmbH', 'Königstraße 12, Stuttgart', NULL, NULL, NULL),
  (4, 'A company whose name is much longer than any navigator label would normally be, to see it cut', NULL, NULL, 1004, '2020-02-29');

CREATE TABLE Department (DeptID integer PRIMARY KEY, CoID integer NOT NULL, DeptName text NOT NULL,
                         Floor text, Manager text);
INSERT INTO Department VALUES
  (10, 1, 'Help Desk', 'Ground', 'Ann Admin'),
  (11, 1, 'Finance', '2', NULL),
  (20, 2, 'Sales "East"', NULL, 'Seán Ó Briain'),
  (30, 3, 'Fertigung', 'EG', 'Jürgen Groß'),
  (31, 3, 'Fertigung', 'OG', NULL);

CREATE TABLE Contact (ContactID integer PRIMARY KEY, DeptID integer, FirstName text, LastName text,
                      Email text, Extension text, StaffNo integer, Started date);
INSERT INTO Contact VALUES
  (100, 10, 'Ann', 'Admin', 'ann@veltrane.example', '100', 1, '2001-05-14'),
  (101, 10, 'Bob', 'Builder', NULL, '101', 2, '2010-01-04'),
  (102, 11, 'Chloé', 'Dubois', 'chloe@veltrane.example', NULL, 3, NULL),
  (103, 20, 'Dara', 'O''Neill', 'dara@obrien.example', '7', 4, '2015-07-01'),
  (104, 30, 'Jürgen', 'Groß', 'j.gross@mueller.example', '12', NULL, '1999-12-31'),
  (105, 30, 'Jürgen', 'Groß', 'j.gross2@mueller.example', '13', NULL, '2000-01-01'),
  (106, NULL, 'Orphan', 'Contact', NULL, NULL, NULL, NULL);

CREATE TABLE PC (AssetTag text PRIMARY KEY, ContactID integer, MachineName text, SerialNumber text,
                 MemoryMB integer, Purchased date, Price numeric, CostCentre text);
INSERT INTO PC VALUES
  ('VT-0001', 100, 'HELPDESK-01', 'SN-77A1', 16384, '2022-04-01', 1899.95, 'IT'),
  ('VT-0002', 101, 'HELPDESK-02', NULL, 8192, '2019-09-15', 999.00, 'IT'),
  ('VT-0003', 102, 'FIN-01', 'SN-''Q''-3', NULL, NULL, NULL, 'FIN'),
  ('MM-0001', 104, 'FERTIGUNG-PC', 'SN-ÄÖÜ', 32768, '2023-01-10', 2450.50, 'PROD'),
  ('MM-0002', 104, 'FERTIGUNG-PC', 'SN-ÄÖÜ', 32768, '2023-01-10', 2450.50, 'PROD');

CREATE TABLE Software (SoftwareID integer PRIMARY KEY, AssetTag text, Title text, Version text,
                       Licence text);
INSERT INTO Software VALUES
  (1, 'VT-0001', 'Office Suite', '2021', 'VOL-123'),
  (2, 'VT-0001', 'Help Desk Client', '6.4.9', NULL),
  (3, 'VT-0002', 'Office Suite', '2019', 'VOL-124'),
  (4, 'MM-0001', 'CAD Professional', '14.0', 'CAD-Ü-1');
COMMIT;
)sql";

}  // namespace

void createDemoSourceDatabase(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) throw DbError(kErrGeneralFailure, file.string() + " exists already");
    sqlite3* database = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* error = nullptr;
    if (rc == SQLITE_OK) rc = sqlite3_exec(database, kSchemaAndRows, nullptr, nullptr, &error);
    std::string message = error ? error : (database ? sqlite3_errmsg(database) : "out of memory");
    sqlite3_free(error);
    sqlite3_close(database);
    if (rc != SQLITE_OK) throw DbError(kErrGeneralFailure, "cannot create " + file.string() + ": " + message);
}

}  // namespace koru::db
