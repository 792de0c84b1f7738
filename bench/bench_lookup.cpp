// A large release from the web service's answer to the album wizard's tracks: the processor time
// of reading the answer, mapping it and filling the wizard, for a release of 200 tracks.
#include "data/fileopen.h"
#include "data/records.h"
#include "lookup/releasemapping.h"
#include "lookup/releasexml.h"
#include "lookup/wizardfill.h"
#include "platform/store/store.h"

#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

using namespace melodex;

namespace {

QByteArray releaseOf(int tracks)
{
    QByteArray list;
    for (int i = 1; i <= tracks; ++i)
        list += "<track id=\"t" + QByteArray::number(i) + "\"><position>" + QByteArray::number(i) +
                "</position><number>" + QByteArray::number(i) + "</number><length>" +
                QByteArray::number(180000 + i) +
                "</length><artist-credit><name-credit><artist>"
                "<name>Artist " +
                QByteArray::number(i % 7) +
                "</name></artist></name-credit>"
                "</artist-credit><recording id=\"r" +
                QByteArray::number(i) +
                "\"><title>A song "
                "with a title of some length, number " +
                QByteArray::number(i) + "</title></recording></track>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><metadata><release id=\"big\"><title>Box"
           "</title><artist-credit><name-credit><artist><name>Various Artists</name></artist>"
           "</name-credit></artist-credit><medium-list><medium><position>1</position><format>CD"
           "</format><track-list count=\"" +
           QByteArray::number(tracks) + "\">" + list +
           "</track-list></medium></medium-list></release></metadata>";
}

double cpuMs(std::clock_t from)
{
    return double(std::clock() - from) * 1000.0 / CLOCKS_PER_SEC;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    store::Store::instance().setDataDirectory(dir.path());
    installFileOpener();
    const QByteArray xml = releaseOf(200);

    std::clock_t t = std::clock();
    const auto parsed = lookup::parseReleaseAnswer(xml);
    const double parse = cpuMs(t);
    t = std::clock();
    const std::optional<lookup::AlbumDraft> draft = lookup::mapRelease(parsed.value);
    const double map = cpuMs(t);
    { // the file exists before the timed fill, as in a running wizard
        const store::FileUse use(AddWizard);
    }
    t = std::clock();
    const lookup::WizardFillResult filled =
        lookup::fillWizardTracks(1, *draft, lookup::ExistingSongs::ReplaceTitles);
    const double fill = cpuMs(t);
    std::printf("release of 200 tracks (%lld bytes of XML)\n", qint64(xml.size()));
    std::printf("  read the answer:      %7.2f ms processor time\n", parse);
    std::printf("  map to album + songs: %7.2f ms\n", map);
    std::printf("  fill the wizard:      %7.2f ms (%d tracks added)\n", fill, filled.added);
    std::printf("  together:             %7.2f ms\n", parse + map + fill);
    return filled.ok() && filled.added == 200 ? 0 : 1;
}
