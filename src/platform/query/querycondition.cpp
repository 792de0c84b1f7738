// One condition of a query and the text it becomes in the filter language.
#include "platform/query/querycondition.h"

#include "platform/expr/parser.h"
#include "platform/expr/value.h"
#include "platform/picture/calendar.h"
#include "platform/picture/picture.h"
#include "platform/query/querywizardtexts.h"

#include <algorithm>
#include <optional>

namespace melodex::query {

namespace {

QString symbol(QueryOperator op)
{
    switch (op) {
    case QueryOperator::IsEqualTo:
        return QStringLiteral("=");
    case QueryOperator::IsNotEqualTo:
        return QStringLiteral("<>");
    case QueryOperator::IsGreaterThan:
        return QStringLiteral(">");
    case QueryOperator::IsLessThan:
        return QStringLiteral("<");
    case QueryOperator::IsGreaterThanOrEqualTo:
        return QStringLiteral(">=");
    case QueryOperator::IsLessThanOrEqualTo:
        return QStringLiteral("<=");
    case QueryOperator::BeginsWith:
    case QueryOperator::Contains:
        break;
    }
    return {};
}

FilterText refuse(const QString &why)
{
    return FilterText{QString(), why};
}

// The picture a typed value of the field is read with.
picture::Picture entryPicture(const QueryField &field, const ConditionContext &context)
{
    if (field.valueType() == ValueType::Date)
        return picture::Picture::parse(picture::withDateFormat(field.picture, context.dateFormat));
    return picture::Picture::parse(field.picture);
}

// A number as the filter language writes it; nothing when `typed` is not a value of the field.
std::optional<QString> numberLiteral(const QueryField &field, const QString &typed,
                                     const ConditionContext &context)
{
    const picture::Picture pic = entryPicture(field, context);
    if (pic.kind() == picture::Picture::Kind::Number ||
        pic.kind() == picture::Picture::Kind::Date || pic.kind() == picture::Picture::Kind::Time) {
        const auto n = picture::deformatNumber(typed, pic, context.pictures);
        if (!n)
            return std::nullopt;
        return expr::numberToText(*n,
                                  pic.kind() == picture::Picture::Kind::Number ? pic.places() : 0);
    }
    // A number field without a number picture: any plain decimal number.
    QStringView digits = QStringView(typed).trimmed();
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits = digits.sliced(1).trimmed();
    if (digits.isEmpty())
        return QStringLiteral("0");
    for (QChar c : digits) {
        if (!c.isDigit() && c != u'.')
            return std::nullopt;
    }
    if (!expr::parseNumberLiteral(digits))
        return std::nullopt;
    return (negative ? QStringLiteral("-") : QString()) + digits.toString();
}

QString badValueMessage(const QueryField &field, const QString &typed,
                        const ConditionContext &context)
{
    QString message =
        QStringLiteral("\"%1\" is not a valid value for %2.").arg(typed.trimmed(), field.name);
    const picture::Picture pic = entryPicture(field, context);
    if (field.valueType() == ValueType::Date && pic.kind() == picture::Picture::Kind::Date) {
        message += QStringLiteral(" Type a date such as %1.")
                       .arg(picture::format(qint64(picture::todayDayNumber()), pic,
                                            picture::Layout::Trimmed, context.pictures));
    } else if (field.valueType() == ValueType::Time) {
        message += QStringLiteral(" Type a time such as %1.")
                       .arg(picture::format(qint64(picture::timeValue(0, 3, 45)), pic));
    }
    return message;
}

// The first name in the tree that is not one of `known`, or an empty text.
QString unknownName(const expr::Node &node, const QStringList &known)
{
    if (node.kind == expr::Node::Kind::Name && !known.contains(node.text, Qt::CaseInsensitive))
        return node.text;
    for (const auto &child : node.children) {
        if (QString name = unknownName(*child, known); !name.isEmpty())
            return name;
    }
    return {};
}

} // namespace

std::vector<QueryOperator> operatorsFor(const QueryField &field)
{
    std::vector<QueryOperator> ops{
        QueryOperator::IsEqualTo,
        QueryOperator::IsNotEqualTo,
        QueryOperator::IsGreaterThan,
        QueryOperator::IsLessThan,
        QueryOperator::IsGreaterThanOrEqualTo,
        QueryOperator::IsLessThanOrEqualTo,
    };
    if (field.valueType() == ValueType::Text) {
        ops.push_back(QueryOperator::BeginsWith);
        ops.push_back(QueryOperator::Contains);
    }
    return ops;
}

QString operatorText(QueryOperator op)
{
    return queryWizardText(int(op));
}

QueryCondition QueryCondition::typed(const QString &text, Joiner joiner)
{
    QueryCondition c;
    c.joiner = joiner;
    c.manual = true;
    c.value = text;
    return c;
}

FilterText QueryCondition::expression(const ConditionContext &context) const
{
    if (manual) {
        const QString text = value.trimmed();
        const expr::ParseResult parsed = expr::parse(text);
        if (!parsed.ok())
            return refuse(queryWizardMessage(InvalidQueryMessage) + QStringLiteral("\n\n") +
                          parsed.error.describe());
        if (!parsed.root)
            return refuse(queryWizardMessage(InvalidQueryMessage));
        if (!context.fieldNames.isEmpty()) {
            if (const QString name = unknownName(*parsed.root, context.fieldNames); !name.isEmpty())
                return refuse(queryWizardMessage(InvalidQueryMessage) + QStringLiteral("\n\n") +
                              QStringLiteral("%1 is not a field of this query.").arg(name));
        }
        return FilterText{text, QString()};
    }

    const std::vector<QueryOperator> ops = operatorsFor(field);
    if (std::find(ops.begin(), ops.end(), op) == ops.end())
        return refuse(
            QStringLiteral("\"%1\" cannot be used with %2.").arg(operatorText(op), field.name));

    if (field.valueType() != ValueType::Text) {
        const std::optional<QString> number = numberLiteral(field, value, context);
        if (!number)
            return refuse(badValueMessage(field, value, context));
        return FilterText{field.field + u' ' + symbol(op) + u' ' + *number, QString()};
    }

    // A choice stands for what the field stores: " (N/A)" in a one-character field is a blank.
    QString text = value;
    if (field.input == InputStyle::ChoiceList && field.size > 0)
        text = text.left(field.size);
    const QString lhs = QStringLiteral("UPPER(%1)").arg(field.field);
    const QString rhs = QStringLiteral("UPPER(%1)").arg(expr::textLiteral(text));
    switch (op) {
    case QueryOperator::BeginsWith:
    case QueryOperator::Contains:
        // INSTRING finds nothing in an empty needle, which would quietly select no record.
        if (text.isEmpty())
            return refuse(queryWizardText(EnterValueHint));
        return FilterText{QStringLiteral("INSTRING(%1,%2,1,1) %3")
                              .arg(rhs, lhs,
                                   op == QueryOperator::BeginsWith ? QStringLiteral("= 1")
                                                                   : QStringLiteral("> 0")),
                          QString()};
    default:
        return FilterText{lhs + u' ' + symbol(op) + u' ' + rhs, QString()};
    }
}

QString QueryCondition::description() const
{
    if (manual)
        return value.simplified();
    // Quotes show where a text begins and ends, blanks included; nothing inside is escaped.
    const QString shown =
        field.valueType() == ValueType::Text ? u'"' + value + u'"' : value.trimmed();
    return field.name + u' ' + operatorText(op) + u' ' + shown;
}

} // namespace melodex::query
