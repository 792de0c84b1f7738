// The laid-out pages of a report, kept as vector pictures in a temporary spool file.
#include "platform/print/pagelist.h"

#include <QDir>

namespace melodex::print {

namespace {
QString &spoolDirectory()
{
    static QString directory;
    return directory;
}
} // namespace

int pictureResolution()
{
    static const int dpi = QPicture().logicalDpiY();
    return dpi;
}

void PageList::setSpoolDirectory(const QString &directory)
{
    spoolDirectory() = directory;
}

PageList::PageList() = default;
PageList::~PageList() = default;

bool PageList::openSpool()
{
    if (m_spool)
        return true;
    const QString directory = spoolDirectory().isEmpty() ? QDir::tempPath() : spoolDirectory();
    auto spool =
        std::make_unique<QTemporaryFile>(directory + QStringLiteral("/melodex-pages-XXXXXX.spool"));
    if (!spool->open()) {
        m_error = spool->errorString();
        return false;
    }
    m_spool = std::move(spool);
    return true;
}

bool PageList::append(const QPicture &page)
{
    if (!openSpool())
        return false;
    const qint64 size = page.size();
    if (!m_spool->seek(m_spoolSize) || m_spool->write(page.data(), size) != size ||
        !m_spool->flush()) {
        m_error = m_spool->errorString();
        // The next page goes where this one failed, so the spool never holds a broken page.
        m_spool->resize(m_spoolSize);
        return false;
    }
    m_pages.append({m_spoolSize, size});
    m_spoolSize += size;
    return true;
}

QPicture PageList::page(int index) const
{
    QPicture picture;
    if (index < 0 || index >= m_pages.size() || !m_spool)
        return picture;
    const Entry e = m_pages[index];
    if (!m_spool->seek(e.offset))
        return picture;
    const QByteArray bytes = m_spool->read(e.size);
    if (bytes.size() == e.size)
        picture.setData(bytes.constData(), uint(bytes.size()));
    return picture;
}

void PageList::clear()
{
    m_pages.clear();
    m_spool.reset();
    m_spoolSize = 0;
    m_error.clear();
}

} // namespace melodex::print
