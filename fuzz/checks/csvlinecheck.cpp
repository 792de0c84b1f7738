// Checks the comma-delimited line splitter, the line builder and the import's field readings.
#include "csvlinecheck.h"

#include "data/records.h"
#include "interchange/csvlinebuilder.h"
#include "interchange/csvlinesplitter.h"
#include "interchange/importconversion.h"
#include "platform/picture/format.h"

#include <array>

namespace melodex::fuzz {

namespace {

using namespace Qt::StringLiterals;

const std::array<const char *, 12> Pictures{"@S1000", "@N30.9", "@n-13", "@n3", "@n_4b",   "@d2",
                                            "@d17",   "@d6.",   "@t4",   "@t1", "@n-10.2", "@s2"};

} // namespace

QString checkCsvLine(const char *data, size_t size)
{
    if (size == 0)
        return {};
    const picture::Picture picture = picture::Picture::parse(
        QString::fromLatin1(Pictures[size_t(quint8(data[0])) % Pictures.size()]));
    const QString line = QString::fromUtf8(data + 1, qsizetype(size - 1));

    // Whatever the line holds, its fields written as texts split back into the same texts.
    const QList<CsvField> fields = CsvLineSplitter::split(line);
    CsvLineBuilder builder;
    builder.start();
    for (const CsvField &f : fields)
        builder.addText(f.text);
    const QList<CsvField> again = CsvLineSplitter::split(builder.line());
    if (again.size() != fields.size())
        return u"%1 fields written back split into %2"_s.arg(fields.size()).arg(again.size());
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (again[i].text != fields[i].text || !again[i].quoted)
            return u"field %1 '%2' came back as '%3'"_s.arg(i).arg(fields[i].text, again[i].text);
    }

    // Every field read into every kind of song field, and the picture's own reading.
    const store::FileLayout &songs = SongloreRecord::fileLayout();
    for (const CsvField &f : fields) {
        (void)picture::deformat(f.text, picture);
        for (const char *name : {"Artist", "ReleaseDate", "ChartNumber", "Time", "Notes"}) {
            const int index = songs.fieldIndex(QString::fromLatin1(name));
            const store::FieldDef &def = songs.fields[size_t(index)];
            const ImportedValue v =
                convertImportValue(f.text, picture, def, picture::Picture::parse(def.picture));
            if (!def.isText() && v.readable && v.value.toLongLong() < 0 &&
                def.type != store::FieldType::Int32)
                return u"'%1' read as %2 into %3"_s.arg(f.text, v.value.toString(),
                                                        QLatin1String(name));
        }
    }
    return {};
}

} // namespace melodex::fuzz
