// The libcdio device: opens the drive or image, reads its table of contents and CD-Text.
#include "platform/cd/cdiomediacontrol.h"

#include "platform/cd/discimagecheck.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <QTemporaryDir>

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>

#include <memory>

namespace melodex::cd {

namespace {

// libcdio reports why an image cannot be opened only through its log; while a source is examined
// the log's warnings are collected for the message instead of going to standard error.
QStringList *collectedLog = nullptr;

void collectLog(cdio_log_level_t level, const char message[])
{
    if (collectedLog && level >= CDIO_LOG_WARN) {
        const QString line = QString::fromLocal8Bit(message).simplified();
        if (!line.isEmpty() && !collectedLog->contains(line))
            collectedLog->append(line);
    }
}

class LogCollector
{
public:
    LogCollector() : m_previous(cdio_log_set_handler(collectLog)) { collectedLog = &lines; }
    ~LogCollector()
    {
        collectedLog = nullptr;
        cdio_log_set_handler(m_previous);
    }
    LogCollector(const LogCollector &) = delete;
    LogCollector &operator=(const LogCollector &) = delete;
    QStringList lines;

private:
    cdio_log_handler_t m_previous;
};

struct CdioDeleter
{
    void operator()(CdIo_t *p) const { cdio_destroy(p); }
};
using CdioHandle = std::unique_ptr<CdIo_t, CdioDeleter>;

// The driver for a disc image by its name; DRIVER_DEVICE for anything else (a drive's path).
driver_id_t driverFor(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("cue") || suffix == QLatin1String("bin"))
        return DRIVER_BINCUE;
    if (suffix == QLatin1String("toc"))
        return DRIVER_CDRDAO;
    if (suffix == QLatin1String("nrg"))
        return DRIVER_NRG;
    return DRIVER_DEVICE;
}

QString text(cdtext_t *cdtext, cdtext_field_t field, track_t track)
{
    const char *value = cdtext ? cdtext_get_const(cdtext, field, track) : nullptr;
    if (!value)
        return {};
    const QString text = QString::fromUtf8(value).trimmed();
    // libcdio takes a cue sheet's text for ISO-8859-1, as a disc's CD-Text is, but most cue
    // sheets written today are UTF-8: text whose Latin-1 bytes are valid UTF-8 was UTF-8.
    bool latin1 = true;
    bool ascii = true;
    for (const QChar c : text) {
        latin1 = latin1 && c.unicode() <= 0xff;
        ascii = ascii && c.unicode() < 0x80;
    }
    if (ascii || !latin1)
        return text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8(text.toLatin1());
    return utf8.hasError() ? text : decoded;
}

std::optional<DiscToc> readToc(CdIo_t *p)
{
    const track_t first = cdio_get_first_track_num(p);
    const track_t count = cdio_get_num_tracks(p);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0)
        return std::nullopt;
    DiscToc toc;
    toc.firstTrack = first;
    cdtext_t *cdtext = cdio_get_cdtext(p);
    toc.disc = {text(cdtext, CDTEXT_FIELD_TITLE, 0), text(cdtext, CDTEXT_FIELD_PERFORMER, 0)};
    for (int t = first; t < first + count; ++t) {
        toc.offsets.push_back(int(cdio_get_track_lba(p, track_t(t))));
        toc.dataTrack.push_back(cdio_get_track_format(p, track_t(t)) != TRACK_FORMAT_AUDIO);
        toc.trackText.push_back({text(cdtext, CDTEXT_FIELD_TITLE, track_t(t)),
                                 text(cdtext, CDTEXT_FIELD_PERFORMER, track_t(t))});
    }
    toc.leadout = int(cdio_get_track_lba(p, CDIO_CDROM_LEADOUT_TRACK));
    if (!toc.hasText())
        toc.trackText.clear();
    return toc;
}

// The sheet a .bin file belongs to, named as libcdio names it: "x.bin" belongs to "x.cue".
QString cueSheetOf(const QString &bin)
{
    QString cue = bin;
    if (cue.endsWith(QLatin1String(".bin")))
        cue.replace(cue.size() - 3, 3, QStringLiteral("cue"));
    else if (cue.endsWith(QLatin1String(".BIN")))
        cue.replace(cue.size() - 3, 3, QStringLiteral("CUE"));
    return cue;
}

// Checks the image `path` for `driver`: the result names what libcdio opens (the image itself or
// a checked copy of its sheet in `scratch`), or says why the image cannot be read.
image::PreparedSheet prepareImage(const QString &path, driver_id_t driver,
                                  std::unique_ptr<QTemporaryDir> &scratch)
{
    if (const QString problem = image::refuseFileType(path, image::Allow::RegularFile);
        !problem.isEmpty())
        return {{}, problem, false};
    if (driver == DRIVER_NRG)
        return image::checkNeroImage(path);
    QString sheet = path;
    if (driver == DRIVER_BINCUE &&
        QFileInfo(path).suffix().compare(QLatin1String("bin"), Qt::CaseInsensitive) == 0) {
        sheet = cueSheetOf(path);
        if (sheet == path || !QFileInfo::exists(sheet))
            return {{},
                    QStringLiteral("%1 has no cue sheet beside it (%2).")
                        .arg(path, QFileInfo(path).completeBaseName() + QStringLiteral(".cue")),
                    false};
    }
    scratch = std::make_unique<QTemporaryDir>();
    if (!scratch->isValid())
        return {{},
                QStringLiteral("%1 cannot be checked: %2.").arg(path, scratch->errorString()),
                false};
    return driver == DRIVER_CDRDAO ? image::prepareTocFile(sheet, scratch->path())
                                   : image::prepareCueSheet(sheet, scratch->path());
}

} // namespace

CdioMediaControl::CdioMediaControl(QString source) : m_source(std::move(source)) {}

CdioMediaControl::State CdioMediaControl::examine(const QString &source)
{
    State state;
    LogCollector log;
    QString path = source;
    driver_id_t driver = DRIVER_DEVICE;
    if (path.isEmpty()) {
        char *device = cdio_get_default_device(nullptr);
        if (!device) {
            state.code = MciInvalidDeviceName;
            return state;
        }
        path = QString::fromLocal8Bit(device);
        cdio_free(device);
    } else {
        // A FIFO would block the open, a folder reads as an empty disc: only a drive or an image
        // file is opened, and an image only once its structure is checked.
        if (const QString problem = image::refuseFileType(path, image::Allow::RegularFileOrDevice);
            !problem.isEmpty()) {
            state.code = MciInvalidDeviceName;
            state.detail = problem;
            return state;
        }
        driver = driverFor(path);
    }
    std::unique_ptr<QTemporaryDir> scratch;
    QString toOpen = path;
    if (driver != DRIVER_DEVICE) {
        const image::PreparedSheet prepared = prepareImage(path, driver, scratch);
        if (!prepared.problem.isEmpty()) {
            state.code = prepared.damaged ? MciHardware : MciInvalidDeviceName;
            state.detail = prepared.problem;
            return state;
        }
        toOpen = prepared.path;
    }

    const CdioHandle p(cdio_open(toOpen.toLocal8Bit().constData(), driver));
    if (!p) {
        state.code = MciInvalidDeviceName;
        state.detail = QStringLiteral("%1 cannot be read as a CD drive or disc image").arg(path);
        log.lines.removeAll(QStringLiteral("init failed"));
        if (!log.lines.isEmpty())
            state.detail += QStringLiteral(" (") + log.lines.join(QStringLiteral("; ")) + u')';
        state.detail += u'.';
        return state;
    }
    if (driver == DRIVER_DEVICE && mmc_get_tray_status(p.get()) == 1) {
        state.trayOpen = true;
        return state;
    }
    state.toc = readToc(p.get());
    if (state.toc && driver != DRIVER_DEVICE) {
        if (const int bad = state.toc->firstInvalidTrack(); bad >= 0) {
            state.code = MciHardware;
            state.detail = QStringLiteral("The disc image %1 is damaged: its data ends before "
                                          "track %2 does.")
                               .arg(path)
                               .arg(state.toc->firstTrack + bad);
            state.toc.reset();
        }
    }
    return state;
}

void CdioMediaControl::refresh()
{
    m_state = examine(m_source);
    m_examined = true;
}

MciResult CdioMediaControl::command(const QString &text)
{
    const QStringList words = text.simplified().toLower().split(u' ', Qt::SkipEmptyParts);
    if (words.size() < 2)
        return {MciUnrecognizedCommand, {}};
    if (words[1] != QLatin1String("cdaudio"))
        return {MciInvalidDeviceName, {}};
    if (words[0] == QLatin1String("open")) {
        if (m_open)
            return {MciDeviceOpen, {}};
        refresh();
        if (m_state.code != 0)
            return {m_state.code, {}};
        m_open = true;
        return {0, QStringLiteral("1")};
    }
    if (words[0] == QLatin1String("close")) {
        m_open = false;
        return {0, {}};
    }
    if (words[0] == QLatin1String("status"))
        return status(words.mid(2));
    return {MciUnrecognizedCommand, {}};
}

MciResult CdioMediaControl::status(const QStringList &words)
{
    const QString item = words.join(u' ');
    const bool checksState = item == QLatin1String("ready") || item == QLatin1String("mode") ||
                             item == QLatin1String("media present");
    if (checksState || (!m_open && !m_examined))
        refresh();
    if (m_state.code != 0)
        return {m_state.code, {}};

    const auto truth = [](bool b) {
        return MciResult{0, b ? QStringLiteral("true") : QStringLiteral("false")};
    };
    if (item == QLatin1String("ready"))
        return truth(m_state.trayOpen || m_state.toc.has_value());
    if (item == QLatin1String("media present"))
        return truth(m_state.toc.has_value());
    if (item == QLatin1String("mode")) {
        if (m_state.trayOpen)
            return {0, QStringLiteral("open")};
        return {0, m_state.toc ? QStringLiteral("stopped") : QStringLiteral("not ready")};
    }

    if (!m_state.toc)
        return {MciDeviceNotReady, {}};
    const DiscToc &toc = *m_state.toc;
    if (item == QLatin1String("number of tracks"))
        return {0, QString::number(toc.trackCount())};
    if (item == QLatin1String("length"))
        return {0, DiscToc::msf(toc.discFrames())};
    if (words.size() == 3 && words[0] == QLatin1String("length") &&
        words[1] == QLatin1String("track")) {
        bool ok = false;
        const int track = words[2].toInt(&ok);
        const int index = track - toc.firstTrack;
        if (!ok || index < 0 || index >= toc.trackCount())
            return {MciOutOfRange, {}};
        return {0, DiscToc::msf(toc.trackFrames(index))};
    }
    return {MciUnrecognizedCommand, {}};
}

} // namespace melodex::cd
