// Checks the settings files: a setting written reads back, rewriting it changes nothing, and
// removing it removes it, whatever the file held before.
#include "profilecheck.h"

#include "platform/profile/profile.h"

#include <QFile>
#include <QTemporaryDir>

namespace melodex::fuzz {

namespace {

using namespace Qt::StringLiterals;

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The value as a read gives it back: the blanks around it are not kept.
QString asRead(QString value)
{
    auto blank = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
    };
    while (!value.isEmpty() && blank(value.back()))
        value.chop(1);
    while (!value.isEmpty() && blank(value.front()))
        value.remove(0, 1);
    return value;
}

} // namespace

QString checkProfile(const char *data, size_t size)
{
    const QByteArray input(data, qsizetype(size));
    const qsizetype split = input.indexOf('\x1e');
    if (split < 0)
        return {};
    const QList<QByteArray> parts = input.mid(split + 1).split('\x1f');
    if (parts.size() != 3)
        return {};
    const QString section = QString::fromUtf8(parts[0]);
    const QString key = QString::fromUtf8(parts[1]);
    const QString value = QString::fromUtf8(parts[2]);

    static QTemporaryDir dir;
    const QString path = dir.filePath(u"fuzz.ini"_s);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return u"cannot write the scratch file"_s;
        file.write(input.left(split));
    }
    Profile::clearCache();
    const QByteArray before = contents(path);
    const QString missing = u"\x01missing"_s;

    if (!Profile::writeString(path, section, key, value)) {
        if (contents(path) != before)
            return u"a refused write changed the file"_s;
        return {};
    }
    const QByteArray written = contents(path);
    for (bool cached : {true, false}) {
        if (!cached)
            Profile::clearCache();
        const QString read = Profile::readString(path, section, key, missing);
        if (read != asRead(value))
            return u"wrote '%1' and read '%2'%3"_s.arg(value, read,
                                                       cached ? QString() : u" from the disk"_s);
    }
    if (!Profile::writeString(path, section, key, value) || contents(path) != written)
        return u"writing the same value again changed the file"_s;

    if (!Profile::removeKey(path, section, key))
        return u"removeKey failed"_s;
    for (bool cached : {true, false}) {
        if (!cached)
            Profile::clearCache();
        if (const QString read = Profile::readString(path, section, key, missing); read != missing)
            return u"the key still reads '%1' after removeKey"_s.arg(read);
    }
    const QByteArray removed = contents(path);
    if (!Profile::removeKey(path, section, key) || contents(path) != removed)
        return u"removing a missing key changed the file"_s;
    return {};
}

} // namespace melodex::fuzz
