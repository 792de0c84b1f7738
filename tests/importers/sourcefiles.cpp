// Writing the files the importer tests read.
#include "sourcefiles.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <archive.h>
#include <archive_entry.h>

namespace melodex::test {

bool writeBytes(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

bool writeZip(const QString &path, const std::vector<std::pair<QString, QByteArray>> &members)
{
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    bool ok = archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    for (const auto &[name, data] : members) {
        if (!ok)
            break;
        archive_entry *e = archive_entry_new();
        archive_entry_set_pathname(e, name.toUtf8().constData());
        archive_entry_set_size(e, data.size());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        ok = archive_write_header(a, e) == ARCHIVE_OK &&
             archive_write_data(a, data.constData(), size_t(data.size())) == data.size();
        archive_entry_free(e);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}

QByteArray smallPng()
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray entityBomb(const QByteArray &root)
{
    QByteArray xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE " + root + " [\n";
    xml += " <!ENTITY a0 \"lol\">\n";
    for (int i = 1; i < 10; ++i) {
        xml += " <!ENTITY a" + QByteArray::number(i) + " \"";
        for (int j = 0; j < 10; ++j)
            xml += "&a" + QByteArray::number(i - 1) + ";";
        xml += "\">\n";
    }
    xml += "]>\n<" + root + " type=\"4\">&a9;</" + root + ">\n";
    return xml;
}

} // namespace melodex::test
