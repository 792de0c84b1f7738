// One condition of a query: a field compared with a value, or a condition typed by hand, and the
// text it becomes in the filter language.
#pragma once

#include "platform/picture/format.h"
#include "platform/query/queryfield.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace melodex::query {

/// The comparisons the wizard offers, numbered as their display texts.
enum class QueryOperator {
    IsEqualTo = 1,
    IsNotEqualTo = 2,
    IsGreaterThan = 3,
    IsLessThan = 4,
    IsGreaterThanOrEqualTo = 5,
    IsLessThanOrEqualTo = 6,
    BeginsWith = 7, ///< text fields only
    Contains = 8,   ///< text fields only
};

/// The operators that apply to `field`, in the order offered.
std::vector<QueryOperator> operatorsFor(const QueryField &field);

/// The operator's display text ("Is Equal To").
QString operatorText(QueryOperator op);

/// How a condition joins the conditions before it. AND binds tighter than OR, as in the filter
/// language, so OR separates groups of conditions that must all hold.
enum class Joiner { And, Or };

/// What checking a condition depends on.
struct ConditionContext
{
    QString dateFormat;        ///< the user's date picture without "@", e.g. "d17"
    picture::Context pictures; ///< locale and reference year of date reading
    /// The names a typed condition may use (the field list's); any name when empty.
    QStringList fieldNames;
};

/// A generated filter text, or why there is none.
struct FilterText
{
    QString text;
    QString error; ///< for the user; empty when `text` can be used

    bool ok() const { return error.isEmpty(); }
};

struct QueryCondition
{
    Joiner joiner = Joiner::And; ///< ignored for the first condition of a query
    bool manual = false;         ///< typed by hand: `value` is the whole condition
    QueryField field;
    QueryOperator op = QueryOperator::IsEqualTo;
    QString value; ///< as typed or chosen

    static QueryCondition typed(const QString &text, Joiner joiner = Joiner::And);

    /// The condition in the filter language. Values always become literals: text is quoted
    /// (nothing typed can end the quote), numbers, dates and times are read through the
    /// field's picture (dates through the user's date picture) and written as plain numbers,
    /// and text is compared without regard to case. A typed condition must parse on its own
    /// and name only fields of the context.
    FilterText expression(const ConditionContext &context) const;

    /// The condition as the wizard lists it, e.g. `Artist Contains "love"`.
    QString description() const;

    friend bool operator==(const QueryCondition &, const QueryCondition &) = default;
};

} // namespace melodex::query
