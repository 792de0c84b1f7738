// What an import could not take as it was: lines passed over and lines taken with changes.
#include "interchange/importreport.h"

#include "platform/textfile/textfile.h"

namespace melodex {

namespace {

QString describe(ImportReport::Kind kind)
{
    switch (kind) {
    case ImportReport::TooLong:
        return QStringLiteral("longer than %1 characters").arg(TextFile::MaxLineLength);
    case ImportReport::Binary:
        return QStringLiteral("holding NUL bytes (not text)");
    case ImportReport::NoValues:
        return QStringLiteral("with no value in any field");
    case ImportReport::UnterminatedQuote:
        return QStringLiteral("with a quote that is not closed within %1 characters (the "
                              "field runs to the end of its line)")
            .arg(TextFile::MaxLineLength);
    case ImportReport::ExtraFields:
        return QStringLiteral("with more fields than the first line (the extra fields are "
                              "ignored)");
    case ImportReport::UnreadableValue:
        return QStringLiteral("with values that could not be read (stored as empty or 0)");
    case ImportReport::CutText:
        return QStringLiteral("with texts longer than their field (cut to fit)");
    case ImportReport::Reencoded:
        return QStringLiteral("that are not UTF-8 (read as Windows-1252)");
    case ImportReport::NoMedia:
        return QStringLiteral("without a media format (given \"CD\", as the song form gives a "
                              "new song)");
    case ImportReport::KindCount:
        break;
    }
    return {};
}

QString lines(qint64 n)
{
    return n == 1 ? QStringLiteral("1 line") : QString::number(n) + QStringLiteral(" lines");
}

} // namespace

void ImportReport::note(Kind kind, qint64 line, const QString &detail)
{
    Entry &e = m_entries[kind];
    // A line with several unreadable values counts once.
    if (e.lastLine == line && e.count > 0)
        return;
    e.lastLine = line;
    ++e.count;
    if (e.examples.size() < ListedLines) {
        QString example = QStringLiteral("line ") + QString::number(line);
        if (!detail.isEmpty())
            example += QStringLiteral(" (") + detail + u')';
        e.examples << example;
    }
}

bool ImportReport::isEmpty() const
{
    for (const Entry &e : m_entries) {
        if (e.count > 0)
            return false;
    }
    return true;
}

QString ImportReport::text() const
{
    QStringList out;
    const auto section = [&](const QString &title, Kind first, Kind last) {
        QStringList items;
        for (int k = first; k <= last; ++k) {
            const Entry &e = m_entries[k];
            if (e.count == 0)
                continue;
            QString item = QStringLiteral("  ") + lines(e.count) + u' ' + describe(Kind(k)) +
                           QStringLiteral(": ") + e.examples.join(QStringLiteral(", "));
            if (e.count > e.examples.size())
                item += QStringLiteral(", ...");
            items << item;
        }
        if (!items.isEmpty())
            out << title << items;
    };
    section(QStringLiteral("Not imported:"), TooLong, NoValues);
    section(QStringLiteral("Imported with changes:"), UnterminatedQuote, NoMedia);
    return out.join(u'\n');
}

} // namespace melodex
