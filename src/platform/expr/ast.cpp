// The syntax tree of a filter expression, and the error type its stages report.
#include "platform/expr/ast.h"

#include <QStringList>

namespace melodex::expr {

QString operatorText(Node::Op op)
{
    switch (op) {
    case Node::Op::Eq:
        return QStringLiteral("=");
    case Node::Op::Ne:
        return QStringLiteral("<>");
    case Node::Op::Lt:
        return QStringLiteral("<");
    case Node::Op::Le:
        return QStringLiteral("<=");
    case Node::Op::Gt:
        return QStringLiteral(">");
    case Node::Op::Ge:
        return QStringLiteral(">=");
    case Node::Op::Add:
        return QStringLiteral("+");
    case Node::Op::Sub:
        return QStringLiteral("-");
    case Node::Op::Mul:
        return QStringLiteral("*");
    case Node::Op::Div:
        return QStringLiteral("/");
    }
    return QString();
}

namespace {

QString group(const QString &head, const Node &node)
{
    QStringList parts{head};
    for (const auto &child : node.children)
        parts << dump(*child);
    return u'(' + parts.join(u' ') + u')';
}

} // namespace

QString Error::describe() const
{
    if (position < 0)
        return message;
    return QStringLiteral("%1 (at character %2)").arg(message).arg(position + 1);
}

QString dump(const Node &node)
{
    switch (node.kind) {
    case Node::Kind::Text: {
        QString quoted = node.text;
        quoted.replace(u'\'', QStringLiteral("''"));
        return u'\'' + quoted + u'\'';
    }
    case Node::Kind::Number:
        return toText(node.number);
    case Node::Kind::Name:
        return node.text.toUpper();
    case Node::Kind::Call: {
        QStringList args;
        for (const auto &child : node.children)
            args << dump(*child);
        return functionInfo(node.function).name.toString() + u'(' + args.join(u", ") + u')';
    }
    case Node::Kind::Negate:
        return group(QStringLiteral("-"), node);
    case Node::Kind::Not:
        return group(QStringLiteral("NOT"), node);
    case Node::Kind::And:
        return group(QStringLiteral("AND"), node);
    case Node::Kind::Or:
        return group(QStringLiteral("OR"), node);
    case Node::Kind::Concat:
        return group(QStringLiteral("&"), node);
    case Node::Kind::Compare:
    case Node::Kind::Arithmetic:
        return group(operatorText(node.op), node);
    }
    return QString();
}

} // namespace melodex::expr
