// Capped reading of zip archives with libarchive.
#include "importers/ziparchive.h"

#include <QFile>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace melodex::importers {

namespace {

struct ArchiveReader
{
    archive *a = archive_read_new();
    ~ArchiveReader() { archive_read_free(a); }
    ArchiveReader() { archive_read_support_format_zip(a); }
    ArchiveReader(const ArchiveReader &) = delete;
    ArchiveReader &operator=(const ArchiveReader &) = delete;

    bool open(const QString &path)
    {
        return archive_read_open_filename(a, QFile::encodeName(path).constData(), 1 << 16) ==
               ARCHIVE_OK;
    }
    QString errorText() const
    {
        const char *e = archive_error_string(a);
        return e ? QString::fromLocal8Bit(e) : QStringLiteral("unknown error");
    }
};

QString entryName(archive_entry *e)
{
    if (const char *utf8 = archive_entry_pathname_utf8(e))
        return QString::fromUtf8(utf8);
    const char *raw = archive_entry_pathname(e);
    return raw ? QString::fromLocal8Bit(raw) : QString();
}

} // namespace

bool looksLikeZip(const QByteArray &head)
{
    return head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06");
}

bool zipHasMember(const QString &path, const QString &name)
{
    ArchiveReader r;
    if (!r.open(path))
        return false;
    archive_entry *e = nullptr;
    // A bound on the entries looked at keeps recognising a hostile archive quick.
    for (int i = 0; i < 100000 && archive_read_next_header(r.a, &e) == ARCHIVE_OK; ++i) {
        if (entryName(e) == name)
            return true;
        archive_read_data_skip(r.a);
    }
    return false;
}

ZipContent readZip(const QString &path, const std::function<qint64(const QString &name)> &limitFor,
                   qint64 maxTotal)
{
    ZipContent out;
    ArchiveReader r;
    if (!r.open(path)) {
        out.error = QStringLiteral("The archive cannot be opened: %1").arg(r.errorText());
        return out;
    }
    qint64 total = 0;
    archive_entry *e = nullptr;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    while (true) {
        const int rc = archive_read_next_header(r.a, &e);
        if (rc == ARCHIVE_EOF)
            break;
        if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN) {
            const QString text = QStringLiteral("The archive is damaged: %1").arg(r.errorText());
            if (out.members.empty())
                out.error = text;
            else
                out.problems << text;
            break;
        }
        const QString name = entryName(e);
        const qint64 limit = archive_entry_filetype(e) == AE_IFREG ? limitFor(name) : 0;
        if (limit <= 0) {
            archive_read_data_skip(r.a);
            continue;
        }
        const qint64 declared = archive_entry_size_is_set(e) ? archive_entry_size(e) : -1;
        if (declared > limit || (declared > 0 && total + declared > maxTotal)) {
            out.problems
                << QStringLiteral("%1 is too large (%2 bytes); left out.").arg(name).arg(declared);
            archive_read_data_skip(r.a);
            continue;
        }
        // The declared size may lie: the reading itself stops at the limit.
        QByteArray data;
        bool tooLarge = false;
        bool damaged = false;
        while (true) {
            const la_ssize_t n = archive_read_data(r.a, buffer.data(), size_t(buffer.size()));
            if (n == 0)
                break;
            if (n < 0) {
                damaged = true;
                break;
            }
            if (data.size() + n > limit || total + data.size() + n > maxTotal) {
                tooLarge = true;
                break;
            }
            data.append(buffer.constData(), n);
        }
        if (tooLarge) {
            out.problems << QStringLiteral("%1 unpacks to more than %2 bytes; left out.")
                                .arg(name)
                                .arg(std::min(limit, maxTotal - total));
            continue;
        }
        if (damaged) {
            out.problems
                << QStringLiteral("%1 cannot be unpacked: %2; left out.").arg(name, r.errorText());
            continue;
        }
        total += data.size();
        out.members.push_back({name, std::move(data)});
    }
    return out;
}

} // namespace melodex::importers
