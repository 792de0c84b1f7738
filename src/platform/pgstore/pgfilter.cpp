// A view's filter on the server. Text comparisons of the filter language are exact (byte order
// of UTF-8, trailing blanks never count): stored texts hold no trailing blanks and parameters
// lose theirs, so `COLLATE "C"` compares them as the SQLite engine's MDXEXACT does. Exact numbers
// at different scales compare as numeric, which never overflows. Everything else (functions,
// arithmetic, texts mixed with numbers, another file's fields) is left to the program.
#include "platform/pgstore/pgfilter.h"

#include "platform/expr/evaluator.h"

namespace melodex::pgstore {

namespace {

using Kind = expr::Value::Kind;
using Node = expr::Node;

// Stands for a parameter in the SQL until the page query numbers them.
constexpr QChar kMark(0x1F);

struct Frag
{
    QString sql;
    Kind kind = Kind::Number;
    int scale = 0;
    bool boolean = false;
    std::vector<expr::Param> params;
};

std::unique_ptr<Node> clone(const Node &node)
{
    auto out = std::make_unique<Node>();
    out->kind = node.kind;
    out->position = node.position;
    out->text = node.text;
    out->number = node.number;
    out->op = node.op;
    out->function = node.function;
    out->height = node.height;
    for (const auto &child : node.children)
        out->children.push_back(clone(*child));
    return out;
}

// Every name of the tree, so that unknown names fail as the compiler fails them.
bool collectNames(const Node &node, const store::FilterResolver &resolver,
                  QHash<QString, store::FilterName> &names, QString &error)
{
    if (node.kind == Node::Kind::Name) {
        const QString upper = node.text.toUpper();
        if (!names.contains(upper)) {
            std::optional<store::FilterName> name = resolver ? resolver(upper) : std::nullopt;
            if (!name) {
                error = QStringLiteral("Unknown name %1").arg(node.text);
                return false;
            }
            if (name->field < 0) {
                expr::Bound &b = name->bound;
                if (!b.value)
                    b.value = [] { return QVariant(); };
                if (b.type == expr::ValueType::Unknown) {
                    b.type = expr::typeOf(b.value());
                    b.places = 0;
                }
            }
            names.insert(upper, *name);
        }
    }
    for (const auto &child : node.children)
        if (!collectNames(*child, resolver, names, error))
            return false;
    return true;
}

std::optional<std::pair<Kind, int>> kindOf(expr::ValueType type, int places)
{
    switch (type) {
    case expr::ValueType::Text:
        return std::pair{Kind::Text, 0};
    case expr::ValueType::Integer:
    case expr::ValueType::Date:
    case expr::ValueType::Time:
        return std::pair{Kind::Number, 0};
    case expr::ValueType::Decimal:
        if (places < 0 || places > 18)
            return std::nullopt;
        return std::pair{Kind::Number, places};
    default:
        return std::nullopt;
    }
}

class Emitter
{
public:
    Emitter(const QHash<QString, store::FilterName> &names, const store::FileLayout &layout,
            const std::function<QString(int)> &column)
        : m_names(names), m_layout(layout), m_column(column)
    {
    }

    bool exact = true;

    /// A condition; with `partial`, the terms of an AND the server cannot test are left out
    /// (and `exact` cleared) instead of failing the whole.
    std::optional<Frag> condition(const Node &node, bool partial)
    {
        if (node.kind == Node::Kind::And) {
            std::vector<Frag> terms;
            for (const auto &child : node.children) {
                std::optional<Frag> f = condition(*child, partial);
                if (!f) {
                    if (!partial)
                        return std::nullopt;
                    exact = false;
                    continue;
                }
                terms.push_back(std::move(*f));
            }
            return join(QStringLiteral(" AND "), std::move(terms));
        }
        if (node.kind == Node::Kind::Or) {
            std::vector<Frag> terms;
            for (const auto &child : node.children) {
                std::optional<Frag> f = condition(*child, false);
                if (!f)
                    return std::nullopt;
                terms.push_back(std::move(*f));
            }
            return join(QStringLiteral(" OR "), std::move(terms));
        }
        if (node.kind == Node::Kind::Not) {
            std::optional<Frag> f = condition(*node.children[0], false);
            if (!f)
                return std::nullopt;
            f->sql = QStringLiteral("(NOT ") + f->sql + u')';
            return f;
        }
        std::optional<Frag> f = value(node);
        if (!f)
            return std::nullopt;
        return truth(std::move(*f));
    }

private:
    static std::optional<Frag> join(const QString &op, std::vector<Frag> terms)
    {
        if (terms.empty())
            return std::nullopt;
        Frag out;
        out.boolean = true;
        QStringList parts;
        for (Frag &t : terms) {
            parts << t.sql;
            out.params.insert(out.params.end(), t.params.begin(), t.params.end());
        }
        out.sql = u'(' + parts.join(op) + u')';
        return out;
    }

    static Frag truth(Frag f)
    {
        if (f.boolean)
            return f;
        f.sql = u'(' + f.sql +
                (f.kind == Kind::Text ? QStringLiteral(" <> '')") : QStringLiteral(" <> 0)"));
        f.boolean = true;
        return f;
    }

    static Frag param(expr::Param p, Kind kind, int scale)
    {
        Frag f;
        f.sql = kind == Kind::Text ? kMark + QStringLiteral("::text")
                                   : kMark + QStringLiteral("::bigint");
        f.kind = kind;
        f.scale = scale;
        f.params.push_back(std::move(p));
        return f;
    }

    std::optional<Frag> value(const Node &node)
    {
        switch (node.kind) {
        case Node::Kind::Text: {
            // Trailing blanks never count in a comparison, and stored texts hold none.
            QString text = node.text;
            while (text.endsWith(u' '))
                text.chop(1);
            expr::Param p;
            p.constant = expr::Value::fromText(text);
            return param(std::move(p), Kind::Text, 0);
        }
        case Node::Kind::Number: {
            if (node.number.kind != Kind::Number)
                return std::nullopt;
            expr::Param p;
            p.constant = node.number;
            return param(std::move(p), Kind::Number, node.number.scale);
        }
        case Node::Kind::Name:
            return name(node);
        case Node::Kind::Compare:
            return compare(node);
        default:
            return std::nullopt;
        }
    }

    std::optional<Frag> name(const Node &node)
    {
        const store::FilterName &n = m_names.value(node.text.toUpper());
        if (n.field >= 0) {
            const store::FieldDef &def = m_layout.fields[size_t(n.field)];
            const auto kind = kindOf(filterTypeOf(def), def.places);
            if (!kind)
                return std::nullopt;
            Frag f;
            f.sql = m_column(n.field);
            f.kind = kind->first;
            f.scale = kind->second;
            return f;
        }
        const auto kind = kindOf(n.bound.type, n.bound.places);
        if (!kind)
            return std::nullopt;
        expr::Param p;
        p.source = n.bound;
        return param(std::move(p), kind->first, kind->second);
    }

    std::optional<Frag> compare(const Node &node)
    {
        std::optional<Frag> lhs = value(*node.children[0]);
        std::optional<Frag> rhs = value(*node.children[1]);
        if (!lhs || !rhs || lhs->boolean || rhs->boolean || lhs->kind != rhs->kind)
            return std::nullopt;
        const QString op = expr::operatorText(node.op);
        Frag f;
        f.boolean = true;
        if (lhs->kind == Kind::Text) {
            f.sql = QStringLiteral("(%1 COLLATE \"C\" %2 %3 COLLATE \"C\")")
                        .arg(lhs->sql, op, rhs->sql);
        } else if (lhs->scale == rhs->scale) {
            f.sql = QStringLiteral("(%1 %2 %3)").arg(lhs->sql, op, rhs->sql);
        } else {
            // Different decimal places: compare the exact amounts.
            f.sql = QStringLiteral("(%1::numeric / %2 %3 %4::numeric / %5)")
                        .arg(lhs->sql, QString::number(expr::powerOfTen(lhs->scale)), op, rhs->sql,
                             QString::number(expr::powerOfTen(rhs->scale)));
        }
        f.params = std::move(lhs->params);
        f.params.insert(f.params.end(), rhs->params.begin(), rhs->params.end());
        return f;
    }

    const QHash<QString, store::FilterName> &m_names;
    const store::FileLayout &m_layout;
    const std::function<QString(int)> &m_column;
};

} // namespace

expr::ValueType filterTypeOf(const store::FieldDef &def)
{
    switch (def.type) {
    case store::FieldType::Text:
    case store::FieldType::Memo:
        return expr::ValueType::Text;
    case store::FieldType::Decimal:
        return expr::ValueType::Decimal;
    case store::FieldType::Date:
        return expr::ValueType::Date;
    case store::FieldType::Time:
        return expr::ValueType::Time;
    default:
        return expr::ValueType::Integer;
    }
}

std::shared_ptr<ServerFilter> ServerFilter::make(const expr::Node &root,
                                                 const store::FilterResolver &resolver,
                                                 const store::FileLayout &layout,
                                                 const std::function<QString(int)> &column,
                                                 QString &error)
{
    std::shared_ptr<ServerFilter> f(new ServerFilter);
    if (!collectNames(root, resolver, f->m_names, error))
        return nullptr;
    f->m_root = clone(root);
    f->m_layout = &layout;
    Emitter emitter(f->m_names, layout, column);
    if (std::optional<Frag> sql = emitter.condition(root, true)) {
        f->m_sql = sql->sql;
        f->m_params = std::move(sql->params);
        f->m_exact = emitter.exact;
    } else {
        f->m_exact = false;
    }
    return f;
}

std::vector<expr::Value> ServerFilter::paramValues() const
{
    std::vector<expr::Value> out;
    out.reserve(m_params.size());
    for (const expr::Param &p : m_params)
        out.push_back(p.current());
    return out;
}

QHash<QString, expr::Value> ServerFilter::boundValues() const
{
    QHash<QString, expr::Value> out;
    for (auto it = m_names.cbegin(); it != m_names.cend(); ++it)
        if (it->field < 0)
            out.insert(it.key(),
                       expr::fromVariant(it->bound.value(), it->bound.type, it->bound.places));
    return out;
}

bool ServerFilter::selects(const store::Cursor::Row &row,
                           const QHash<QString, expr::Value> &bound) const
{
    const expr::ValueGetter getter = [&](const QString &upper) -> std::optional<expr::Value> {
        const auto it = m_names.constFind(upper);
        if (it == m_names.cend())
            return std::nullopt;
        if (it->field < 0)
            return bound.value(upper);
        const store::FieldDef &def = m_layout->fields[size_t(it->field)];
        return expr::fromVariant(row.values[size_t(it->field)], filterTypeOf(def), def.places);
    };
    return expr::evaluate(*m_root, getter).selects();
}

} // namespace melodex::pgstore
