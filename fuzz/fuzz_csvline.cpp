// Fuzz target: splitting comma-delimited lines, writing them back, and reading field texts
// through pictures as an import does.
#include "data/records.h"
#include "interchange/csvlinebuilder.h"
#include "interchange/csvlinesplitter.h"
#include "interchange/importconversion.h"
#include "platform/picture/format.h"

#include <QString>

#include <array>
#include <cstdint>
#include <cstdlib>

using namespace melodex;

namespace {

const std::array<const char *, 12> Pictures{"@S1000", "@N30.9", "@n-13", "@n3", "@n_4b",   "@d2",
                                            "@d17",   "@d6.",   "@t4",   "@t1", "@n-10.2", "@s2"};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const picture::Picture picture =
        picture::Picture::parse(QString::fromLatin1(Pictures[data[0] % Pictures.size()]));
    const QString line =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    // Whatever the line holds, its fields written as texts split back into the same texts.
    const QList<CsvField> fields = CsvLineSplitter::split(line);
    CsvLineBuilder builder;
    builder.start();
    for (const CsvField &f : fields)
        builder.addText(f.text);
    const QList<CsvField> again = CsvLineSplitter::split(builder.line());
    check(again.size() == fields.size());
    for (qsizetype i = 0; i < fields.size(); ++i)
        check(again[i].text == fields[i].text && again[i].quoted);

    // Every field read into every kind of song field, and the picture's own reading.
    const store::FileLayout &songs = SongloreRecord::fileLayout();
    for (const CsvField &f : fields) {
        (void)picture::deformat(f.text, picture);
        for (const char *name : {"Artist", "ReleaseDate", "ChartNumber", "Time", "Notes"}) {
            const int index = songs.fieldIndex(QString::fromLatin1(name));
            const store::FieldDef &def = songs.fields[size_t(index)];
            const ImportedValue v =
                convertImportValue(f.text, picture, def, picture::Picture::parse(def.picture));
            if (!def.isText() && v.readable)
                check(v.value.toLongLong() >= 0 || def.type == store::FieldType::Int32);
        }
    }
    return 0;
}
