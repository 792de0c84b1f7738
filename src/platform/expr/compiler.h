// Compiles a filter to an SQLite boolean expression whose values are all bound parameters.
#pragma once

#include "platform/expr/ast.h"
#include "platform/expr/value.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

#include <functional>
#include <optional>
#include <variant>
#include <vector>

struct sqlite3_stmt;

namespace melodex::expr {

/// A name the store maps onto a column of the query. `sql` is trusted text made by the store: a
/// column reference such as `"Songlore".rec."Artist"` (or a parenthesised expression). Its
/// values never hold trailing blanks.
struct Column
{
    QString sql;
    ValueType type = ValueType::Text;
    int places = 0; ///< for Decimal
};

/// A name whose value comes from outside the query, e.g. another file's record buffer or a
/// list's range reset value. `value` is called each time the parameters are bound.
struct Bound
{
    std::function<QVariant()> value;
    ValueType type = ValueType::Text; ///< Unknown: taken from the value when compiling
    int places = 0;                   ///< for Decimal
};

using Binding = std::variant<Column, Bound>;

/// Looks a name up; called with the name in upper case ("MUS:ARTIST"); nothing when unknown.
using Resolver = std::function<std::optional<Binding>(const QString &upperName)>;

/// One '?' of the compiled SQL: a constant from the filter text or a bound value.
struct Param
{
    Value constant; ///< used when `source.value` is empty
    Bound source;   ///< set for a bound value; its type is never Unknown
    bool isBound() const { return bool(source.value); }
    /// The value to bind now: bound values are read and lose their trailing blanks.
    Value current() const;
};

struct CompiledFilter
{
    QString sql;               ///< an SQL expression true for the records the filter selects
    std::vector<Param> params; ///< one per '?' in `sql`, in order
    Error error;               ///< set when the filter cannot be used; `sql` is then empty
    int errorPart = -1;        ///< compileAll(): the condition `error.position` refers to
    bool matchesAll = false;   ///< the filter was blank; `sql` is "1"

    bool ok() const { return !error.isError(); }
};

/// Compiles a filter text. Every literal and bound value becomes a parameter, so no text of the
/// filter ever reaches the SQL. Text comparisons are exact (case counts, trailing blanks do
/// not) through the collation MDXEXACT; functions compile to the mdx_* functions, so the
/// connection needs registerSqlFunctions(). Never throws.
CompiledFilter compile(QStringView text, const Resolver &resolver);
CompiledFilter compile(const Node &root, const Resolver &resolver);

/// Compiles conditions that must all hold, e.g. a list's range filter and the user's search.
/// Each is parsed on its own, so an unbalanced parenthesis in one cannot escape into another
/// (joining texts as "(" a ") AND (" b ")" lets b = "1) OR (1" undo a). Blank ones are skipped.
CompiledFilter compileAll(const QStringList &conditions, const Resolver &resolver);

/// Binds `params` to `stmt` from index `firstIndex` on, reading bound values now: texts as UTF-8,
/// exact numbers as their scaled int64, the rest as doubles. Returns the SQLite result code
/// (SQLITE_NOMEM or SQLITE_ERROR when reading a bound value fails).
int bind(sqlite3_stmt *stmt, int firstIndex, const std::vector<Param> &params);

} // namespace melodex::expr
