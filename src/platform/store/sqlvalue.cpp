#include "platform/store/sqlvalue.h"

#include <sqlite3.h>

namespace melodex::store {

void bindValue(sqlite3_stmt *st, int index, const Value &v)
{
    if (v.typeId() == QMetaType::QString) {
        const QByteArray u = v.toString().toUtf8();
        sqlite3_bind_text(st, index, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_bind_int64(st, index, v.toLongLong());
    }
}

Value columnValue(sqlite3_stmt *st, int col, const FieldDef &field)
{
    if (field.isText()) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, col));
        return Value(QString::fromUtf8(text, sqlite3_column_bytes(st, col)));
    }
    return Value(static_cast<qint64>(sqlite3_column_int64(st, col)));
}

} // namespace melodex::store
