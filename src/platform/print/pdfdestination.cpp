// A PDF file as the printer of a report.
#include "platform/print/pdfdestination.h"

#include "platform/print/devicecanvas.h"
#include "platform/print/pagelist.h"
#include "platform/print/pageprinter.h"
#include "platform/print/pdftarget.h"

#include <QLocale>
#include <QPageSize>

#include <unistd.h>

namespace melodex::print {

// Draws straight into the PDF and puts the file in place when the job ends.
class PdfDestination::Canvas : public PageCanvas
{
public:
    explicit Canvas(PdfDestination &owner)
        : m_owner(owner), m_canvas(std::make_unique<DeviceCanvas>(*owner.m_writer))
    {
    }
    ~Canvas() override { finish(); }
    bool finish() override
    {
        if (m_finished)
            return m_ok;
        m_finished = true;
        m_ok = m_canvas->finish() && m_canvas->pageCount() > 0;
        m_owner.m_writer.reset();
        if (m_ok)
            m_ok = m_owner.commit();
        else
            m_owner.m_file.reset(); // nothing printed: the old file stays
        return m_ok;
    }
    void abort() override
    {
        if (m_finished)
            return;
        m_finished = true;
        m_canvas->abort();
        m_owner.m_writer.reset();
        m_owner.m_file.reset(); // not committed: the old file stays
    }
    QSizeF pageSize() const override { return m_canvas->pageSize(); }
    QPainter *beginPage() override { return m_canvas->beginPage(); }
    bool endPage() override { return m_canvas->endPage(); }
    int pageCount() const override { return m_canvas->pageCount(); }
    QString errorText() const override
    {
        return m_owner.m_error.isEmpty() ? m_canvas->errorText() : m_owner.m_error;
    }

private:
    PdfDestination &m_owner;
    std::unique_ptr<DeviceCanvas> m_canvas;
    bool m_finished = false;
    bool m_ok = false;
};

QPageLayout PdfDestination::defaultLayout()
{
    const QLocale::Territory t = QLocale::system().territory();
    const bool letter = t == QLocale::UnitedStates || t == QLocale::Canada;
    return QPageLayout(QPageSize(letter ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(36, 36, 36, 36), QPageLayout::Point);
}

PdfDestination::PdfDestination(const QString &path, const QPageLayout &layout)
    : m_path(path), m_layout(layout)
{
}

PdfDestination::~PdfDestination() = default;

void PdfDestination::setOrientation(QPageLayout::Orientation orientation)
{
    m_layout.setOrientation(orientation);
}

void PdfDestination::setPageSize(const QPageSize &size, const QMarginsF &margins)
{
    m_layout = QPageLayout(size, QPageLayout::Portrait, margins, QPageLayout::Point);
}

bool PdfDestination::openWriter()
{
    m_file.reset();
    if (const QString refusal = pdfTargetRefusal(m_path); !refusal.isEmpty()) {
        m_error = refusal;
        return false;
    }
    m_file = std::make_unique<QSaveFile>(m_path);
    if (!m_file->open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("Cannot write %1: %2").arg(m_path, m_file->errorString());
        m_file.reset();
        return false;
    }
    m_writer = std::make_unique<QPdfWriter>(m_file.get());
    m_writer->setCreator(QStringLiteral("Melodex"));
    if (!m_title.isEmpty())
        m_writer->setTitle(m_title);
    // Pictures play their text back right only on a device of their own resolution; a PDF is
    // vector output whatever the number.
    m_writer->setResolution(pictureResolution());
    m_writer->setPageLayout(m_layout);
    return true;
}

bool PdfDestination::commit()
{
    if (!m_file)
        return false;
    if (!m_hold)
        return placeHeld();
    // Written whole and on the disk, so that only the rename is left for placeHeld().
    if (!m_file->flush() || m_file->error() != QFileDevice::NoError ||
        ::fsync(m_file->handle()) != 0) {
        m_error = QStringLiteral("Cannot write %1: %2").arg(m_path, m_file->errorString());
        m_file.reset();
        return false;
    }
    return true;
}

bool PdfDestination::placeHeld()
{
    m_hold = false; // a hold covers one job
    if (!m_file)
        return true;
    // Checked again: the target may have changed while the pages were laid out.
    if (const QString refusal = pdfTargetRefusal(m_path); !refusal.isEmpty()) {
        m_error = refusal;
        m_file.reset();
        return false;
    }
    const bool ok = m_file->commit();
    if (!ok)
        m_error = QStringLiteral("Cannot write %1: %2").arg(m_path, m_file->errorString());
    m_file.reset();
    m_written = m_written || ok;
    return ok;
}

void PdfDestination::dropHeld()
{
    m_hold = false;
    m_file.reset(); // never committed: the temporary file goes, the old file stays
}

std::unique_ptr<PageCanvas> PdfDestination::openDirect()
{
    if (!openWriter())
        return nullptr;
    return std::make_unique<Canvas>(*this);
}

bool PdfDestination::printPages(const PageList &pages, const std::vector<int> &order)
{
    if (!openWriter())
        return false;
    QString error;
    const bool printed = printPageList(pages, order, *m_writer, &error);
    m_writer.reset();
    if (!printed) {
        m_error = error;
        m_file.reset();
        return false;
    }
    return commit();
}

} // namespace melodex::print
