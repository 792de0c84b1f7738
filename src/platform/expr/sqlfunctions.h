// The SQL functions and the collation that compiled filters call, registered on a connection.
#pragma once

struct sqlite3;

namespace melodex::expr {

/// Registers on `db` the collation MDXEXACT (binary, trailing blanks ignored) and the functions
/// mdx_upper, mdx_lower, mdx_clip, mdx_len, mdx_sub, mdx_left, mdx_right, mdx_instring,
/// mdx_text, mdx_num, mdx_isnum, mdx_int, mdx_abs, mdx_month, mdx_day, mdx_year and mdx_date.
/// All are deterministic and innocuous, so they work with trusted_schema=OFF. Call once per
/// connection; returns the SQLite result code of the first failure, or SQLITE_OK.
int registerSqlFunctions(sqlite3 *db);

} // namespace melodex::expr
