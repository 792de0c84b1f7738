// A view's filter on the server: the conditions PostgreSQL can test exactly as the SQLite engine
// does go into the page query; the rest are tested by the program on the rows read.
#pragma once

#include "platform/expr/ast.h"
#include "platform/expr/compiler.h"
#include "platform/expr/value.h"
#include "platform/store/cursor.h"
#include "platform/store/engine.h"
#include "platform/store/layout.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace melodex::pgstore {

class File;

class ServerFilter : public store::WalkFilter
{
public:
    /// Makes the filter of `root` over the fields of `layout`, whose columns `column` names;
    /// nullptr with `error` set when a name is unknown.
    static std::shared_ptr<ServerFilter> make(const expr::Node &root,
                                              const store::FilterResolver &resolver,
                                              const store::FileLayout &layout,
                                              const std::function<QString(int)> &column,
                                              QString &error);

    /// The server's part: a condition over the table's columns with '?' for each parameter
    /// (empty: the server narrows nothing).
    const QString &sql() const { return m_sql; }
    /// The parameters' values now (bound values are read at each call).
    std::vector<expr::Value> paramValues() const;
    /// True when the server's part is the whole filter: no row needs testing here.
    bool exact() const { return m_exact; }

    /// The values of the bound names, read once when a walk block starts.
    QHash<QString, expr::Value> boundValues() const;
    /// Whether the whole filter selects a row.
    bool selects(const store::Cursor::Row &row, const QHash<QString, expr::Value> &bound) const;

private:
    ServerFilter() = default;

    std::unique_ptr<expr::Node> m_root;
    const store::FileLayout *m_layout = nullptr;
    QHash<QString, store::FilterName> m_names; ///< every name of the tree, resolved
    QString m_sql;
    std::vector<expr::Param> m_params;
    bool m_exact = true;
};

/// How a field's value reads in the filter language.
expr::ValueType filterTypeOf(const store::FieldDef &def);

} // namespace melodex::pgstore
