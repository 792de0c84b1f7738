// The conditions of the query being built, and the filter text they make.
#include "platform/query/queryconditionlist.h"

#include "platform/expr/parser.h"
#include "platform/query/querywizardtexts.h"

namespace melodex::query {

QueryConditionList::QueryConditionList(QObject *parent) : QAbstractListModel(parent) {}

FilterText QueryConditionList::textOf(const std::vector<QueryCondition> &conditions) const
{
    QString text;
    for (size_t i = 0; i < conditions.size(); ++i) {
        const QueryCondition &c = conditions[i];
        const FilterText part = c.expression(m_context);
        if (!part.ok())
            return part;
        if (i > 0)
            text += c.joiner == Joiner::Or ? QStringLiteral(" OR ") : QStringLiteral(" AND ");
        // A typed condition may hold its own AND and OR; only generated ones are single
        // comparisons that the language's precedence keeps apart.
        if (c.manual && conditions.size() > 1)
            text += u'(' + part.text + u')';
        else
            text += part.text;
    }
    if (text.size() > MaxFilterLength) {
        return FilterText{QString(),
                          QStringLiteral("The query would be %1 characters long, but a query "
                                         "holds at most %2. Remove a condition or shorten a "
                                         "value.")
                              .arg(text.size())
                              .arg(MaxFilterLength)};
    }
    // Every part parsed on its own; the whole is checked as well, so that a query that the
    // record view would refuse is never handed out as a success.
    const expr::ParseResult parsed = expr::parse(text);
    if (!parsed.ok())
        return FilterText{QString(), queryWizardMessage(InvalidQueryMessage) +
                                         QStringLiteral("\n\n") + parsed.error.describe()};
    return FilterText{text, QString()};
}

QString QueryConditionList::append(const QueryCondition &condition)
{
    std::vector<QueryCondition> next = m_conditions;
    next.push_back(condition);
    if (QString why = textOf(next).error; !why.isEmpty())
        return why;
    beginInsertRows(QModelIndex(), count(), count());
    m_conditions = std::move(next);
    endInsertRows();
    return {};
}

QString QueryConditionList::replace(int row, const QueryCondition &condition)
{
    if (row < 0 || row >= count())
        return QStringLiteral("There is no condition to change.");
    std::vector<QueryCondition> next = m_conditions;
    next[size_t(row)] = condition;
    if (QString why = textOf(next).error; !why.isEmpty())
        return why;
    m_conditions = std::move(next);
    Q_EMIT dataChanged(index(row), index(row));
    return {};
}

void QueryConditionList::remove(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_conditions.erase(m_conditions.begin() + row);
    endRemoveRows();
    // The new first condition no longer shows its joiner.
    if (row == 0 && count() > 0)
        Q_EMIT dataChanged(index(0), index(0));
}

bool QueryConditionList::move(int from, int to)
{
    if (from < 0 || from >= count() || to < 0 || to >= count())
        return false;
    if (from == to)
        return true;
    if (!beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to))
        return false;
    QueryCondition moved = m_conditions[size_t(from)];
    m_conditions.erase(m_conditions.begin() + from);
    m_conditions.insert(m_conditions.begin() + to, std::move(moved));
    endMoveRows();
    Q_EMIT dataChanged(index(0), index(count() - 1));
    return true;
}

void QueryConditionList::clear()
{
    beginResetModel();
    m_conditions.clear();
    endResetModel();
}

QString QueryConditionList::setFilter(const QString &filter)
{
    clear();
    if (filter.trimmed().isEmpty())
        return {};
    return append(QueryCondition::typed(filter));
}

FilterText QueryConditionList::filterText() const
{
    return textOf(m_conditions);
}

QString QueryConditionList::description(int row) const
{
    const QueryCondition &c = at(row);
    if (row == 0)
        return c.description();
    const QString joiner = queryWizardText(c.joiner == Joiner::Or ? OrCaption : AndCaption);
    return joiner + u' ' + c.description();
}

int QueryConditionList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant QueryConditionList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return description(index.row());
    return {};
}

} // namespace melodex::query
