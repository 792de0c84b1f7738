// Evaluates a filter's syntax tree directly in C++, with the same results as its compiled SQL.
#include "platform/expr/evaluator.h"

#include "platform/expr/builtins.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <vector>

namespace melodex::expr {

namespace {

using Kind = Value::Kind;

int compareValues(const Value &a, const Value &b)
{
    if (a.kind == Kind::Text && b.kind == Kind::Text)
        return compareText(a.text, b.text);
    if (a.kind == Kind::Number && b.kind == Kind::Number) {
        const int scale = std::max(a.scale, b.scale);
        return compareScaled(a.scaled, scale - a.scale, b.scaled, scale - b.scale);
    }
    const double lhs = toReal(a);
    const double rhs = toReal(b);
    return lhs < rhs ? -1 : (lhs > rhs ? 1 : 0);
}

bool holds(Node::Op op, int order)
{
    switch (op) {
    case Node::Op::Eq:
        return order == 0;
    case Node::Op::Ne:
        return order != 0;
    case Node::Op::Lt:
        return order < 0;
    case Node::Op::Le:
        return order <= 0;
    case Node::Op::Gt:
        return order > 0;
    case Node::Op::Ge:
        return order >= 0;
    default:
        return false;
    }
}

// Exact arithmetic on scaled numbers, saturating at the 64-bit limits; nothing when a product
// would need more places than an exact number keeps.
std::optional<Value> exactArithmetic(Node::Op op, const Value &a, const Value &b)
{
    if (op == Node::Op::Mul) {
        if (a.scale + b.scale > kMaxScale)
            return std::nullopt;
        return Value::fromNumber(saturatingMul(a.scaled, b.scaled), a.scale + b.scale);
    }
    const int scale = std::max(a.scale, b.scale);
    const qint64 lhs = saturatingMul(a.scaled, powerOfTen(scale - a.scale));
    const qint64 rhs = saturatingMul(b.scaled, powerOfTen(scale - b.scale));
    return Value::fromNumber(
        op == Node::Op::Add ? saturatingAdd(lhs, rhs) : saturatingSub(lhs, rhs), scale);
}

Value arithmetic(Node::Op op, const Value &a, const Value &b)
{
    if (a.kind == Kind::Number && b.kind == Kind::Number && op != Node::Op::Div) {
        if (auto exact = exactArithmetic(op, a, b))
            return *exact;
    }
    const double lhs = toReal(a);
    const double rhs = toReal(b);
    switch (op) {
    case Node::Op::Add:
        return Value::fromReal(lhs + rhs);
    case Node::Op::Sub:
        return Value::fromReal(lhs - rhs);
    case Node::Op::Mul:
        return Value::fromReal(lhs * rhs);
    case Node::Op::Div: {
        // SQLite answers NULL for a division by zero or a NaN result; the language gives 0.
        if (rhs == 0)
            return Value::fromReal(0);
        const double quotient = lhs / rhs;
        return Value::fromReal(std::isnan(quotient) ? 0 : quotient);
    }
    default:
        return Value::fromReal(0);
    }
}

Value negate(const Value &v)
{
    if (v.kind == Kind::Number)
        return Value::fromNumber(saturatingSub(0, v.scaled), v.scale);
    return Value::fromReal(-toReal(v));
}

Value absolute(const Value &v)
{
    if (v.kind == Kind::Number)
        return Value::fromNumber(v.scaled < 0 ? saturatingSub(0, v.scaled) : v.scaled, v.scale);
    return Value::fromReal(std::fabs(toReal(v)));
}

Value callFunction(Function function, const std::vector<Value> &args)
{
    auto integerArg = [&args](size_t i, qint64 missing) {
        return i < args.size() ? toInteger(args[i]) : missing;
    };
    switch (function) {
    case Function::Upper:
        return Value::fromText(upper(toText(args[0])));
    case Function::Lower:
        return Value::fromText(lower(toText(args[0])));
    case Function::Clip:
        return Value::fromText(clip(toText(args[0])));
    case Function::Len:
        return Value::fromNumber(length(toText(args[0])));
    case Function::Sub:
        return Value::fromText(sub(toText(args[0]), integerArg(1, 0), integerArg(2, 0)));
    case Function::Left:
        return Value::fromText(left(toText(args[0]), integerArg(1, 0)));
    case Function::Right:
        return Value::fromText(right(toText(args[0]), integerArg(1, 0)));
    case Function::InString:
        return Value::fromNumber(
            inString(toText(args[0]), toText(args[1]), integerArg(2, 1), integerArg(3, 1)));
    case Function::Int:
        return Value::fromNumber(toInteger(args[0]));
    case Function::Abs:
        return absolute(args[0]);
    case Function::Val:
        return Value::fromReal(toReal(args[0]));
    case Function::Numeric:
        return Value::fromBool(args[0].kind != Kind::Text || isNumericText(args[0].text));
    case Function::Month:
        return Value::fromNumber(monthOf(toInteger(args[0])));
    case Function::Day:
        return Value::fromNumber(dayOf(toInteger(args[0])));
    case Function::Year:
        return Value::fromNumber(yearOf(toInteger(args[0])));
    case Function::Date:
        return Value::fromNumber(makeDate(integerArg(0, 0), integerArg(1, 0), integerArg(2, 0)));
    case Function::Today:
        return Value::fromNumber(today());
    }
    return Value::fromNumber(0);
}

class Evaluator
{
public:
    explicit Evaluator(const ValueGetter &getter) : m_getter(getter) {}

    std::optional<Value> eval(const Node &node)
    {
        switch (node.kind) {
        case Node::Kind::Text:
            return Value::fromText(node.text);
        case Node::Kind::Number:
            return node.number;
        case Node::Kind::Name: {
            std::optional<Value> v;
            if (m_getter)
                v = m_getter(node.text.toUpper());
            if (!v)
                return fail(QStringLiteral("Unknown name %1").arg(node.text), node.position);
            return v;
        }
        default:
            break;
        }

        // Every operand is evaluated, even past a decided AND or OR, so an unknown name
        // anywhere is reported as the compiler would report it.
        std::vector<Value> args;
        for (const auto &child : node.children) {
            std::optional<Value> v = eval(*child);
            if (!v)
                return std::nullopt;
            args.push_back(std::move(*v));
        }
        switch (node.kind) {
        case Node::Kind::Call:
            return callFunction(node.function, args);
        case Node::Kind::Negate:
            return negate(args[0]);
        case Node::Kind::Not:
            return Value::fromBool(!isTrue(args[0]));
        case Node::Kind::And:
            return Value::fromBool(std::all_of(args.begin(), args.end(), isTrue));
        case Node::Kind::Or:
            return Value::fromBool(std::any_of(args.begin(), args.end(), isTrue));
        case Node::Kind::Concat: {
            QString joined;
            for (const Value &v : args)
                joined += toText(v);
            return Value::fromText(joined);
        }
        case Node::Kind::Compare:
            return Value::fromBool(holds(node.op, compareValues(args[0], args[1])));
        case Node::Kind::Arithmetic:
            return arithmetic(node.op, args[0], args[1]);
        default:
            break;
        }
        return fail(QStringLiteral("Unsupported expression"), node.position);
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

    const ValueGetter &m_getter;
    Error m_error;
};

} // namespace

Evaluation evaluate(const Node &root, const ValueGetter &getter)
{
    Evaluation result;
    try {
        Evaluator evaluator(getter);
        if (std::optional<Value> v = evaluator.eval(root))
            result.value = std::move(*v);
        else
            result.error = evaluator.error();
    } catch (...) {
        result.error.message = QStringLiteral("The filter could not be evaluated");
    }
    return result;
}

} // namespace melodex::expr
