// The comma-delimited file an import reads: choosing and opening it, and reading its lines.
#include "interchange/importfile.h"

#include "services/dialogservice.h"
#include "services/messageservice.h"

namespace melodex {

namespace {

void show(const QString &caption, const QString &text)
{
    MessageService::instance().show(MessageRequest{caption, text, MessageRequest::Warning,
                                                   MessageRequest::Ok, MessageRequest::Ok});
}

} // namespace

QString fileErrorText(int number, const QString &text)
{
    if (number == 0)
        return text;
    return QStringLiteral("Error #") + QString::number(number) + QStringLiteral(" - ") + text;
}

QString ImportFile::errorText() const
{
    return fileErrorText(m_text.errorNumber(), m_text.errorString());
}

int ImportFile::percent() const
{
    if (size() <= 0)
        return 100;
    return int(std::min<qint64>(100, bytesRead() * 100 / size()));
}

bool ImportFile::tryOpen(const QString &path)
{
    const QString caption = QStringLiteral("Cannot OPEN ") + path;
    if (m_text.open(path) != TextFile::Ok) {
        show(caption, errorText());
        return false;
    }
    if (m_text.size() == 0) {
        m_text.close();
        show(QStringLiteral("Attention!"),
             QStringLiteral("That file is empty!  Please pick another file."));
        return false;
    }
    // The first line names the import fields: a file whose first line is not text cannot be
    // assigned, so it is refused here rather than after the user has set it up.
    switch (readFieldLine()) {
    case Line::Fields:
        break;
    case Line::End:
        m_text.close();
        show(QStringLiteral("Attention!"),
             QStringLiteral("That file is empty!  Please pick another file."));
        return false;
    case Line::TooLong:
    case Line::Binary:
    case Line::Failed:
    case Line::Blank:
        show(caption, errorText());
        m_text.close();
        return false;
    }
    if (!rewind()) {
        show(caption, errorText());
        m_text.close();
        return false;
    }
    return true;
}

qint64 ImportFile::open(const QString &path)
{
    if (!path.isEmpty())
        return tryOpen(path) ? size() : 0;
    for (;;) {
        const QString chosen =
            DialogService::instance().getOpenFileName(DialogCaption, QString(), DialogFilter);
        if (chosen.isEmpty())
            return 0;
        if (tryOpen(chosen))
            return size();
    }
}

bool ImportFile::rewind()
{
    m_fields.clear();
    m_ahead.clear();
    m_lineNumber = m_lastLineNumber = 0;
    m_reencoded = false;
    m_unterminated = false;
    return m_text.rewind() == TextFile::Ok;
}

ImportFile::PhysicalLine ImportFile::nextPhysicalLine()
{
    if (!m_ahead.empty()) {
        PhysicalLine line = std::move(m_ahead.front());
        m_ahead.pop_front();
        return line;
    }
    PhysicalLine line;
    line.status = m_text.readLine(&line.text);
    line.number = m_text.lineNumber();
    line.reencoded = m_text.lineWasReencoded();
    return line;
}

// Takes the lines after `first` into its record while a quoted field is open at their end.
// False, with every line read put back, when the quote does not close properly in time.
bool ImportFile::joinFollowingLines(const PhysicalLine &first)
{
    std::vector<PhysicalLine> taken;
    QString record = first.text;
    bool reencoded = first.reencoded;
    for (;;) {
        PhysicalLine next = nextPhysicalLine();
        if (next.status != TextFile::Ok) {
            taken.push_back(std::move(next));
            break;
        }
        record += u'\n';
        record += next.text;
        reencoded = reencoded || next.reencoded;
        taken.push_back(std::move(next));
        if (record.size() > TextFile::MaxLineLength)
            break;
        bool open = false;
        bool stray = false;
        QList<CsvField> fields = CsvLineSplitter::split(record, &open, &stray);
        if (stray)
            break;
        if (!open) {
            m_fields = std::move(fields);
            m_lastLineNumber = taken.back().number;
            m_reencoded = reencoded;
            return true;
        }
    }
    for (auto it = taken.rbegin(); it != taken.rend(); ++it)
        m_ahead.push_front(std::move(*it));
    return false;
}

ImportFile::Line ImportFile::readLine()
{
    m_fields.clear();
    m_unterminated = false;
    const PhysicalLine line = nextPhysicalLine();
    m_lineNumber = m_lastLineNumber = line.number;
    m_reencoded = line.reencoded;
    switch (line.status) {
    case TextFile::Ok:
        break;
    case TextFile::EndOfFile:
        return Line::End;
    case TextFile::LineTooLong:
        m_fields = CsvLineSplitter::split(line.text, &m_unterminated);
        return Line::TooLong;
    case TextFile::BinaryData:
        m_fields = CsvLineSplitter::split(line.text, &m_unterminated);
        return Line::Binary;
    default:
        return Line::Failed;
    }
    m_fields = CsvLineSplitter::split(line.text, &m_unterminated);
    if (m_unterminated && joinFollowingLines(line))
        m_unterminated = false;
    return m_fields.isEmpty() ? Line::Blank : Line::Fields;
}

ImportFile::Line ImportFile::readFieldLine()
{
    for (;;) {
        const Line line = readLine();
        if (line != Line::Blank)
            return line;
    }
}

} // namespace melodex
