// Renders the album windows, the list ordered by a column and "Format Listbox..." to PNG files for
// a look by eye: albumshots DIR. Not a test; the windows are filled with a few albums and songs.
#include "guidatafixture.h"

#include "ui/albums/browsealbum.h"
#include "ui/albums/updatealbums.h"
#include "ui/listformat/headerordering.h"
#include "ui/listformat/listcustomizer.h"
#include "ui/listformat/listformatdialog.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>

using namespace melodex;

namespace {

void album(qint32 id, const char *artist, const char *title, const char *media, const char *number,
           int released, qint64 price)
{
    ALB.clear();
    ALB.AlbumID = id;
    ALB.Artist = QString::fromUtf8(artist);
    ALB.Album = QLatin1String(title);
    ALB.Media = QLatin1String(media);
    ALB.FileNumber = QLatin1String(number);
    ALB.ReleaseDate = released;
    ALB.PurchaseDate = released + 400;
    ALB.PurPrice = price;
    ALB.Rating = QStringLiteral("5");
    Album.add();
}

void song(qint32 id, qint32 albumId, int track, const char *title, int seconds)
{
    MUS.clear();
    MUS.ID = id;
    MUS.AlbumID = albumId;
    MUS.TrackNumber = quint8(track);
    MUS.Artist = QStringLiteral("Miles Davis");
    MUS.Title = QLatin1String(title);
    MUS.Media = QStringLiteral("CD");
    MUS.FileNumber = QStringLiteral("MD-1");
    MUS.Time = seconds * 100 + 1;
    MUS.ReleaseDate = 58000;
    Songlore.add();
}

void save(QWidget *w, const QString &path)
{
    w->grab().save(path);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    test::GuiDataFixture data;
    data.setUp();
    store::FileUse albums(Album);
    for (const char *m : {"CD", "LP", "Cassette"})
        test::GuiDataFixture::addMedia(QLatin1String(m));
    album(1, "Miles Davis", "Kind of Blue", "CD", "MD-1", 58000, 1299);
    album(2, "Portishead", "Dummy", "CD", "P-3", 70000, 1599);
    album(3, "Björk", "Homogenic", "LP", "B-12", 71000, 2450);
    album(4, "The Beatles", "Abbey Road", "LP", "B-1", 58500, 999);
    album(5, "Nirvana", "MTV Unplugged in New York", "Cassette", "N-7", 69000, 750);
    const char *titles[] = {"So What", "Freddie Freeloader", "Blue in Green", "All Blues",
                            "Flamenco Sketches"};
    for (int i = 0; i < 5; ++i)
        song(i + 1, 1, i + 1, titles[i], 300 + i * 97);
    const QString image = dir + QStringLiteral("/cover.png");
    ALB.clear();
    ALB.AlbumID = 1;
    Album.get(AlbumRecord::KeyAlbumID);
    ALB.AssociatedImage = image;
    ALB.AssociatedWAVFile = QStringLiteral("/music/kind-of-blue.wav");
    ALB.Notes = QStringLiteral("First pressing, six-eye label.");
    ALB.Recording = QStringLiteral("Columbia 30th Street Studio, 1959");
    Album.put();
    {
        QImage cover(600, 600, QImage::Format_RGB32);
        cover.fill(QColor(20, 40, 90));
        QPainter p(&cover);
        p.setPen(Qt::white);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 48));
        p.drawText(cover.rect(), Qt::AlignCenter, QStringLiteral("Kind of\nBlue"));
        p.end();
        cover.save(image);
    }

    BrowseAlbum list;
    list.resize(900, 420);
    list.show();
    QApplication::processEvents();
    save(&list, dir + QStringLiteral("/albums-list.png"));
    // Ordered by "Pur Price", highest first: two clicks on its header.
    list.resize(1200, 420);
    list.headerOrdering()->clickHeader(6);
    list.headerOrdering()->clickHeader(6);
    QApplication::processEvents();
    save(&list, dir + QStringLiteral("/albums-ordered.png"));
    list.headerOrdering()->choosePopupItem(2);
    list.resize(900, 420);

    list.customizer()->openDialog();
    QApplication::processEvents();
    ListFormatDialog *d = list.customizer()->dialog();
    d->displayedList()->setCurrentRow(1);
    QApplication::processEvents();
    save(d, dir + QStringLiteral("/format-listbox.png"));
    d->accept();

    ALB.clear();
    ALB.AlbumID = 1;
    Album.get(AlbumRecord::KeyAlbumID);
    GLO.ActionRequest = ChangeRecord;
    UpdateAlbums form;
    form.start();
    form.resize(760, 520);
    form.show();
    for (int page = 0; page < form.pages()->count(); ++page) {
        form.pages()->setCurrentIndex(page);
        QApplication::processEvents();
        save(&form, dir + QStringLiteral("/album-form-%1.png").arg(page + 1));
    }
    // The Notes page as the form opens, at its smallest.
    form.resize(form.minimumSize());
    form.pages()->setCurrentIndex(2);
    QApplication::processEvents();
    save(&form, dir + QStringLiteral("/album-form-3-smallest.png"));
    form.pressCancel();
    data.tearDown();
    return 0;
}
