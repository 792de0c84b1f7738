// The record layouts of the eleven data files, their process-wide record buffers and file handles.
#pragma once

#include "platform/store/keyedfile.h"
#include "platform/store/layout.h"

#include <array>

namespace melodex {

/// Songs: one record per song. File "sgldata", prefix MUS.
struct SongloreRecord : store::RecordOf<SongloreRecord>
{
    QString Artist;
    QString Title;
    QString Album;
    QString Media;
    QString FileNumber;
    qint32 ReleaseDate = 0;
    qint32 CategoryID = 0;
    quint8 ChartNumber = 0;
    quint8 TrackNumber = 0;
    QString Side;
    qint32 Time = 0;
    QString UserDefinedKeyField;
    QString AdditionalInformation1;
    QString AdditionalInformation2;
    QString AdditionalInformation3;
    qint32 BeatsPerMinute = 0;
    QString Style;
    QString Composer;
    qint32 LastPlayed = 0;
    qint32 ID = 0;
    qint32 AlbumID = 0;
    QString Rating;
    QString Recording;
    QString PerformanceNotes;
    QString Notes;

    static constexpr int SongsByArtist = 0;
    static constexpr int SongsByTitle = 1;
    static constexpr int SongsByAlbum = 2;
    static constexpr int SongsByMedia = 3;
    static constexpr int SongsByCategory = 4;
    static constexpr int SongsByChartNumber = 5;
    static constexpr int SongsByUserDefinedKey = 6;
    static constexpr int KeyID = 7;
    static constexpr int KeyAlbumID = 8;
    static constexpr int KeyBeatsPerMinute = 9;
    static constexpr int fieldCount = 25;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<SongloreRecord>, fieldCount> &members();
};

/// Song categories. File "SGLCAT", prefix CAT.
struct CategoriesRecord : store::RecordOf<CategoriesRecord>
{
    qint64 CategoryID = 0;
    QString Category;

    static constexpr int KeyCategoryID = 0;
    static constexpr int KeyCategory = 1;
    static constexpr int fieldCount = 2;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<CategoriesRecord>, fieldCount> &members();
};

/// Songs in the layout of the earlier version, converted into Songlore at start-up. File "sgldx",
/// prefix M1.
struct OldSongloreRecord : store::RecordOf<OldSongloreRecord>
{
    QString Artist;
    QString Title;
    QString Album;
    QString Media;
    QString FileNumber;
    qint32 ReleaseDate = 0;
    QString Notes;

    static constexpr int SongsByArtist = 0;
    static constexpr int SongsByTitle = 1;
    static constexpr int SongsByAlbum = 2;
    static constexpr int SongsByMedia = 3;
    static constexpr int fieldCount = 7;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<OldSongloreRecord>, fieldCount> &members();
};

/// Albums. File "sglalbum", prefix ALB.
struct AlbumRecord : store::RecordOf<AlbumRecord>
{
    qint32 AlbumID = 0;
    QString Artist;
    QString Album;
    QString Media;
    QString FileNumber;
    qint32 ReleaseDate = 0;
    qint64 CategoryID = 0;
    QString AssociatedWAVFile;
    QString AssociatedImage;
    QString CDIdentifier;
    QString XCCD;
    QString Playlist;
    qint32 TotalTime = 0;
    QString Rating;
    qint64 PurPrice = 0;
    qint32 PurchaseDate = 0;
    qint64 Value = 0;
    QString Recording;
    QString Performance;
    QString Notes;

    static constexpr int KeyAlbumID = 0;
    static constexpr int KeyAlbum = 1;
    static constexpr int KeyArtist = 2;
    static constexpr int KeyCDIdentifier = 3;
    static constexpr int fieldCount = 20;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<AlbumRecord>, fieldCount> &members();
};

/// CD and cassette label designs. File "sgllabel", prefix LAB.
struct LabelsRecord : store::RecordOf<LabelsRecord>
{
    qint64 LabelID = 0;
    QString LabelDescription;
    QString LabelType;
    qint32 AlbumID = 0;
    QString CDSpine;
    qint32 CDSpineFontID = 0;
    QString CDTitle;
    qint32 CDTitleFontID = 0;
    qint32 CDCoverTextFontID = 0;
    qint32 CDInsideTextFontID = 0;
    QString CDSpineJustification;
    QString CDTextJustification;
    QString CDBackCoverJustification;
    qint32 CassetteFlapFontID = 0;
    qint32 CassetteTitleFontID = 0;
    qint32 CassetteContentsFontID = 0;
    QString ImageName;
    qint32 ImagePositionX = 0;
    qint32 ImagePositionY = 0;
    QString ImageSize;
    qint32 ImageSizeX = 0;
    QString ImageSizeY;
    QString CDCoverText;
    QString CDInsideText;
    QString CassetteFlap;
    QString CassetteTitle;
    QString CassetteContentsA;
    QString CassetteContentsB;

    static constexpr int KeyLabelID = 0;
    static constexpr int KeyLabelDescription = 1;
    static constexpr int KeyLabelType = 2;
    static constexpr int fieldCount = 28;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<LabelsRecord>, fieldCount> &members();
};

/// Fonts used by label elements. File "sglfont", prefix FON.
struct FontsRecord : store::RecordOf<FontsRecord>
{
    qint64 FontID = 0;
    QString TypeFace;
    QString Size;
    QString Colour;
    QString Style;

    static constexpr int KeyFontID = 0;
    static constexpr int KeyTypeFace = 1;
    static constexpr int fieldCount = 5;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<FontsRecord>, fieldCount> &members();
};

/// Scratch track list of the album entry wizard. File "SGLAdWiz", prefix AW.
struct AddWizardRecord : store::RecordOf<AddWizardRecord>
{
    qint64 Instance = 0;
    QString Side;
    qint64 Track = 0;
    QString Artist;
    QString Title;
    qint32 Time = 0;

    static constexpr int KeyInstance = 0;
    static constexpr int fieldCount = 6;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<AddWizardRecord>, fieldCount> &members();
};

/// Playlist headers. File "sglplist", prefix PLD.
struct PlaylistMasterRecord : store::RecordOf<PlaylistMasterRecord>
{
    qint32 PlaylistID = 0;
    QString PlaylistDescription;
    qint32 LastEditDate = 0;
    QString Notes;

    static constexpr int KeyPlaylistID = 0;
    static constexpr int KeyPlaylistDescription = 1;
    static constexpr int fieldCount = 4;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<PlaylistMasterRecord>, fieldCount> &members();
};

/// The ordered songs of each playlist. File "sglpldet", prefix PLA.
struct PlaylistDetailsRecord : store::RecordOf<PlaylistDetailsRecord>
{
    qint32 PlaylistID = 0;
    qint64 PlaylistSeq = 0;
    qint64 ID = 0;
    QString PlaylistNotes;

    static constexpr int KeyPlaylistID = 0;
    static constexpr int KeyID = 1;
    static constexpr int fieldCount = 4;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<PlaylistDetailsRecord>, fieldCount> &members();
};

/// Media formats. File "sglmedia", prefix MED.
struct MediaRecord : store::RecordOf<MediaRecord>
{
    QString Media;

    static constexpr int KeyMedia = 0;
    static constexpr int fieldCount = 1;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<MediaRecord>, fieldCount> &members();
};

/// Name/value pairs. File "SGLConf", prefix CF.
struct ConfigurationRecord : store::RecordOf<ConfigurationRecord>
{
    QString DataType;
    QString DataValue;

    static constexpr int KeyDataType = 0;
    static constexpr int fieldCount = 2;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<ConfigurationRecord>, fieldCount> &members();
};

// Record buffers, one per file for the whole process, named by the file's prefix.
extern SongloreRecord MUS;
extern CategoriesRecord CAT;
extern OldSongloreRecord M1;
extern AlbumRecord ALB;
extern LabelsRecord LAB;
extern FontsRecord FON;
extern AddWizardRecord AW;
extern PlaylistMasterRecord PLD;
extern PlaylistDetailsRecord PLA;
extern MediaRecord MED;
extern ConfigurationRecord CF;

// The data files, named by their labels.
extern store::KeyedFile Songlore;
extern store::KeyedFile Categories;
extern store::KeyedFile OldSonglore;
extern store::KeyedFile Album;
extern store::KeyedFile Labels;
extern store::KeyedFile Fonts;
extern store::KeyedFile AddWizard;
extern store::KeyedFile PlaylistMaster;
extern store::KeyedFile PlaylistDetails;
extern store::KeyedFile Media;
extern store::KeyedFile Configuration;

/// Every data file, in the order the file manager registers them.
const std::vector<store::KeyedFile *> &allFiles();

/// Finds a field by its prefixed name ("MUS:Artist", "mus:ARTIST"); file is null when unknown.
struct FieldRef
{
    store::KeyedFile *file = nullptr;
    int field = -1;
    explicit operator bool() const { return file != nullptr; }
};
FieldRef findField(const QString &qualifiedName);

/// Finds a file by its prefix ("MUS") or label ("Songlore"), any letter case; null when unknown.
store::KeyedFile *findFile(const QString &prefixOrLabel);

} // namespace melodex
