#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* The reference read: every column bound as SQL_C_CHAR, column-wise binding, 1,000-row arrays,
   straight on the unixODBC API. Runs `query` on an open connection made from
   `connectionString` and returns the rows read (adding the bytes of every value to *bytes), or
   -1 with the reason in `error`. *seconds gets the time from executing to the last fetch. */
long long plainOdbcRead(const char* connectionString, const char* query, unsigned long long* bytes,
                        double* seconds, char* error, unsigned long errorSize);

#ifdef __cplusplus
}
#endif
