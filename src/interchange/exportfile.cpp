// The comma-delimited file an export writes: choosing, creating, writing and closing it.
#include "interchange/exportfile.h"

#include "interchange/importfile.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"

namespace melodex {

namespace {

int show(const QString &caption, const QString &text, int buttons = MessageRequest::Ok,
         int defaultButton = MessageRequest::Ok)
{
    return MessageService::instance().show(
        MessageRequest{caption, text, MessageRequest::Warning, buttons, defaultButton});
}

} // namespace

QString ExportFile::errorText() const
{
    return fileErrorText(m_text.errorNumber(), m_text.errorString());
}

bool ExportFile::create(const QString &path)
{
    m_path = path.isEmpty()
                 ? DialogService::instance().getSaveFileName(DialogCaption, QString(), DialogFilter)
                 : path;
    if (m_path.isEmpty())
        return false;
    const TextFile::Status created =
        m_path == StandardOutput ? m_text.createStandardOutput() : m_text.create(m_path);
    if (created != TextFile::Ok) {
        show(QStringLiteral("Cannot CREATE ") + m_path, errorText());
        return false;
    }
    return true;
}

bool ExportFile::writeLine(const QString &line)
{
    for (;;) {
        if (m_text.writeLine(line) == TextFile::Ok)
            return true;
        if (m_text.status() == TextFile::LineTooLong || m_text.status() == TextFile::NotOpen) {
            // Trying again cannot help.
            show(QStringLiteral("Cannot ADD to ") + m_path, errorText());
            return false;
        }
        if (show(QStringLiteral("Cannot ADD to ") + m_path, errorText(),
                 MessageRequest::Retry | MessageRequest::Abort,
                 MessageRequest::Abort) != MessageRequest::Retry)
            return false;
    }
}

bool ExportFile::close()
{
    if (!m_text.isOpen())
        return true;
    if (m_text.close() != TextFile::Ok) {
        show(QStringLiteral("Cannot CLOSE ") + m_path, errorText());
        return false;
    }
    return true;
}

} // namespace melodex
