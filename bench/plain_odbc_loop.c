#include "plain_odbc_loop.h"

#include <sql.h>
#include <sqlext.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { ROWS_PER_FETCH = 1000, MAX_COLUMNS = 64 };

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static void describeFailure(SQLSMALLINT type, SQLHANDLE handle, const char* what, char* error,
                            unsigned long errorSize) {
    SQLCHAR state[6] = "";
    SQLCHAR message[512] = "";
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
    snprintf(error, errorSize, "%s: %s %s", what, state, message);
}

long long plainOdbcRead(const char* connectionString, const char* query, unsigned long long* bytes,
                        double* seconds, char* error, unsigned long errorSize) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    char* buffers[MAX_COLUMNS] = {0};
    SQLLEN* indicators[MAX_COLUMNS] = {0};
    SQLLEN widths[MAX_COLUMNS] = {0};
    SQLSMALLINT columns = 0;
    SQLULEN fetched = 0;
    long long rows = -1;
    double started;

    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, NULL, (SQLCHAR*)connectionString, SQL_NTS, NULL, 0,
                                        NULL, SQL_DRIVER_NOPROMPT))) {
        describeFailure(SQL_HANDLE_DBC, dbc, "connect", error, errorSize);
        goto done;
    }
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    started = now();
    if (!SQL_SUCCEEDED(SQLExecDirect(stmt, (SQLCHAR*)query, SQL_NTS))) {
        describeFailure(SQL_HANDLE_STMT, stmt, "execute", error, errorSize);
        goto done;
    }
    SQLNumResultCols(stmt, &columns);
    if (columns > MAX_COLUMNS) columns = MAX_COLUMNS;
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, (SQLPOINTER)SQL_BIND_BY_COLUMN, 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)(SQLULEN)ROWS_PER_FETCH, 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    for (SQLSMALLINT c = 0; c < columns; ++c) {
        SQLULEN size = 0;
        SQLDescribeCol(stmt, (SQLUSMALLINT)(c + 1), NULL, 0, NULL, NULL, &size, NULL, NULL);
        widths[c] = size > 0 && size < 8000 ? (SQLLEN)size + 1 : 8001;
        buffers[c] = malloc((size_t)widths[c] * ROWS_PER_FETCH);
        indicators[c] = malloc(sizeof(SQLLEN) * ROWS_PER_FETCH);
        SQLBindCol(stmt, (SQLUSMALLINT)(c + 1), SQL_C_CHAR, buffers[c], widths[c], indicators[c]);
    }
    rows = 0;
    for (;;) {
        SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) {
            describeFailure(SQL_HANDLE_STMT, stmt, "fetch", error, errorSize);
            rows = -1;
            goto done;
        }
        for (SQLULEN r = 0; r < fetched; ++r) {
            for (SQLSMALLINT c = 0; c < columns; ++c) {
                if (indicators[c][r] != SQL_NULL_DATA) *bytes += (unsigned long long)indicators[c][r];
            }
        }
        rows += (long long)fetched;
    }
    *seconds = now() - started;

done:
    if (stmt) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    for (int c = 0; c < MAX_COLUMNS; ++c) {
        free(buffers[c]);
        free(indicators[c]);
    }
    return rows;
}
