// The conditions of the query being built, and the filter text they make.
#pragma once

#include "platform/query/querycondition.h"

#include <QAbstractListModel>

#include <vector>

namespace melodex::query {

/// The query the wizard edits: an ordered list of conditions, each joined to those before it
/// by AND or OR. Every change that would leave an unusable query is refused with a message for
/// the user and leaves the list as it was, so filterText() succeeds while the context stays.
class QueryConditionList : public QAbstractListModel
{
    Q_OBJECT
public:
    /// The longest filter text the callers keep. A longer query is refused, never cut.
    static constexpr int MaxFilterLength = 1024;

    explicit QueryConditionList(QObject *parent = nullptr);

    void setContext(const ConditionContext &context) { m_context = context; }
    const ConditionContext &context() const { return m_context; }

    int count() const { return int(m_conditions.size()); }
    const QueryCondition &at(int row) const { return m_conditions.at(size_t(row)); }

    /// Adds `condition` at the end; the reason when it is refused, else an empty text.
    QString append(const QueryCondition &condition);
    /// Replaces the condition at `row`; the reason when it is refused, else an empty text.
    QString replace(int row, const QueryCondition &condition);
    void remove(int row);
    /// Moves the condition at `from` so that it ends at `to`; false when either is no row.
    bool move(int from, int to);
    void clear();

    /// Starts over from an existing filter text, which becomes one typed condition (none for a
    /// blank text). The reason when the text is refused; the list is then empty.
    QString setFilter(const QString &filter);

    /// The filter text of the whole query; empty text (all records) for no conditions.
    FilterText filterText() const;

    /// The condition as the list shows it: with "AND " or "OR " before all but the first.
    QString description(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    FilterText textOf(const std::vector<QueryCondition> &conditions) const;

    std::vector<QueryCondition> m_conditions;
    ConditionContext m_context;
};

} // namespace melodex::query
