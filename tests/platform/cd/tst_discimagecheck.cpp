// Tests of the checks a disc image passes before libcdio reads it: damaged Nero images, sheets
// that name FIFOs, folders or too many tracks, and TOC files with relative file names.
#include "discimage.h"

#include "platform/cd/cdiomediacontrol.h"
#include "platform/cd/discimagecheck.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace melodex;
using namespace melodex::cd;
using melodex::test::DiscImage;

namespace {

class DiscImageCheckTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString dirPath() const { return m_dir.path(); }
    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return file.fileName();
    }
    QString fifo(const QString &name) const
    {
        const QString p = path(name);
        EXPECT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0);
        return p;
    }

private:
    QTemporaryDir m_dir;
};

QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

QByteArray be64(quint64 v)
{
    QByteArray b(8, '\0');
    qToBigEndian(v, b.data());
    return b;
}

QByteArray chunk(const char *id, const QByteArray &body)
{
    return QByteArray(id, 4) + be32(quint32(body.size())) + body;
}

// A Nero image of audio tracks of the given lengths (in frames), as Nero writes one for a disc
// written track at once: the data, then an ETN2 chunk, END! and the NER5 trailer.
QByteArray neroImage(const std::vector<int> &frames, const QByteArray &extraChunks = {})
{
    QByteArray data;
    QByteArray entries;
    quint64 sector = 0;
    for (const int f : frames) {
        entries += be64(sector * 2352) + be64(quint64(f) * 2352) + be32(7) + be32(quint32(sector)) +
                   be64(0);
        data += QByteArray(f * 2352, '\0');
        sector += quint64(f);
    }
    const quint64 footer = quint64(data.size());
    return data + extraChunks + chunk("ETN2", entries) + chunk("END!", {}) + "NER5" + be64(footer);
}

TEST_F(DiscImageCheckTest, NeroImagesAreReadOnlyWhenTheirFooterHolds)
{
    const CdioMediaControl::State good =
        CdioMediaControl::examine(write(QStringLiteral("good.nrg"), neroImage({300, 450})));
    ASSERT_TRUE(good.toc) << good.detail.toStdString();
    EXPECT_EQ(good.toc->trackCount(), 2);
    EXPECT_EQ(good.toc->trackFrames(1), 450);

    // CD-Text as a disc carries it: three size packs, then the texts.
    QByteArray packs;
    for (int i = 0; i < 3; ++i) {
        QByteArray sizes(12, '\0');
        if (i == 1)
            sizes[7] = 3;
        packs += QByteArray("\x8f", 1) + char(i) + char(i) + '\0' + sizes + QByteArray(2, '\0');
    }
    packs += QByteArray("\x80\x00\x03\x00", 4) + QByteArray("Disc\0Song\0\0\0", 12) +
             QByteArray(2, '\0');
    const CdioMediaControl::State text = CdioMediaControl::examine(
        write(QStringLiteral("text.nrg"), neroImage({300}, chunk("CDTX", packs))));
    ASSERT_TRUE(text.toc) << text.detail.toStdString();
    EXPECT_EQ(text.toc->trackCount(), 1);

    // Each of these once crashed libcdio or made it read past its buffer: a chunk longer than the
    // file, a footer offset past the end, no end mark, a footer of many kilobytes, a CUEX list
    // with half an entry, two track lists, a session chunk of the wrong size, no tracks at all.
    QByteArray crash = "CUEX\x7f\xff\xff\xff" + QByteArray(100, '\0') + "NER5" + be64(0);
    const QByteArray audio(300 * 2352, '\0');
    const QByteArray etn2 = chunk("ETN2", be64(0) + be64(300 * 2352) + be32(7) + be32(0) + be64(0));
    const std::vector<std::pair<const char *, QByteArray>> damaged{
        {"crash", crash},
        {"footer-past-end", audio + etn2 + chunk("END!", {}) + "NER5" + be64(1u << 30)},
        {"no-end", audio + etn2 + "NER5" + be64(audio.size())},
        {"long-footer", audio + chunk("MTYP", QByteArray(5000, '\0')) + etn2 + chunk("END!", {}) +
                            "NER5" + be64(audio.size())},
        {"odd-cuex", neroImage({300}, chunk("CUEX", QByteArray(24, '\0')))},
        {"two-lists", neroImage({300}, etn2)},
        {"sinf", neroImage({300}, chunk("SINF", QByteArray(2, '\0')))},
        // CD-Text libcdio cannot read made it free the text twice.
        {"cdtext-without-sizes",
         neroImage({300},
                   chunk("CDTX", QByteArray("\x80\x00\x00\x00Title\0\0\0\0\0\0\0\0\0", 18)))},
        {"empty-cdtext", neroImage({300}, chunk("CDTX", {}))},
        // A title running through 30 CD-Text packs overran libcdio's text buffer.
        {"long-text",
         neroImage({300},
                   chunk("CDTX",
                         (QByteArray("\x80\x01\x00\x00", 4) + QByteArray(14, 'A')).repeated(30)))},
        {"no-tracks",
         audio + chunk("SINF", be32(1)) + chunk("END!", {}) + "NER5" + be64(audio.size())},
        {"track-past-data",
         audio + chunk("ETN2", be64(0) + be64(400 * 2352) + be32(7) + be32(0) + be64(0)) +
             chunk("END!", {}) + "NER5" + be64(audio.size())},
        {"old-trailer-past-end",
         audio + etn2 + chunk("END!", {}) + QByteArray("\0\0\0\0NERO", 8) + be32(0xffffff00)},
    };
    for (const auto &[name, bytes] : damaged) {
        const QString file = write(QString::fromLatin1(name) + QStringLiteral(".nrg"), bytes);
        const CdioMediaControl::State state = CdioMediaControl::examine(file);
        EXPECT_EQ(state.code, MciHardware) << name;
        EXPECT_FALSE(state.toc) << name;
        EXPECT_TRUE(state.detail.contains(QStringLiteral("damaged")))
            << name << ": " << state.detail.toStdString();
    }
    const CdioMediaControl::State notNero =
        CdioMediaControl::examine(write(QStringLiteral("text.nrg"), "hello"));
    EXPECT_EQ(notNero.code, MciInvalidDeviceName);
    EXPECT_FALSE(notNero.detail.isEmpty());
}

TEST_F(DiscImageCheckTest, FifosFoldersAndDevicesAreRefusedWithoutBeingOpened)
{
    // A FIFO as the device, as a cue sheet's data file, as a TOC file's data file and as a
    // CD-Text file: each would block the open for good.
    const QString pipe = fifo(QStringLiteral("pipe"));
    const CdioMediaControl::State device = CdioMediaControl::examine(pipe);
    EXPECT_EQ(device.code, MciInvalidDeviceName);
    EXPECT_TRUE(device.detail.contains(QStringLiteral("FIFO"))) << device.detail.toStdString();
    const CdioMediaControl::State pipeCue =
        CdioMediaControl::examine(fifo(QStringLiteral("p.cue")));
    EXPECT_TRUE(pipeCue.detail.contains(QStringLiteral("FIFO"))) << pipeCue.detail.toStdString();

    const QString cue = write(QStringLiteral("fifo.cue"),
                              "FILE \"pipe\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    const CdioMediaControl::State sheet = CdioMediaControl::examine(cue);
    EXPECT_EQ(sheet.code, MciInvalidDeviceName);
    EXPECT_TRUE(sheet.detail.contains(QStringLiteral("FIFO"))) << sheet.detail.toStdString();
    EXPECT_FALSE(sheet.toc);

    const QString toc =
        write(QStringLiteral("fifo.toc"), "CD_DA\nTRACK AUDIO\nFILE \"pipe\" 00:00:00 00:02:00\n");
    EXPECT_TRUE(CdioMediaControl::examine(toc).detail.contains(QStringLiteral("FIFO")));

    // A folder named as the data file read as a disc of 0:00 with a disc ID.
    QDir(dirPath()).mkdir(QStringLiteral("folder"));
    const QString folderCue =
        write(QStringLiteral("folder.cue"),
              "FILE \"folder\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    const CdioMediaControl::State folder = CdioMediaControl::examine(folderCue);
    EXPECT_NE(folder.code, 0);
    EXPECT_FALSE(folder.toc);
    EXPECT_TRUE(folder.detail.contains(QStringLiteral("folder"))) << folder.detail.toStdString();
    const CdioMediaControl::State folderDevice =
        CdioMediaControl::examine(path(QStringLiteral("folder")));
    EXPECT_EQ(folderDevice.code, MciInvalidDeviceName);
    EXPECT_TRUE(folderDevice.detail.contains(QStringLiteral("is a folder")));

    // A CD-Text file is not read at all: the sheet still reads.
    const DiscImage image = DiscImage::ofSeconds({100, 120});
    QFile sheetFile(image.write(dirPath(), QStringLiteral("withtext")));
    ASSERT_TRUE(sheetFile.open(QIODevice::ReadOnly));
    const QByteArray text = "CDTEXTFILE \"pipe\"\n" + sheetFile.readAll();
    sheetFile.close();
    const CdioMediaControl::State withText =
        CdioMediaControl::examine(write(QStringLiteral("withtext.cue"), text));
    ASSERT_TRUE(withText.toc) << withText.detail.toStdString();
    EXPECT_EQ(withText.toc->trackCount(), 2);

    EXPECT_EQ(image::refuseFileType(QStringLiteral("/dev/null"), image::Allow::RegularFileOrDevice),
              QStringLiteral("/dev/null is a character device, not a CD drive or a disc image."));
    EXPECT_EQ(image::refuseFileType(pipe, image::Allow::RegularFile),
              pipe + QStringLiteral(" is a FIFO (named pipe), not a regular file."));
}

TEST_F(DiscImageCheckTest, CueSheetsAreCheckedLineByLineAndAgainstTheirDataFile)
{
    const DiscImage image = DiscImage::ofSeconds({100, 120});
    image.write(dirPath(), QStringLiteral("disc"));
    const auto examine = [this](const QString &name, const QByteArray &sheet) {
        return CdioMediaControl::examine(write(name + QStringLiteral(".cue"), sheet));
    };

    // 100 tracks would overrun libcdio's table of 99.
    QByteArray many = "FILE \"disc.bin\" BINARY\n";
    for (int t = 1; t <= 100; ++t)
        many += QByteArray("TRACK ") + QByteArray::number(std::min(t, 99)) +
                " AUDIO\nINDEX 01 00:00:" + QByteArray::number(t % 75).rightJustified(2, '0') +
                "\n";
    const CdioMediaControl::State tooMany = examine(QStringLiteral("many"), many);
    EXPECT_FALSE(tooMany.toc);
    EXPECT_TRUE(tooMany.detail.contains(QStringLiteral("99"))) << tooMany.detail.toStdString();

    const struct
    {
        const char *name;
        QByteArray sheet;
        const char *says;
    } refused[] = {
        {"two-files",
         "FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE \"disc.bin\" "
         "BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n",
         "more than one data file"},
        {"beyond",
         "FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
         "INDEX 01 04:00:00\n",
         "damaged"},
        {"backwards",
         "FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 01:00:00\nTRACK 02 AUDIO\n"
         "INDEX 01 00:30:00\n",
         "damaged"},
        {"no-start", "FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 00 00:00:00\n", "INDEX 01"},
        {"bad-time", "FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:61:00\n", "line 3"},
        {"unknown",
         "FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nPOSTGAP 00:02:00\n",
         "line 4"},
        {"mode", "FILE \"disc.bin\" BINARY\nTRACK 01 VIDEO\nINDEX 01 00:00:00\n", "VIDEO"},
        {"no-file", "TRACK 01 AUDIO\nINDEX 01 00:00:00\n", "line 1"},
        {"long-line", "TITLE \"" + QByteArray(5000, 'x') + "\"\n", "too long"},
        {"binary", QByteArray("FILE \"disc.bin\"\0", 16), "no text"},
    };
    for (const auto &r : refused) {
        const CdioMediaControl::State state = examine(QString::fromLatin1(r.name), r.sheet);
        EXPECT_FALSE(state.toc) << r.name;
        EXPECT_NE(state.code, 0) << r.name;
        EXPECT_TRUE(state.detail.contains(QLatin1String(r.says)))
            << r.name << ": " << state.detail.toStdString();
    }

    // The sheet beside a .bin is checked as well when the .bin is named.
    write(QStringLiteral("beyond.bin"), QByteArray(2352, '\0'));
    EXPECT_TRUE(CdioMediaControl::examine(path(QStringLiteral("beyond.bin")))
                    .detail.contains(QStringLiteral("damaged")));
    const CdioMediaControl::State bin = CdioMediaControl::examine(path(QStringLiteral("disc.bin")));
    ASSERT_TRUE(bin.toc) << bin.detail.toStdString();
    EXPECT_EQ(bin.toc->trackCount(), 2);
    write(QStringLiteral("alone.bin"), QByteArray(2352, '\0'));
    EXPECT_TRUE(CdioMediaControl::examine(path(QStringLiteral("alone.bin")))
                    .detail.contains(QStringLiteral("no cue sheet")));
}

TEST_F(DiscImageCheckTest, TocFilesReadTheirDataBesideThemAndRefuseStrayStatements)
{
    write(QStringLiteral("audio.bin"), QByteArray(500 * 2352, '\0'));
    // Relative names are found beside the TOC file, wherever the program runs.
    const QString toc =
        write(QStringLiteral("disc.toc"),
              "CD_DA\n// two tracks\nTRACK AUDIO\nNO COPY\nFILE \"audio.bin\" "
              "00:00:00 00:02:00\nTRACK AUDIO\nFILE \"audio.bin\" 00:02:00 00:04:00\n");
    const CdioMediaControl::State state = CdioMediaControl::examine(toc);
    ASSERT_TRUE(state.toc) << state.detail.toStdString();
    EXPECT_EQ(state.toc->trackCount(), 2);

    const struct
    {
        const char *name;
        QByteArray toc;
        const char *says;
    } refused[] = {
        // libcdio writes these into the entry before the first track.
        {"no-copy-first", "NO COPY\nTRACK AUDIO\nFILE \"audio.bin\" 00:00:00\n", "line 1"},
        {"isrc-first", "ISRC \"USABC0000001\"\nTRACK AUDIO\nFILE \"audio.bin\" 00:00:00\n",
         "line 1"},
        // A track without data left libcdio without a file to measure.
        {"no-data", "TRACK AUDIO\nTRACK AUDIO\nFILE \"audio.bin\" 00:00:00\n", "line 2"},
        {"last-no-data", "TRACK AUDIO\nFILE \"audio.bin\" 00:00:00\nTRACK AUDIO\n", "track 2"},
        {"past-end", "TRACK AUDIO\nFILE \"audio.bin\" 00:00:00 00:09:00\n", "damaged"},
        {"missing", "TRACK AUDIO\nFILE \"none.bin\" 00:00:00\n", "does not exist"},
        {"unquoted", "TRACK AUDIO\nFILE audio.bin 00:00:00\n", "quotes"},
        {"fifo-statement", "TRACK AUDIO\nFIFO \"x\"\n", "line 2"},
    };
    for (const auto &r : refused) {
        const CdioMediaControl::State s = CdioMediaControl::examine(
            write(QString::fromLatin1(r.name) + QStringLiteral(".toc"), r.toc));
        EXPECT_FALSE(s.toc) << r.name;
        EXPECT_NE(s.code, 0) << r.name;
        EXPECT_TRUE(s.detail.contains(QLatin1String(r.says)))
            << r.name << ": " << s.detail.toStdString();
    }
}

} // namespace
