// Compiles a filter to an SQLite boolean expression whose values are all bound parameters.
#include "platform/expr/compiler.h"

#include "platform/expr/builtins.h"
#include "platform/expr/parser.h"

#include <sqlite3.h>

#include <algorithm>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <new>

namespace melodex::expr {

namespace {

using Kind = Value::Kind;

// SQLite 3.40 parses with a fixed stack of 100 entries: it takes about 94 nested parentheses but
// only about 30 nested function calls. `Frag::stack` counts the entries each piece needs (measured
// within a few of SQLite's own count); the filter may use 72, leaving the rest to the statement
// the store wraps around it (a page query takes about 10).
constexpr int kSqlStackBudget = 72;
// SQLite refuses expression trees higher than 1000.
constexpr int kSqlTreeBudget = 500;
// Longest run of one operator written without inner parentheses; longer runs are grouped so a
// condition list of any length stays shallow for SQLite.
constexpr size_t kChainWidth = 16;
// SQLite allows 32766 parameters per statement; leave some for the store.
constexpr size_t kMaxParams = 30000;

// A compiled piece of SQL with its static type.
struct Frag
{
    QString sql;
    Kind kind = Kind::Number;
    int scale = 0;
    bool boolean = false; // known to be 0 or 1
    int stack = 1;        // SQLite parser stack entries needed to read `sql`
    int depth = 1;        // height of SQLite's expression tree for `sql`
    std::vector<Param> params;
    std::optional<Value> constant; // the piece is one constant parameter holding this
};

void appendParams(std::vector<Param> &to, std::vector<Param> &from)
{
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
}

Frag atom(QString sql, Kind kind, int scale = 0, int stack = 1)
{
    Frag f;
    f.sql = std::move(sql);
    f.kind = kind;
    f.scale = scale;
    f.stack = stack;
    return f;
}

Frag constant(Value v)
{
    Frag f = atom(QStringLiteral("?"), v.kind, v.kind == Kind::Number ? v.scale : 0);
    Param p;
    p.constant = v;
    f.params.push_back(std::move(p));
    f.constant = std::move(v);
    return f;
}

Frag call(const QString &function, std::vector<Frag> args, Kind kind, int scale = 0)
{
    Frag f = atom(function + u'(', kind, scale, 5);
    for (size_t i = 0; i < args.size(); ++i) {
        Frag &arg = args[i];
        if (i > 0)
            f.sql += QStringLiteral(", ");
        f.sql += arg.sql;
        f.stack = std::max(f.stack, (i == 0 ? 3 : 5) + arg.stack);
        f.depth = std::max(f.depth, arg.depth + 1);
        appendParams(f.params, arg.params);
    }
    f.sql += u')';
    return f;
}

Frag infix(Frag lhs, const QString &op, Frag rhs, Kind kind, int scale = 0)
{
    Frag f = atom(u'(' + lhs.sql + u' ' + op + u' ' + rhs.sql + u')', kind, scale);
    f.stack = std::max({1 + lhs.stack, 3 + rhs.stack, 4});
    f.depth = 1 + std::max(lhs.depth, rhs.depth);
    f.params = std::move(lhs.params);
    appendParams(f.params, rhs.params);
    return f;
}

// Text comparison with our exact collation, written on both operands. SQLite rewrites
// comparisons (an OR of equalities on one column becomes an IN lookup, a constant on the left is
// moved to the right) and keeps only the collation that stays with the column's side; a column
// without its own COLLATE falls back to its case-insensitive one.
Frag collated(Frag lhs, const QString &op, Frag rhs)
{
    const QString collate = QStringLiteral(" COLLATE MDXEXACT");
    Frag f =
        atom(u'(' + lhs.sql + collate + u' ' + op + u' ' + rhs.sql + collate + u')', Kind::Number);
    f.boolean = true;
    f.stack = std::max({3 + lhs.stack, 3 + rhs.stack, 6});
    f.depth = 2 + std::max(lhs.depth, rhs.depth);
    f.params = std::move(lhs.params);
    appendParams(f.params, rhs.params);
    return f;
}

Frag prefix(const QString &op, Frag operand, Kind kind, int scale = 0)
{
    Frag f = atom(u'(' + op + u' ' + operand.sql + u')', kind, scale);
    f.stack = std::max(2 + operand.stack, 3);
    f.depth = 1 + operand.depth;
    f.params = std::move(operand.params);
    return f;
}

Frag flatChain(const QString &op, std::vector<Frag> terms, Kind kind)
{
    if (terms.size() == 1)
        return std::move(terms.front());
    Frag f = atom(QStringLiteral("("), kind);
    int deepest = 0;
    for (size_t i = 0; i < terms.size(); ++i) {
        Frag &term = terms[i];
        if (i > 0)
            f.sql += u' ' + op + u' ';
        f.sql += term.sql;
        f.stack = std::max(f.stack, (i == 0 ? 1 : 3) + term.stack);
        deepest = std::max(deepest, term.depth);
        appendParams(f.params, term.params);
    }
    f.sql += u')';
    f.depth = int(terms.size()) - 1 + deepest;
    return f;
}

Frag chain(const QString &op, std::vector<Frag> terms, Kind kind)
{
    while (terms.size() > kChainWidth) {
        std::vector<Frag> groups;
        for (size_t i = 0; i < terms.size(); i += kChainWidth) {
            const size_t end = std::min(terms.size(), i + kChainWidth);
            std::vector<Frag> run(std::make_move_iterator(terms.begin() + qsizetype(i)),
                                  std::make_move_iterator(terms.begin() + qsizetype(end)));
            groups.push_back(flatChain(op, std::move(run), kind));
        }
        terms = std::move(groups);
    }
    return flatChain(op, std::move(terms), kind);
}

QString tenTo(int n)
{
    return QString::number(powerOfTen(n));
}

Frag asText(Frag f)
{
    if (f.kind == Kind::Text)
        return f;
    if (f.constant)
        return constant(Value::fromText(toText(*f.constant)));
    const int scale = f.kind == Kind::Number ? f.scale : 0;
    std::vector<Frag> args;
    args.push_back(std::move(f));
    args.push_back(atom(QString::number(scale), Kind::Number));
    return call(QStringLiteral("mdx_text"), std::move(args), Kind::Text);
}

Frag asReal(Frag f)
{
    if (f.kind == Kind::Real)
        return f;
    if (f.constant)
        return constant(Value::fromReal(toReal(*f.constant)));
    if (f.kind == Kind::Text) {
        std::vector<Frag> args;
        args.push_back(std::move(f));
        return call(QStringLiteral("mdx_num"), std::move(args), Kind::Real);
    }
    if (f.scale == 0) {
        Frag cast = atom(QStringLiteral("CAST(") + f.sql + QStringLiteral(" AS REAL)"), Kind::Real);
        cast.stack = std::max(2 + f.stack, 6);
        cast.depth = 1 + f.depth;
        cast.params = std::move(f.params);
        return cast;
    }
    Frag divisor = atom(tenTo(f.scale) + QStringLiteral(".0"), Kind::Real);
    return infix(std::move(f), QStringLiteral("/"), std::move(divisor), Kind::Real);
}

// An exact number at a larger scale, saturating at the 64-bit limits as all exact arithmetic
// does (SQLite's own "*" would turn an overflow into floating point).
Frag asScaled(Frag f, int scale)
{
    if (f.scale == scale)
        return f;
    const qint64 factor = powerOfTen(scale - f.scale);
    if (f.constant)
        return constant(Value::fromNumber(saturatingMul(f.constant->scaled, factor), scale));
    std::vector<Frag> args;
    args.push_back(std::move(f));
    args.push_back(atom(QString::number(factor), Kind::Number));
    Frag scaled = call(QStringLiteral("mdx_times"), std::move(args), Kind::Number, scale);
    return scaled;
}

// True when `f` can be brought to `scale` without leaving the 64-bit range: a constant that
// fits, or anything already at that scale.
bool fitsScale(const Frag &f, int scale)
{
    if (f.scale == scale)
        return true;
    qint64 rescaled = 0;
    return f.constant &&
           !__builtin_mul_overflow(f.constant->scaled, powerOfTen(scale - f.scale), &rescaled);
}

Frag asInteger(Frag f)
{
    if (f.kind == Kind::Number && f.scale == 0)
        return f;
    if (f.constant)
        return constant(Value::fromNumber(toInteger(*f.constant)));
    if (f.kind == Kind::Number) {
        Frag divisor = atom(tenTo(f.scale), Kind::Number);
        return infix(std::move(f), QStringLiteral("/"), std::move(divisor), Kind::Number);
    }
    if (f.kind == Kind::Text)
        f = asReal(std::move(f));
    std::vector<Frag> args;
    args.push_back(std::move(f));
    return call(QStringLiteral("mdx_int"), std::move(args), Kind::Number);
}

Frag truth(Frag f)
{
    if (f.boolean)
        return f;
    if (f.constant)
        return constant(Value::fromBool(isTrue(*f.constant)));
    Frag result;
    switch (f.kind) {
    case Kind::Text:
        result =
            collated(std::move(f), QStringLiteral("<>"), atom(QStringLiteral("''"), Kind::Text));
        break;
    case Kind::Number:
        result = infix(std::move(f), QStringLiteral("<>"), atom(QStringLiteral("0"), Kind::Number),
                       Kind::Number);
        break;
    case Kind::Real:
        result = infix(std::move(f), QStringLiteral("<>"), atom(QStringLiteral("0.0"), Kind::Real),
                       Kind::Number);
        break;
    }
    result.boolean = true;
    return result;
}

struct StaticType
{
    Kind kind;
    int scale;
};

std::optional<StaticType> staticType(ValueType type, int places)
{
    switch (type) {
    case ValueType::Text:
        return StaticType{Kind::Text, 0};
    case ValueType::Integer:
    case ValueType::Date:
    case ValueType::Time:
        return StaticType{Kind::Number, 0};
    case ValueType::Decimal:
        if (places < 0 || places > 18)
            return std::nullopt;
        return StaticType{Kind::Number, places};
    case ValueType::Real:
        return StaticType{Kind::Real, 0};
    case ValueType::Unknown:
        break;
    }
    return std::nullopt;
}

// Parser stack entries a column reference takes: each name and each dot is a token.
int columnStack(const QString &sql)
{
    return 1 + 2 * int(sql.count(u'.') + sql.count(u'('));
}

class Compiler
{
public:
    explicit Compiler(const Resolver &resolver) : m_resolver(resolver) {}

    std::optional<Frag> compile(const Node &node)
    {
        std::optional<Frag> f = compileNode(node);
        if (!f)
            return std::nullopt;
        if (f->stack > kSqlStackBudget || f->depth > kSqlTreeBudget)
            return fail(QStringLiteral("The filter is nested too deeply for the database"),
                        node.position);
        if (f->params.size() > kMaxParams)
            return fail(QStringLiteral("The filter holds too many values"), node.position);
        return f;
    }

    const Error &error() const { return m_error; }

private:
    std::nullopt_t fail(const QString &message, qsizetype position)
    {
        if (!m_error.isError()) {
            m_error.message = message;
            m_error.position = position;
        }
        return std::nullopt;
    }

    // Compiles every child, stopping at the first error.
    std::optional<std::vector<Frag>> compileChildren(const Node &node)
    {
        std::vector<Frag> frags;
        for (const auto &child : node.children) {
            std::optional<Frag> f = compile(*child);
            if (!f)
                return std::nullopt;
            frags.push_back(std::move(*f));
        }
        return frags;
    }

    std::optional<Frag> compileNode(const Node &node)
    {
        switch (node.kind) {
        case Node::Kind::Text:
            return constant(Value::fromText(node.text));
        case Node::Kind::Number:
            return constant(node.number);
        case Node::Kind::Name:
            return compileName(node);
        default:
            break;
        }
        auto children = compileChildren(node);
        if (!children)
            return std::nullopt;
        std::vector<Frag> &args = *children;
        switch (node.kind) {
        case Node::Kind::Call:
            return compileCall(node, std::move(args));
        case Node::Kind::Negate:
            return negate(std::move(args[0]));
        case Node::Kind::Not: {
            Frag f = prefix(QStringLiteral("NOT"), truth(std::move(args[0])), Kind::Number);
            f.boolean = true;
            return f;
        }
        case Node::Kind::And:
        case Node::Kind::Or: {
            std::vector<Frag> terms;
            for (Frag &arg : args)
                terms.push_back(truth(std::move(arg)));
            Frag f =
                chain(node.kind == Node::Kind::And ? QStringLiteral("AND") : QStringLiteral("OR"),
                      std::move(terms), Kind::Number);
            f.boolean = true;
            return f;
        }
        case Node::Kind::Concat: {
            std::vector<Frag> terms;
            for (Frag &arg : args)
                terms.push_back(asText(std::move(arg)));
            return chain(QStringLiteral("||"), std::move(terms), Kind::Text);
        }
        case Node::Kind::Compare:
            return comparison(node.op, std::move(args[0]), std::move(args[1]));
        case Node::Kind::Arithmetic:
            return arithmetic(node.op, std::move(args[0]), std::move(args[1]));
        default:
            break;
        }
        return fail(QStringLiteral("Unsupported expression"), node.position);
    }

    std::optional<Frag> compileName(const Node &node)
    {
        const QString name = node.text.toUpper();
        auto cached = m_names.find(name);
        if (cached == m_names.end()) {
            std::optional<Binding> binding;
            if (m_resolver)
                binding = m_resolver(name);
            cached = m_names.emplace(name, std::move(binding)).first;
        }
        if (!cached->second)
            return fail(QStringLiteral("Unknown name %1").arg(node.text), node.position);

        if (const auto *column = std::get_if<Column>(&*cached->second)) {
            const auto type = staticType(column->type, column->places);
            if (!type)
                return fail(QStringLiteral("The field %1 has no usable type").arg(node.text),
                            node.position);
            return atom(column->sql, type->kind, type->scale, columnStack(column->sql));
        }

        Bound bound = std::get<Bound>(*cached->second);
        if (bound.type == ValueType::Unknown) {
            bound.type = bound.value ? typeOf(bound.value()) : ValueType::Text;
            bound.places = 0;
        }
        if (!bound.value)
            bound.value = [] { return QVariant(); };
        const auto type = staticType(bound.type, bound.places);
        if (!type)
            return fail(QStringLiteral("The variable %1 has no usable type").arg(node.text),
                        node.position);
        Frag f = atom(QStringLiteral("?"), type->kind, type->scale);
        Param p;
        p.source = std::move(bound);
        f.params.push_back(std::move(p));
        return f;
    }

    static Frag negate(Frag f)
    {
        if (f.constant) {
            const Value &v = *f.constant;
            if (v.kind == Kind::Number)
                return constant(Value::fromNumber(saturatingSub(0, v.scaled), v.scale));
            return constant(Value::fromReal(-toReal(v)));
        }
        if (f.kind == Kind::Text)
            f = asReal(std::move(f));
        const Kind kind = f.kind;
        const int scale = f.scale;
        if (kind == Kind::Number) {
            // SQLite's "-" turns the negation of the smallest int64 into floating point.
            std::vector<Frag> args;
            args.push_back(atom(QStringLiteral("0"), Kind::Number));
            args.push_back(std::move(f));
            return call(QStringLiteral("mdx_minus"), std::move(args), kind, scale);
        }
        return prefix(QStringLiteral("-"), std::move(f), kind, scale);
    }

    static Frag comparison(Node::Op op, Frag lhs, Frag rhs)
    {
        const QString sqlOp = operatorText(op);
        if (lhs.kind == Kind::Text && rhs.kind == Kind::Text)
            return collated(std::move(lhs), sqlOp, std::move(rhs));
        Frag f;
        if (lhs.kind == Kind::Number && rhs.kind == Kind::Number) {
            const int scale = std::max(lhs.scale, rhs.scale);
            if (fitsScale(lhs, scale) && fitsScale(rhs, scale)) {
                f = infix(asScaled(std::move(lhs), scale), sqlOp, asScaled(std::move(rhs), scale),
                          Kind::Number);
            } else {
                // Rescaling could overflow: compare the exact values instead.
                const int lhsPlaces = scale - lhs.scale;
                const int rhsPlaces = scale - rhs.scale;
                std::vector<Frag> args;
                args.push_back(std::move(lhs));
                args.push_back(atom(QString::number(lhsPlaces), Kind::Number));
                args.push_back(std::move(rhs));
                args.push_back(atom(QString::number(rhsPlaces), Kind::Number));
                f = infix(call(QStringLiteral("mdx_cmp"), std::move(args), Kind::Number), sqlOp,
                          atom(QStringLiteral("0"), Kind::Number), Kind::Number);
            }
        } else {
            f = infix(asReal(std::move(lhs)), sqlOp, asReal(std::move(rhs)), Kind::Number);
        }
        f.boolean = true;
        return f;
    }

    static Frag arithmetic(Node::Op op, Frag lhs, Frag rhs)
    {
        const QString sqlOp = operatorText(op);
        const bool exact = lhs.kind == Kind::Number && rhs.kind == Kind::Number;
        switch (op) {
        case Node::Op::Add:
        case Node::Op::Sub:
            if (exact) {
                const int scale = std::max(lhs.scale, rhs.scale);
                std::vector<Frag> args;
                args.push_back(asScaled(std::move(lhs), scale));
                args.push_back(asScaled(std::move(rhs), scale));
                return call(op == Node::Op::Add ? QStringLiteral("mdx_plus")
                                                : QStringLiteral("mdx_minus"),
                            std::move(args), Kind::Number, scale);
            }
            break;
        case Node::Op::Mul:
            if (exact && lhs.scale + rhs.scale <= kMaxScale) {
                const int scale = lhs.scale + rhs.scale;
                std::vector<Frag> args;
                args.push_back(std::move(lhs));
                args.push_back(std::move(rhs));
                return call(QStringLiteral("mdx_times"), std::move(args), Kind::Number, scale);
            }
            break;
        case Node::Op::Div: {
            // SQLite yields NULL for a division by zero; the language yields 0.
            std::vector<Frag> args;
            args.push_back(
                infix(asReal(std::move(lhs)), sqlOp, asReal(std::move(rhs)), Kind::Real));
            args.push_back(atom(QStringLiteral("0.0"), Kind::Real));
            return call(QStringLiteral("IFNULL"), std::move(args), Kind::Real);
        }
        default:
            break;
        }
        return infix(asReal(std::move(lhs)), sqlOp, asReal(std::move(rhs)), Kind::Real);
    }

    static Frag unary(const QString &function, Frag arg, Kind kind, int scale = 0)
    {
        std::vector<Frag> args;
        args.push_back(std::move(arg));
        return call(function, std::move(args), kind, scale);
    }

    std::optional<Frag> compileCall(const Node &node, std::vector<Frag> args)
    {
        std::vector<Frag> sqlArgs;
        switch (node.function) {
        case Function::Upper:
            return unary(QStringLiteral("mdx_upper"), asText(std::move(args[0])), Kind::Text);
        case Function::Lower:
            return unary(QStringLiteral("mdx_lower"), asText(std::move(args[0])), Kind::Text);
        case Function::Clip:
            return unary(QStringLiteral("mdx_clip"), asText(std::move(args[0])), Kind::Text);
        case Function::Len:
            return unary(QStringLiteral("mdx_len"), asText(std::move(args[0])), Kind::Number);
        case Function::Sub:
            sqlArgs.push_back(asText(std::move(args[0])));
            sqlArgs.push_back(asInteger(std::move(args[1])));
            sqlArgs.push_back(asInteger(std::move(args[2])));
            return call(QStringLiteral("mdx_sub"), std::move(sqlArgs), Kind::Text);
        case Function::Left:
        case Function::Right:
            sqlArgs.push_back(asText(std::move(args[0])));
            sqlArgs.push_back(asInteger(std::move(args[1])));
            return call(node.function == Function::Left ? QStringLiteral("mdx_left")
                                                        : QStringLiteral("mdx_right"),
                        std::move(sqlArgs), Kind::Text);
        case Function::InString:
            sqlArgs.push_back(asText(std::move(args[0])));
            sqlArgs.push_back(asText(std::move(args[1])));
            for (size_t i = 2; i < 4; ++i) {
                sqlArgs.push_back(i < args.size() ? asInteger(std::move(args[i]))
                                                  : atom(QStringLiteral("1"), Kind::Number));
            }
            return call(QStringLiteral("mdx_instring"), std::move(sqlArgs), Kind::Number);
        case Function::Int:
            return asInteger(std::move(args[0]));
        case Function::Abs: {
            Frag arg = args[0].kind == Kind::Text ? asReal(std::move(args[0])) : std::move(args[0]);
            const Kind kind = arg.kind;
            const int scale = arg.scale;
            return unary(QStringLiteral("mdx_abs"), std::move(arg), kind, scale);
        }
        case Function::Val:
            return asReal(std::move(args[0]));
        case Function::Numeric: {
            // A number is numeric; mdx_isnum says so too, and its argument keeps the parameters.
            Frag f = unary(QStringLiteral("mdx_isnum"), std::move(args[0]), Kind::Number);
            f.boolean = true;
            return f;
        }
        case Function::Month:
            return unary(QStringLiteral("mdx_month"), asInteger(std::move(args[0])), Kind::Number);
        case Function::Day:
            return unary(QStringLiteral("mdx_day"), asInteger(std::move(args[0])), Kind::Number);
        case Function::Year:
            return unary(QStringLiteral("mdx_year"), asInteger(std::move(args[0])), Kind::Number);
        case Function::Date:
            for (Frag &arg : args)
                sqlArgs.push_back(asInteger(std::move(arg)));
            return call(QStringLiteral("mdx_date"), std::move(sqlArgs), Kind::Number);
        case Function::Today: {
            // Read when the statement is bound, like any bound value: it is no constant.
            Frag f = atom(QStringLiteral("?"), Kind::Number);
            Param p;
            p.source.value = [] { return QVariant(today()); };
            p.source.type = ValueType::Integer;
            f.params.push_back(std::move(p));
            return f;
        }
        }
        return fail(QStringLiteral("Unknown function %1").arg(node.text), node.position);
    }

    const Resolver &m_resolver;
    std::map<QString, std::optional<Binding>> m_names;
    Error m_error;
};

} // namespace

Value Param::current() const
{
    if (!isBound())
        return constant;
    return fromVariant(source.value(), source.type, source.places);
}

CompiledFilter compile(QStringView text, const Resolver &resolver)
{
    ParseResult parsed = parse(text);
    CompiledFilter result;
    if (!parsed.ok()) {
        result.error = parsed.error;
        return result;
    }
    if (!parsed.root) {
        result.sql = QStringLiteral("1");
        result.matchesAll = true;
        return result;
    }
    return compile(*parsed.root, resolver);
}

namespace {

CompiledFilter compileTree(const Node &root, const Resolver &resolver)
{
    CompiledFilter result;
    Compiler compiler(resolver);
    std::optional<Frag> f = compiler.compile(root);
    if (f) {
        Frag condition = truth(std::move(*f));
        if (condition.stack > kSqlStackBudget || condition.depth > kSqlTreeBudget) {
            result.error.message =
                QStringLiteral("The filter is nested too deeply for the database");
            result.error.position = root.position;
            return result;
        }
        result.sql = std::move(condition.sql);
        result.params = std::move(condition.params);
        return result;
    }
    result.error = compiler.error();
    if (!result.error.isError())
        result.error.message = QStringLiteral("The filter cannot be compiled");
    return result;
}

CompiledFilter unexpectedFailure()
{
    CompiledFilter result;
    result.error.message = QStringLiteral("The filter could not be compiled");
    return result;
}

} // namespace

CompiledFilter compile(const Node &root, const Resolver &resolver)
{
    try {
        return compileTree(root, resolver);
    } catch (...) {
        return unexpectedFailure();
    }
}

CompiledFilter compileAll(const QStringList &conditions, const Resolver &resolver)
{
    try {
        auto all = std::make_unique<Node>();
        all->kind = Node::Kind::And;
        for (int i = 0; i < int(conditions.size()); ++i) {
            ParseResult parsed = parse(conditions[i]);
            if (!parsed.ok()) {
                CompiledFilter result;
                result.error = parsed.error;
                result.errorPart = i;
                return result;
            }
            if (parsed.root) {
                all->height = std::max(all->height, parsed.root->height + 1);
                all->children.push_back(std::move(parsed.root));
            }
        }
        if (all->children.empty())
            return compile(QStringView(), resolver);
        const Node &root = all->children.size() == 1 ? *all->children.front() : *all;
        return compileTree(root, resolver);
    } catch (...) {
        return unexpectedFailure();
    }
}

int bind(sqlite3_stmt *stmt, int firstIndex, const std::vector<Param> &params)
{
    int index = firstIndex;
    for (const Param &param : params) {
        Value v;
        try {
            v = param.current();
        } catch (const std::bad_alloc &) {
            return SQLITE_NOMEM;
        } catch (...) {
            return SQLITE_ERROR;
        }
        int rc = SQLITE_OK;
        switch (v.kind) {
        case Kind::Text: {
            const QByteArray utf8 = v.text.toUtf8();
            rc = sqlite3_bind_text64(stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        case Kind::Number:
            rc = sqlite3_bind_int64(stmt, index, v.scaled);
            break;
        case Kind::Real:
            rc = sqlite3_bind_double(stmt, index, v.real);
            break;
        }
        if (rc != SQLITE_OK)
            return rc;
        ++index;
    }
    return SQLITE_OK;
}

} // namespace melodex::expr
