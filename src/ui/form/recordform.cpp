// The record form window around FormSession.
#include "ui/form/recordform.h"

#include "app/globals.h"
#include "platform/picture/picture.h"
#include "ui/layout/dialogunits.h"
#include "ui/layout/windowplacement.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace melodex {

RecordForm::RecordForm(FormSettings settings, QWidget *parent)
    : QDialog(parent), m_settings(std::move(settings)), m_session(m_settings.session)
{
    setWindowTitle(m_settings.designedCaption);
    auto *layout = new QVBoxLayout(this);
    auto *fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    const auto &formFields = m_settings.session.fields;
    for (int i = 0; i < int(formFields.size()); ++i) {
        auto *edit = new QLineEdit(this);
        const picture::Picture p = picture::Picture::parse(m_session.picture(i));
        const int chars = p.kind() == picture::Picture::Kind::Text ? p.width() : 12;
        if (p.kind() == picture::Picture::Kind::Text)
            edit->setMaxLength(p.width());
        edit->setMinimumWidth(fontMetrics().averageCharWidth() * std::min(chars + 2, 50));
        edit->installEventFilter(this);
        auto *label = new QLabel(formFields[size_t(i)].label, this);
        label->setBuddy(edit);
        fields->addRow(label, edit);
        m_edits.push_back(edit);
    }
    layout->addLayout(fields);
    layout->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_ok = new QPushButton(m_settings.okCaption, this);
    m_ok->setToolTip(m_settings.okTip);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(m_settings.cancelCaption, this);
    m_cancel->setToolTip(m_settings.cancelTip);
    m_cancel->setAutoDefault(false);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &RecordForm::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, &RecordForm::pressCancel);

    // A field is accepted when the focus leaves it for another control of the form; leaving it
    // for Cancel must not stop the user with a message about a field being abandoned.
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *from, QWidget *to) {
            const int index = editIndex(from);
            if (index >= 0)
                fieldLeft(index, to);
        });

    const QSize designed = dialogUnits(this, m_settings.designedSize);
    setMinimumSize(designed.expandedTo(minimumSizeHint()));
    resize(minimumSize());
}

RecordForm::~RecordForm()
{
    // The children lose their focus while QWidget destroys them, after this object's members
    // are gone.
    disconnect(m_focusWatch);
}

bool RecordForm::start()
{
    if (!m_session.start()) {
        m_closed = true;
        return false;
    }
    if (m_session.request() == InsertRecord)
        setWindowTitle(m_settings.insertCaption);
    else if (m_session.request() == ChangeRecord)
        setWindowTitle(m_settings.changeCaption);
    redisplay();
    return true;
}

int RecordForm::editIndex(const QObject *o) const
{
    for (size_t i = 0; i < m_edits.size(); ++i)
        if (m_edits[i] == o)
            return int(i);
    return -1;
}

void RecordForm::redisplayField(int index)
{
    m_edits[size_t(index)]->setText(m_session.displayText(index));
}

void RecordForm::redisplay()
{
    for (int i = 0; i < int(m_edits.size()); ++i)
        redisplayField(i);
}

void RecordForm::focusField(int index)
{
    if (index < 0 || size_t(index) >= m_edits.size())
        return;
    QLineEdit *edit = m_edits[size_t(index)];
    QTimer::singleShot(0, edit, [edit] {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    });
}

void RecordForm::fieldLeft(int index, QWidget *to)
{
    if (m_closed || m_acceptingAll || !to || to == m_cancel || !isAncestorOf(to))
        return;
    switch (m_session.acceptField(index, m_edits[size_t(index)]->text())) {
    case FormSession::Accept::Ok:
        redisplayField(index);
        break;
    case FormSession::Accept::Rejected:
        QApplication::beep();
        redisplayField(index);
        focusField(index);
        break;
    case FormSession::Accept::Invalid:
        focusField(index);
        break;
    }
}

void RecordForm::pressOk()
{
    if (m_closed)
        return;
    const int request = m_session.request();
    if (request == InsertRecord || request == ChangeRecord) {
        QStringList texts;
        for (const QLineEdit *e : m_edits)
            texts << e->text();
        m_acceptingAll = true;
        const int failed = m_session.acceptAll(texts);
        m_acceptingAll = false;
        if (failed >= 0) {
            QApplication::beep();
            focusField(failed);
            return;
        }
    }
    const FormSession::Completion c = m_session.complete();
    if (c.closed) {
        done(m_session.response() == RequestCompleted ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    redisplay();
    focusField(c.focusField);
}

void RecordForm::pressCancel()
{
    m_session.cancel();
    done(QDialog::Rejected);
}

bool RecordForm::eventFilter(QObject *watched, QEvent *event)
{
    const int index = editIndex(watched);
    if (index >= 0 && event->type() == QEvent::KeyPress && !m_settings.dittoKey.isEmpty()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (QKeySequence(key->keyCombination()) == m_settings.dittoKey) {
            if (const auto value = m_session.ditto(index)) {
                m_session.setValue(m_session.recordField(index), *value);
                redisplayField(index);
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RecordForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    RestoreWindowPlacement(this, WindowStateIni, m_settings.procedure);
    focusField(0);
}

void RecordForm::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        if (m_session.response() != RequestCompleted)
            m_session.cancel();
        if (m_shown)
            SaveWindowPlacement(this, WindowStateIni, m_settings.procedure);
        m_session.close();
    }
    QDialog::done(result);
}

} // namespace melodex
