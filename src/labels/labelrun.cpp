// LabelRun: printing a stored label as a report run, with progress and cancel.
#include "labels/labelrun.h"

#include "data/standardwarning.h"
#include "platform/print/printdestination.h"
#include "platform/store/fileuses.h"
#include "services/messageservice.h"

namespace melodex {

void sayLabelCannotPrint(const QString &why)
{
    MessageService::instance().show(
        MessageRequest{QStringLiteral("Print"),
                       QStringLiteral("The label could not be printed.") +
                           (why.isEmpty() ? QString() : u' ' + why),
                       MessageRequest::Error, MessageRequest::Ok, MessageRequest::Ok});
}

LabelRun::LabelRun(qint64 labelId, LabelPrint::Layout layout, print::PrintDestination &printer,
                   bool preview)
    : m_id(labelId), m_layout(layout), m_printer(printer), m_preview(preview)
{
}

QString LabelRun::caption() const
{
    return m_preview ? QStringLiteral("Generating Report") : QStringLiteral("Printing Report");
}

bool LabelRun::start()
{
    std::optional<LabelsRecord> label;
    {
        const store::FileUse use(Labels);
        label = LabelPrint::read(m_id);
    }
    if (!label) {
        StandardWarning(StandardMessage::RecordRetrievalError, QStringLiteral("Labels"));
        m_state = State::Cancelled;
        return false;
    }
    m_label = *label;
    m_state = State::Running;
    if (m_percentChanged)
        m_percentChanged(0);
    return true;
}

LabelRun::State LabelRun::step()
{
    if (m_state != State::Running)
        return m_state;
    QString error;
    if (!LabelPrint::addPage(m_pages, m_label, m_layout, &error)) {
        sayLabelCannotPrint(error);
        m_pages.clear();
        m_state = State::Cancelled;
        return m_state;
    }
    m_state = State::Completed;
    if (m_percentChanged)
        m_percentChanged(100);
    return m_state;
}

void LabelRun::requestCancel()
{
    if (m_state != State::Running)
        return;
    const int sure = MessageService::instance().show(MessageRequest{
        QStringLiteral("Question"), QStringLiteral("Are you sure you want to CANCEL this Report?"),
        MessageRequest::Question, MessageRequest::Yes | MessageRequest::No, MessageRequest::No});
    if (sure == MessageRequest::Yes)
        m_state = State::Cancelled;
}

LabelRun::Outcome LabelRun::finish()
{
    if (m_state == State::Running)
        m_state = State::Cancelled;
    if (m_state != State::Completed || m_pages.isEmpty()) {
        m_pages.clear();
        return Outcome::Nothing;
    }
    if (m_preview)
        return Outcome::Preview;
    const bool printed = send();
    m_pages.clear();
    return printed ? Outcome::Printed : Outcome::Nothing;
}

bool LabelRun::printPreviewed()
{
    if (m_pages.isEmpty())
        return false;
    const bool printed = send();
    m_pages.clear();
    return printed;
}

bool LabelRun::send()
{
    QString error;
    if (LabelPrint::printPages(m_pages, m_printer, m_printer.copies(), &error))
        return true;
    sayLabelCannotPrint(error);
    return false;
}

} // namespace melodex
