// Reading a whole comma-separated file as other programs write it.
#include "importers/csvrecords.h"

#include <QStringDecoder>

namespace melodex::importers {

QString decodeText(const QByteArray &bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (utf8.hasError())
        text = QString::fromLatin1(view);
    return text;
}

std::vector<CsvRecord> splitCsv(const QString &text)
{
    std::vector<CsvRecord> records;
    CsvRecord record;
    QString field;
    bool quoted = false;    // inside a quoted field
    bool fieldOpen = false; // something of the current record has been read
    int line = 1;
    record.line = 1;
    const qsizetype n = text.size();
    const auto endRecord = [&] {
        if (fieldOpen || !field.isEmpty() || !record.fields.isEmpty()) {
            record.fields << field;
            records.push_back(std::move(record));
        }
        record = CsvRecord{};
        field.clear();
        fieldOpen = false;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n' || (c == u'\r' && !(i + 1 < n && text.at(i + 1) == u'\n')))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == u'"' && field.isEmpty()) {
            quoted = true;
            fieldOpen = true;
        } else if (c == u',') {
            record.fields << field;
            field.clear();
            fieldOpen = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            endRecord();
            ++line;
            record.line = line;
        } else {
            if (!fieldOpen && field.isEmpty())
                record.line = line;
            field += c;
            fieldOpen = true;
        }
    }
    if (quoted)
        record.unterminatedQuote = true;
    endRecord();
    return records;
}

} // namespace melodex::importers
