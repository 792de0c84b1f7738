// The query wizard: the dialog in which the user builds a filter from a field list.
#pragma once

#include "platform/query/queryconditionlist.h"
#include "platform/query/queryfieldlist.h"

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QTreeWidget;

namespace melodex {

/// What the wizard hands back when the user finishes.
struct QueryWizardResult
{
    QString filter; ///< in the filter language; empty selects every record
    QString title;  ///< at most 30 characters; empty unless a title was asked for
};

/// Lets the user build a query from conditions: a field, an operation and a value (typed, or
/// chosen for fields with choices) added with AND or OR, or a condition typed by hand. Every
/// condition is checked as it is added, so "&Finish" always hands back a usable filter.
class QueryWizard : public QDialog
{
    Q_OBJECT
public:
    explicit QueryWizard(const query::QueryFieldList &fields, QWidget *parent = nullptr);

    /// Starts from an existing filter, shown as one typed condition. A filter that cannot be
    /// used is reported and the query starts empty.
    void setFilter(const QString &filter);
    /// Shows the entry of a query title (for reports), preset with `title`.
    void askForTitle(const QString &title);

    /// The filter and title accepted by "&Finish".
    QString filterText() const { return m_result.filter; }
    QString title() const { return m_result.title; }

    query::QueryConditionList &conditions() { return m_conditions; }

public Q_SLOTS:
    /// "&Finish": refused with a message when the query cannot be used. With no condition in
    /// the query, a value or manual condition typed but not added is added first.
    void accept() override;

protected:
    bool event(QEvent *event) override;

private:
    void fieldChosen();
    void conditionChosen();
    void manualToggled(bool on);
    void add(query::Joiner joiner);
    void changeCondition();
    void deleteCondition();
    void moveCondition(int by);
    void updateButtons();
    int currentRow() const;
    void selectRow(int row);
    std::optional<query::QueryCondition> editedCondition(query::Joiner joiner);
    void refuse(const QString &why);

    query::QueryFieldList m_fields;
    query::QueryConditionList m_conditions;
    QueryWizardResult m_result;

    QTreeWidget *m_fieldList;
    QListWidget *m_operatorList;
    QStackedWidget *m_valueStack;
    QLineEdit *m_valueEdit;
    QComboBox *m_valueChoice;
    QPushButton *m_andButton;
    QPushButton *m_orButton;
    QPushButton *m_changeButton;
    QPushButton *m_deleteButton;
    QPushButton *m_manualButton;
    QPlainTextEdit *m_manualEdit;
    QListView *m_conditionList;
    QToolButton *m_upButton;
    QToolButton *m_downButton;
    QLabel *m_hint;
    QWidget *m_titleRow;
    QLineEdit *m_titleEdit;
    QLabel *m_status;
    QStackedWidget *m_editorStack;
    QWidget *m_selectionArea;
    QWidget *m_manualArea;
};

/// Opens the wizard over `caller` (see callForm()), starting from `filter`; with `wantTitle` it
/// also asks for a title, preset with `title`. `then` gets the result when the wizard closes;
/// nothing when the user cancelled.
void openQueryWizard(const query::QueryFieldList &fields, const QString &filter, QWidget *caller,
                     std::function<void(const std::optional<QueryWizardResult> &)> then,
                     bool wantTitle = false, const QString &title = QString());

} // namespace melodex
