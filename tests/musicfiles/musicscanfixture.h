// A scratch catalogue and music folder for the scan tests, and the songs a scan left.
#pragma once

#include "musicfilemaker.h"
#include "ritestfixture.h"

#include "data/externalids.h"
#include "data/records.h"
#include "musicfiles/musicscan.h"
#include "platform/store/fileuses.h"

#include <QTemporaryDir>

#include <vector>

namespace melodex::test {

class MusicScanTest : public MessageTest
{
protected:
    QString music() const { return m_music.path(); }
    QString file(const QString &name) const { return m_music.path() + u'/' + name; }

    /// Scans the music folder (or `folders`) to the end and returns the finished run.
    std::unique_ptr<musicfiles::MusicScan> scan(QStringList folders = {}, int batch = 500)
    {
        musicfiles::ScanSettings settings;
        settings.folders = folders.isEmpty() ? QStringList{music()} : folders;
        settings.batchFiles = batch;
        auto run = std::make_unique<musicfiles::MusicScan>(settings);
        EXPECT_TRUE(run->start()) << run->error().toStdString();
        while (run->step(7) == BatchRun::State::Running) {
        }
        EXPECT_EQ(run->state(), BatchRun::State::Completed) << run->error().toStdString();
        return run;
    }

    /// Every song in number order.
    static std::vector<SongloreRecord> songs()
    {
        const store::FileUse use(Songlore);
        std::vector<SongloreRecord> out;
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0)
            out.push_back(MUS);
        return out;
    }

    static const SongloreRecord *byTitle(const std::vector<SongloreRecord> &all,
                                         const QString &title)
    {
        for (const SongloreRecord &s : all)
            if (s.Title == title)
                return &s;
        return nullptr;
    }

    /// The music files the catalogue keeps: path to song number.
    static std::map<QString, qint32> keptFiles()
    {
        const store::FileUse use(ExternalIds);
        std::map<QString, qint32> out;
        ExternalIds.set(ExternalIdRecord::KeyIdentifier);
        while (ExternalIds.next() == 0)
            if (EXT.Source == ExternalSource::MusicFile && EXT.SongID != 0) {
                EXPECT_EQ(out.count(EXT.Identifier), 0u) << EXT.Identifier.toStdString();
                out[EXT.Identifier] = EXT.SongID;
            }
        return out;
    }

    static std::vector<AlbumRecord> albums()
    {
        const store::FileUse use(Album);
        std::vector<AlbumRecord> out;
        Album.set(AlbumRecord::KeyAlbumID);
        while (Album.next() == 0)
            out.push_back(ALB);
        return out;
    }

    static QString categoryOf(qint64 id)
    {
        const store::FileUse use(Categories);
        CAT.clear();
        CAT.CategoryID = id;
        return Categories.get(CategoriesRecord::KeyCategoryID) == 0 ? CAT.Category : QString();
    }

    QTemporaryDir m_music;
};

} // namespace melodex::test
