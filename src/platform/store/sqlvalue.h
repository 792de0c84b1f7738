// Moving field values in and out of SQLite statements.
#pragma once

#include "platform/store/layout.h"

struct sqlite3_stmt;

namespace melodex::store {

/// Binds a value: a QString as UTF-8 text, anything else as a 64-bit integer.
void bindValue(sqlite3_stmt *st, int index, const Value &v);
/// Reads column `col` as the field's kind of value.
Value columnValue(sqlite3_stmt *st, int col, const FieldDef &field);

} // namespace melodex::store
