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

namespace melodex::test {

const char *beetsSchema()
{
    // beets makes one column per field of its Item and Album models, typed INTEGER, TEXT, REAL
    // or BLOB after the field's type, and a table of flexible attributes beside each.
    return "CREATE TABLE items (id INTEGER PRIMARY KEY, path BLOB, album_id INTEGER, title TEXT, "
           "artist TEXT, artist_sort TEXT, artist_credit TEXT, album TEXT, albumartist TEXT, "
           "albumartist_sort TEXT, albumartist_credit TEXT, genre TEXT, style TEXT, "
           "discogs_albumid INTEGER, discogs_artistid INTEGER, discogs_labelid INTEGER, "
           "lyricist TEXT, composer TEXT, composer_sort TEXT, work TEXT, mb_workid TEXT, "
           "work_disambig TEXT, arranger TEXT, grouping TEXT, year INTEGER, month INTEGER, "
           "day INTEGER, track INTEGER, tracktotal INTEGER, disc INTEGER, disctotal INTEGER, "
           "lyrics TEXT, comments TEXT, bpm INTEGER, comp INTEGER, mb_trackid TEXT, "
           "mb_albumid TEXT, mb_artistid TEXT, mb_albumartistid TEXT, mb_releasetrackid TEXT, "
           "trackdisambig TEXT, albumtype TEXT, albumtypes TEXT, label TEXT, "
           "acoustid_fingerprint TEXT, acoustid_id TEXT, mb_releasegroupid TEXT, asin TEXT, "
           "isrc TEXT, catalognum TEXT, script TEXT, language TEXT, country TEXT, "
           "albumstatus TEXT, media TEXT, albumdisambig TEXT, releasegroupdisambig TEXT, "
           "disctitle TEXT, encoder TEXT, rg_track_gain REAL, rg_track_peak REAL, "
           "rg_album_gain REAL, rg_album_peak REAL, r128_track_gain REAL, r128_album_gain REAL, "
           "original_year INTEGER, original_month INTEGER, original_day INTEGER, "
           "initial_key TEXT, length REAL, bitrate INTEGER, bitrate_mode TEXT, "
           "encoder_info TEXT, encoder_settings TEXT, format TEXT, samplerate INTEGER, "
           "bitdepth INTEGER, channels INTEGER, mtime REAL, added REAL);\n"
           "CREATE TABLE item_attributes (id INTEGER PRIMARY KEY, entity_id INTEGER, key TEXT, "
           "value TEXT, UNIQUE(entity_id, key) ON CONFLICT REPLACE);\n"
           "CREATE INDEX item_attributes_by_entity ON item_attributes (entity_id);\n"
           "CREATE TABLE albums (id INTEGER PRIMARY KEY, artpath BLOB, added REAL, "
           "albumartist TEXT, albumartist_sort TEXT, albumartist_credit TEXT, album TEXT, "
           "genre TEXT, style TEXT, discogs_albumid INTEGER, discogs_artistid INTEGER, "
           "discogs_labelid INTEGER, year INTEGER, month INTEGER, day INTEGER, "
           "disctotal INTEGER, comp INTEGER, mb_albumid TEXT, mb_albumartistid TEXT, "
           "albumtype TEXT, albumtypes TEXT, label TEXT, mb_releasegroupid TEXT, asin TEXT, "
           "catalognum TEXT, script TEXT, language TEXT, country TEXT, albumstatus TEXT, "
           "albumdisambig TEXT, releasegroupdisambig TEXT, rg_album_gain REAL, "
           "rg_album_peak REAL, r128_album_gain REAL, original_year INTEGER, "
           "original_month INTEGER, original_day INTEGER);\n"
           "CREATE TABLE album_attributes (id INTEGER PRIMARY KEY, entity_id INTEGER, key TEXT, "
           "value TEXT, UNIQUE(entity_id, key) ON CONFLICT REPLACE);\n"
           "CREATE INDEX album_attributes_by_entity ON album_attributes (entity_id);\n"
           "CREATE INDEX idx_item_album_id ON items (album_id);\n";
}

} // namespace melodex::test
