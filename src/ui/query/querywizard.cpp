// The query wizard dialog.
#include "ui/query/querywizard.h"

#include "app/globals.h"
#include "platform/picture/calendar.h"
#include "platform/picture/format.h"
#include "platform/query/querywizardtexts.h"
#include "services/messageservice.h"
#include "ui/form/formcall.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace melodex {

using namespace query;

namespace {

// Buttons take three display texts in a row: tip, status text, caption.
QPushButton *wizardButton(int tip, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(queryWizardText(tip + 2), parent);
    button->setObjectName(name);
    button->setToolTip(queryWizardText(tip));
    button->setStatusTip(queryWizardText(tip + 1));
    button->setAutoDefault(false);
    return button;
}

QLabel *hintLabel(int text, QWidget *parent)
{
    auto *label = new QLabel(queryWizardText(text), parent);
    label->setWordWrap(true);
    return label;
}

// A sample value in the form the field's values are typed in, or nothing for plain numbers and
// text.
QString sampleValue(const QueryField &field)
{
    switch (field.valueType()) {
    case ValueType::Date:
        return picture::format(qint64(picture::todayDayNumber()),
                               picture::withDateFormat(field.picture, GLO.DateFormat));
    case ValueType::Time:
        return picture::format(qint64(picture::timeValue(0, 3, 45)), field.picture);
    default:
        return {};
    }
}

} // namespace

QueryWizard::QueryWizard(const QueryFieldList &fields, QWidget *parent)
    : QDialog(parent), m_fields(fields)
{
    setWindowTitle(queryWizardText(WizardCaption));
    ConditionContext context{GLO.DateFormat, {}, {}};
    for (const QueryField &f : m_fields.fields())
        context.fieldNames << f.field;
    m_conditions.setContext(context);

    // Field, operation and value, side by side.
    m_selectionArea = new QWidget(this);
    auto *fieldBox = new QGroupBox(queryWizardText(FieldSelectionTitle), m_selectionArea);
    m_fieldList = new QTreeWidget(fieldBox);
    m_fieldList->setObjectName(QStringLiteral("fieldList"));
    m_fieldList->setAccessibleName(queryWizardText(FieldsToEvaluateText));
    m_fieldList->setColumnCount(2);
    m_fieldList->setHeaderHidden(true);
    m_fieldList->setRootIsDecorated(false);
    m_fieldList->setUniformRowHeights(true);
    // The bound name tells apart fields shown under one name (the two "Media" of the songs).
    const QColor quiet = palette().color(QPalette::Disabled, QPalette::Text);
    for (const QueryField &f : m_fields.fields()) {
        auto *item = new QTreeWidgetItem(m_fieldList, QStringList{f.name, f.field});
        item->setForeground(1, quiet);
        item->setToolTip(0, f.field);
    }
    m_fieldList->resizeColumnToContents(0);
    m_fieldList->header()->setStretchLastSection(true);
    auto *fieldLayout = new QVBoxLayout(fieldBox);
    fieldLayout->addWidget(hintLabel(SelectFieldHint, fieldBox));
    fieldLayout->addWidget(m_fieldList);

    auto *operationBox = new QGroupBox(queryWizardText(OperationSelectionTitle), m_selectionArea);
    m_operatorList = new QListWidget(operationBox);
    m_operatorList->setObjectName(QStringLiteral("operatorList"));
    m_operatorList->setAccessibleName(queryWizardText(QueryOperationsText));
    auto *operationLayout = new QVBoxLayout(operationBox);
    operationLayout->addWidget(hintLabel(SelectOperationHint, operationBox));
    operationLayout->addWidget(m_operatorList);

    auto *valueBox = new QGroupBox(queryWizardText(ValueEntryTitle), m_selectionArea);
    m_valueStack = new QStackedWidget(valueBox);
    m_valueEdit = new QLineEdit(m_valueStack);
    m_valueEdit->setObjectName(QStringLiteral("valueEdit"));
    m_valueChoice = new QComboBox(m_valueStack);
    m_valueChoice->setObjectName(QStringLiteral("valueChoice"));
    m_valueStack->addWidget(m_valueEdit);
    m_valueStack->addWidget(m_valueChoice);
    m_valueStack->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *valueLayout = new QVBoxLayout(valueBox);
    valueLayout->addWidget(hintLabel(EnterValueHint, valueBox));
    valueLayout->addWidget(m_valueStack);
    valueLayout->addStretch();

    auto *selectionLayout = new QHBoxLayout(m_selectionArea);
    selectionLayout->setContentsMargins(0, 0, 0, 0);
    selectionLayout->addWidget(fieldBox, 5);
    selectionLayout->addWidget(operationBox, 3);
    selectionLayout->addWidget(valueBox, 3);

    // A condition typed by hand takes the place of the three boxes while Manual is down.
    m_manualArea = new QGroupBox(queryWizardText(ManualOverrideTitle), this);
    m_manualEdit = new QPlainTextEdit(m_manualArea);
    m_manualEdit->setObjectName(QStringLiteral("manualEdit"));
    m_manualEdit->setTabChangesFocus(true);
    auto *manualLayout = new QVBoxLayout(m_manualArea);
    manualLayout->addWidget(m_manualEdit);
    m_editorStack = new QStackedWidget(this);
    m_editorStack->addWidget(m_selectionArea);
    m_editorStack->addWidget(m_manualArea);

    m_andButton = wizardButton(AndTip, QStringLiteral("andButton"), this);
    m_orButton = wizardButton(OrTip, QStringLiteral("orButton"), this);
    m_changeButton = wizardButton(ChangeTip, QStringLiteral("changeButton"), this);
    m_deleteButton = wizardButton(DeleteTip, QStringLiteral("deleteButton"), this);
    m_manualButton = wizardButton(ManualTip, QStringLiteral("manualButton"), this);
    m_manualButton->setCheckable(true);
    auto *editLayout = new QHBoxLayout;
    editLayout->addWidget(m_andButton);
    editLayout->addWidget(m_orButton);
    editLayout->addSpacing(12);
    editLayout->addWidget(m_changeButton);
    editLayout->addWidget(m_deleteButton);
    editLayout->addStretch();
    editLayout->addWidget(m_manualButton);

    auto *queryBox = new QGroupBox(queryWizardText(CurrentQueryText), this);
    m_conditionList = new QListView(queryBox);
    m_conditionList->setObjectName(QStringLiteral("conditionList"));
    m_conditionList->setModel(&m_conditions);
    m_conditionList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_conditionList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_upButton = new QToolButton(queryBox);
    m_upButton->setObjectName(QStringLiteral("upButton"));
    m_upButton->setArrowType(Qt::UpArrow);
    m_upButton->setToolTip(QStringLiteral("Move Up"));
    m_downButton = new QToolButton(queryBox);
    m_downButton->setObjectName(QStringLiteral("downButton"));
    m_downButton->setArrowType(Qt::DownArrow);
    m_downButton->setToolTip(QStringLiteral("Move Down"));
    auto *moveLayout = new QVBoxLayout;
    moveLayout->addWidget(m_upButton);
    moveLayout->addWidget(m_downButton);
    moveLayout->addStretch();
    m_hint = new QLabel(queryBox);
    m_hint->setObjectName(QStringLiteral("hint"));
    auto *listLayout = new QHBoxLayout;
    listLayout->addWidget(m_conditionList);
    listLayout->addLayout(moveLayout);
    auto *queryLayout = new QVBoxLayout(queryBox);
    queryLayout->addLayout(listLayout);
    queryLayout->addWidget(m_hint);

    m_titleRow = new QWidget(this);
    m_titleEdit = new QLineEdit(m_titleRow);
    m_titleEdit->setObjectName(QStringLiteral("titleEdit"));
    m_titleEdit->setMaxLength(30);
    m_titleEdit->setPlaceholderText(queryWizardText(NewQueryText));
    auto *titleLayout = new QHBoxLayout(m_titleRow);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    titleLayout->addWidget(new QLabel(queryWizardText(QueryDescriptionLabel), m_titleRow));
    titleLayout->addWidget(m_titleEdit, 1);
    m_titleRow->hide();

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    auto *finishButton = wizardButton(FinishTip, QStringLiteral("finishButton"), this);
    auto *cancelButton = wizardButton(CancelTip, QStringLiteral("cancelButton"), this);
    auto *bottomLayout = new QHBoxLayout;
    bottomLayout->addWidget(m_status, 1);
    bottomLayout->addWidget(finishButton);
    bottomLayout->addWidget(cancelButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_editorStack, 3);
    layout->addLayout(editLayout);
    layout->addWidget(queryBox, 2);
    layout->addWidget(m_titleRow);
    layout->addLayout(bottomLayout);

    connect(m_fieldList, &QTreeWidget::currentItemChanged, this, &QueryWizard::fieldChosen);
    connect(m_conditionList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &QueryWizard::conditionChosen);
    connect(&m_conditions, &QAbstractItemModel::rowsRemoved, this, &QueryWizard::updateButtons);
    connect(&m_conditions, &QAbstractItemModel::modelReset, this, &QueryWizard::updateButtons);
    connect(m_manualButton, &QPushButton::toggled, this, &QueryWizard::manualToggled);
    connect(m_andButton, &QPushButton::clicked, this, [this] { add(Joiner::And); });
    connect(m_orButton, &QPushButton::clicked, this, [this] { add(Joiner::Or); });
    connect(m_changeButton, &QPushButton::clicked, this, &QueryWizard::changeCondition);
    connect(m_deleteButton, &QPushButton::clicked, this, &QueryWizard::deleteCondition);
    connect(m_upButton, &QToolButton::clicked, this, [this] { moveCondition(-1); });
    connect(m_downButton, &QToolButton::clicked, this, [this] { moveCondition(1); });
    connect(finishButton, &QPushButton::clicked, this, &QueryWizard::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QueryWizard::reject);

    if (m_fieldList->topLevelItemCount() > 0)
        m_fieldList->setCurrentItem(m_fieldList->topLevelItem(0));
    manualToggled(false);
    updateButtons();
    resize(820, 580);
}

void QueryWizard::setFilter(const QString &filter)
{
    if (const QString why = m_conditions.setFilter(filter); !why.isEmpty()) {
        MessageService::instance().show(MessageRequest{
            queryWizardText(31), queryWizardMessage(32) + QStringLiteral("\n\n") + why,
            MessageRequest::Warning, MessageRequest::Ok, MessageRequest::Ok});
    }
    updateButtons();
}

void QueryWizard::askForTitle(const QString &title)
{
    m_titleEdit->setText(title.trimmed());
    m_titleRow->show();
}

void QueryWizard::accept()
{
    // A value typed but never added would otherwise finish with no condition, selecting every
    // record as if that had been asked for.
    if (m_conditions.count() == 0) {
        const bool typed =
            m_manualButton->isChecked()
                ? !m_manualEdit->toPlainText().trimmed().isEmpty()
                : m_valueStack->currentWidget() == m_valueEdit && !m_valueEdit->text().isEmpty();
        if (typed) {
            add(Joiner::And);
            if (m_conditions.count() == 0)
                return;
        }
    }
    const FilterText text = m_conditions.filterText();
    if (!text.ok()) {
        refuse(text.error);
        return;
    }
    m_result.filter = text.text;
    m_result.title = m_titleRow->isHidden() ? QString() : m_titleEdit->text().trimmed();
    QDialog::accept();
}

bool QueryWizard::event(QEvent *event)
{
    // A dialog has no status bar: the status texts of the buttons show in a line of their own.
    if (event->type() == QEvent::StatusTip) {
        m_status->setText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

void QueryWizard::fieldChosen()
{
    m_operatorList->clear();
    const int index = m_fieldList->indexOfTopLevelItem(m_fieldList->currentItem());
    if (index < 0)
        return;
    const QueryField &field = m_fields.at(index);
    for (QueryOperator op : operatorsFor(field)) {
        auto *item = new QListWidgetItem(operatorText(op), m_operatorList);
        item->setData(Qt::UserRole, int(op));
    }
    m_operatorList->setCurrentRow(0);

    m_valueEdit->clear();
    m_valueChoice->clear();
    if (field.input == InputStyle::ChoiceList) {
        m_valueChoice->addItems(field.choices);
        m_valueStack->setCurrentWidget(m_valueChoice);
    } else {
        m_valueEdit->setPlaceholderText(sampleValue(field));
        m_valueStack->setCurrentWidget(m_valueEdit);
    }
}

void QueryWizard::conditionChosen()
{
    updateButtons();
    const int row = currentRow();
    if (row < 0)
        return;
    const QueryCondition &c = m_conditions.at(row);
    m_manualButton->setChecked(c.manual);
    if (c.manual) {
        m_manualEdit->setPlainText(c.value);
        return;
    }
    const auto &fields = m_fields.fields();
    const auto it = std::find(fields.begin(), fields.end(), c.field);
    if (it == fields.end())
        return;
    m_fieldList->setCurrentItem(m_fieldList->topLevelItem(int(it - fields.begin())));
    for (int i = 0; i < m_operatorList->count(); ++i) {
        if (m_operatorList->item(i)->data(Qt::UserRole).toInt() == int(c.op))
            m_operatorList->setCurrentRow(i);
    }
    if (c.field.input == InputStyle::ChoiceList)
        m_valueChoice->setCurrentIndex(m_valueChoice->findText(c.value));
    else
        m_valueEdit->setText(c.value);
}

void QueryWizard::manualToggled(bool on)
{
    m_editorStack->setCurrentWidget(on ? m_manualArea : m_selectionArea);
    if (!on)
        return;
    // Overriding a chosen condition starts from its text in the filter language.
    const int row = currentRow();
    if (m_manualEdit->toPlainText().trimmed().isEmpty() && row >= 0) {
        const FilterText text = m_conditions.at(row).expression(m_conditions.context());
        if (text.ok())
            m_manualEdit->setPlainText(text.text);
    }
    m_manualEdit->setFocus();
}

std::optional<QueryCondition> QueryWizard::editedCondition(Joiner joiner)
{
    if (m_manualButton->isChecked())
        return QueryCondition::typed(m_manualEdit->toPlainText(), joiner);
    const int field = m_fieldList->indexOfTopLevelItem(m_fieldList->currentItem());
    if (field < 0) {
        refuse(queryWizardText(SelectFieldHint));
        return std::nullopt;
    }
    if (!m_operatorList->currentItem()) {
        refuse(queryWizardText(SelectOperationHint));
        return std::nullopt;
    }
    QueryCondition c;
    c.joiner = joiner;
    c.field = m_fields.at(field);
    c.op = QueryOperator(m_operatorList->currentItem()->data(Qt::UserRole).toInt());
    c.value = c.field.input == InputStyle::ChoiceList ? m_valueChoice->currentText()
                                                      : m_valueEdit->text();
    return c;
}

void QueryWizard::add(Joiner joiner)
{
    const std::optional<QueryCondition> c = editedCondition(joiner);
    if (!c)
        return;
    if (const QString why = m_conditions.append(*c); !why.isEmpty()) {
        refuse(why);
        return;
    }
    selectRow(m_conditions.count() - 1);
}

void QueryWizard::changeCondition()
{
    const int row = currentRow();
    if (row < 0)
        return;
    const std::optional<QueryCondition> c = editedCondition(m_conditions.at(row).joiner);
    if (!c)
        return;
    if (const QString why = m_conditions.replace(row, *c); !why.isEmpty())
        refuse(why);
}

void QueryWizard::deleteCondition()
{
    const int row = currentRow();
    if (row < 0)
        return;
    m_conditions.remove(row);
    if (m_conditions.count() > 0)
        selectRow(std::min(row, m_conditions.count() - 1));
}

void QueryWizard::moveCondition(int by)
{
    const int row = currentRow();
    if (m_conditions.move(row, row + by))
        selectRow(row + by);
}

void QueryWizard::updateButtons()
{
    const int row = currentRow();
    const int count = m_conditions.count();
    m_changeButton->setEnabled(row >= 0);
    m_deleteButton->setEnabled(row >= 0);
    m_upButton->setEnabled(row > 0);
    m_downButton->setEnabled(row >= 0 && row < count - 1);
    m_hint->setText(queryWizardText(count == 0 ? AddConditionsHint : ChangeOrDeleteHint));
}

int QueryWizard::currentRow() const
{
    const QModelIndex current = m_conditionList->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void QueryWizard::selectRow(int row)
{
    const QModelIndex index = m_conditions.index(row);
    m_conditionList->setCurrentIndex(index);
    m_conditionList->scrollTo(index);
    updateButtons();
}

void QueryWizard::refuse(const QString &why)
{
    MessageService::instance().show(MessageRequest{queryWizardText(InvalidQueryCaption), why,
                                                   MessageRequest::Warning, MessageRequest::Ok,
                                                   MessageRequest::Ok});
}

void openQueryWizard(const QueryFieldList &fields, const QString &filter, QWidget *caller,
                     std::function<void(const std::optional<QueryWizardResult> &)> then,
                     bool wantTitle, const QString &title)
{
    auto *wizard = new QueryWizard(fields, caller);
    wizard->setFilter(filter);
    if (wantTitle)
        wizard->askForTitle(title);
    callForm(caller, wizard, [wizard, then = std::move(then)](int response) {
        if (!then)
            return;
        if (response == RequestCompleted)
            then(QueryWizardResult{wizard->filterText(), wizard->title()});
        else
            then(std::nullopt);
    });
}

} // namespace melodex
