#include "data/records.h"

namespace melodex {

using store::FieldType;
using store::FileLayout;

const FileLayout &SongloreRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("Songlore"),
        QStringLiteral("MUS"),
        QStringLiteral("sgldata"),
        {
            {QStringLiteral("Artist"), FieldType::Text, 40, 0, QStringLiteral("@s40")},
            {QStringLiteral("Title"), FieldType::Text, 40, 0, QStringLiteral("@s40")},
            {QStringLiteral("Album"), FieldType::Text, 40, 0, QStringLiteral("@s40")},
            {QStringLiteral("Media"), FieldType::Text, 20, 0, QStringLiteral("@s20")},
            {QStringLiteral("FileNumber"), FieldType::Text, 20, 0, QStringLiteral("@s20")},
            {QStringLiteral("ReleaseDate"), FieldType::Date, 0, 0, QStringLiteral("@d17")},
            {QStringLiteral("CategoryID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("ChartNumber"), FieldType::UInt8, 0, 0, QStringLiteral("@n3")},
            {QStringLiteral("TrackNumber"), FieldType::UInt8, 0, 0, QStringLiteral("@n3")},
            {QStringLiteral("Side"), FieldType::Text, 1, 0, QStringLiteral("")},
            {QStringLiteral("Time"), FieldType::Time, 0, 0, QStringLiteral("@t4")},
            {QStringLiteral("UserDefinedKeyField"), FieldType::Text, 30, 0, QStringLiteral("@s30")},
            {QStringLiteral("AdditionalInformation1"), FieldType::Text, 80, 0,
             QStringLiteral("@s80")},
            {QStringLiteral("AdditionalInformation2"), FieldType::Text, 80, 0,
             QStringLiteral("@s80")},
            {QStringLiteral("AdditionalInformation3"), FieldType::Text, 80, 0,
             QStringLiteral("@s80")},
            {QStringLiteral("BeatsPerMinute"), FieldType::Int32, 0, 0, QStringLiteral("@n_4b")},
            {QStringLiteral("Style"), FieldType::Text, 30, 0, QStringLiteral("@s30")},
            {QStringLiteral("Composer"), FieldType::Text, 80, 0, QStringLiteral("@s80")},
            {QStringLiteral("LastPlayed"), FieldType::Date, 0, 0, QStringLiteral("")},
            {QStringLiteral("ID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("AlbumID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("Rating"), FieldType::Text, 2, 0, QStringLiteral("@s2")},
            {QStringLiteral("Recording"), FieldType::Memo, 256, 0, QStringLiteral("")},
            {QStringLiteral("PerformanceNotes"), FieldType::Memo, 256, 0, QStringLiteral("")},
            {QStringLiteral("Notes"), FieldType::Memo, 2000, 0, QStringLiteral("")},
        },
        {
            {QStringLiteral("SongsByArtist"), {0, 1}, false, false, false},
            {QStringLiteral("SongsByTitle"), {1, 0}, false, false, false},
            {QStringLiteral("SongsByAlbum"), {2, 0, 9, 8, 1}, false, false, false},
            {QStringLiteral("SongsByMedia"), {3, 4, 1}, false, false, false},
            {QStringLiteral("SongsByCategory"), {6, 0, 1, 2}, false, false, true},
            {QStringLiteral("SongsByChartNumber"), {7, 0, 1}, false, false, true},
            {QStringLiteral("SongsByUserDefinedKey"), {11, 0, 1}, false, false, true},
            {QStringLiteral("KeyID"), {19}, true, true, true},
            {QStringLiteral("KeyAlbumID"), {20, 8}, false, false, true},
            {QStringLiteral("KeyBeatsPerMinute"), {15, 1, 0}, false, false, true},
        }};
    return layout;
}

const std::array<store::MemberPtr<SongloreRecord>, SongloreRecord::fieldCount> &
SongloreRecord::members()
{
    static const std::array<store::MemberPtr<SongloreRecord>, fieldCount> m{
        &SongloreRecord::Artist,
        &SongloreRecord::Title,
        &SongloreRecord::Album,
        &SongloreRecord::Media,
        &SongloreRecord::FileNumber,
        &SongloreRecord::ReleaseDate,
        &SongloreRecord::CategoryID,
        &SongloreRecord::ChartNumber,
        &SongloreRecord::TrackNumber,
        &SongloreRecord::Side,
        &SongloreRecord::Time,
        &SongloreRecord::UserDefinedKeyField,
        &SongloreRecord::AdditionalInformation1,
        &SongloreRecord::AdditionalInformation2,
        &SongloreRecord::AdditionalInformation3,
        &SongloreRecord::BeatsPerMinute,
        &SongloreRecord::Style,
        &SongloreRecord::Composer,
        &SongloreRecord::LastPlayed,
        &SongloreRecord::ID,
        &SongloreRecord::AlbumID,
        &SongloreRecord::Rating,
        &SongloreRecord::Recording,
        &SongloreRecord::PerformanceNotes,
        &SongloreRecord::Notes};
    return m;
}

const FileLayout &CategoriesRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("Categories"),
        QStringLiteral("CAT"),
        QStringLiteral("SGLCAT"),
        {
            {QStringLiteral("CategoryID"), FieldType::Decimal, 6, 0, QStringLiteral("")},
            {QStringLiteral("Category"), FieldType::Text, 30, 0, QStringLiteral("@s30")},
        },
        {
            {QStringLiteral("KeyCategoryID"), {0}, true, true, true},
            {QStringLiteral("KeyCategory"), {1}, true, false, true},
        }};
    return layout;
}

const std::array<store::MemberPtr<CategoriesRecord>, CategoriesRecord::fieldCount> &
CategoriesRecord::members()
{
    static const std::array<store::MemberPtr<CategoriesRecord>, fieldCount> m{
        &CategoriesRecord::CategoryID, &CategoriesRecord::Category};
    return m;
}

const FileLayout &OldSongloreRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("OldSonglore"),
        QStringLiteral("M1"),
        QStringLiteral("sgldx"),
        {
            {QStringLiteral("Artist"), FieldType::Text, 30, 0, QStringLiteral("")},
            {QStringLiteral("Title"), FieldType::Text, 30, 0, QStringLiteral("")},
            {QStringLiteral("Album"), FieldType::Text, 30, 0, QStringLiteral("")},
            {QStringLiteral("Media"), FieldType::Text, 20, 0, QStringLiteral("")},
            {QStringLiteral("FileNumber"), FieldType::Text, 10, 0, QStringLiteral("")},
            {QStringLiteral("ReleaseDate"), FieldType::Date, 0, 0, QStringLiteral("")},
            {QStringLiteral("Notes"), FieldType::Memo, 2000, 0, QStringLiteral("")},
        },
        {
            {QStringLiteral("SongsByArtist"), {0, 1}, false, false, false},
            {QStringLiteral("SongsByTitle"), {1, 0}, false, false, false},
            {QStringLiteral("SongsByAlbum"), {2, 0, 1}, false, false, false},
            {QStringLiteral("SongsByMedia"), {3, 4, 1}, false, false, false},
        }};
    return layout;
}

const std::array<store::MemberPtr<OldSongloreRecord>, OldSongloreRecord::fieldCount> &
OldSongloreRecord::members()
{
    static const std::array<store::MemberPtr<OldSongloreRecord>, fieldCount> m{
        &OldSongloreRecord::Artist, &OldSongloreRecord::Title,      &OldSongloreRecord::Album,
        &OldSongloreRecord::Media,  &OldSongloreRecord::FileNumber, &OldSongloreRecord::ReleaseDate,
        &OldSongloreRecord::Notes};
    return m;
}

const FileLayout &AlbumRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("Album"),
        QStringLiteral("ALB"),
        QStringLiteral("sglalbum"),
        {
            {QStringLiteral("AlbumID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("Artist"), FieldType::Text, 40, 0, QStringLiteral("@s40")},
            {QStringLiteral("Album"), FieldType::Text, 40, 0, QStringLiteral("@s40")},
            {QStringLiteral("Media"), FieldType::Text, 20, 0, QStringLiteral("@s20")},
            {QStringLiteral("FileNumber"), FieldType::Text, 20, 0, QStringLiteral("@s20")},
            {QStringLiteral("ReleaseDate"), FieldType::Date, 0, 0, QStringLiteral("@d2")},
            {QStringLiteral("CategoryID"), FieldType::Decimal, 6, 0, QStringLiteral("")},
            {QStringLiteral("AssociatedWAVFile"), FieldType::Text, 128, 0, QStringLiteral("@s128")},
            {QStringLiteral("AssociatedImage"), FieldType::Text, 128, 0, QStringLiteral("@s128")},
            {QStringLiteral("CDIdentifier"), FieldType::Text, 24, 0, QStringLiteral("@s24")},
            {QStringLiteral("XCCD"), FieldType::Text, 32, 0, QStringLiteral("@s32")},
            {QStringLiteral("Playlist"), FieldType::Text, 70, 0, QStringLiteral("@s70")},
            {QStringLiteral("TotalTime"), FieldType::Time, 0, 0, QStringLiteral("@t4")},
            {QStringLiteral("Rating"), FieldType::Text, 2, 0, QStringLiteral("@s2")},
            {QStringLiteral("PurPrice"), FieldType::Decimal, 4, 2, QStringLiteral("@n-10.2")},
            {QStringLiteral("PurchaseDate"), FieldType::Date, 0, 0, QStringLiteral("@d2")},
            {QStringLiteral("Value"), FieldType::Decimal, 4, 2, QStringLiteral("@n-10.2")},
            {QStringLiteral("Recording"), FieldType::Memo, 256, 0, QStringLiteral("")},
            {QStringLiteral("Performance"), FieldType::Memo, 256, 0, QStringLiteral("")},
            {QStringLiteral("Notes"), FieldType::Memo, 2000, 0, QStringLiteral("")},
        },
        {
            {QStringLiteral("KeyAlbumID"), {0}, true, true, true},
            {QStringLiteral("KeyAlbum"), {2, 1}, true, false, true},
            {QStringLiteral("KeyArtist"), {1, 2}, true, false, true},
            {QStringLiteral("KeyCDIdentifier"), {9}, true, false, true},
        }};
    return layout;
}

const std::array<store::MemberPtr<AlbumRecord>, AlbumRecord::fieldCount> &AlbumRecord::members()
{
    static const std::array<store::MemberPtr<AlbumRecord>, fieldCount> m{
        &AlbumRecord::AlbumID,
        &AlbumRecord::Artist,
        &AlbumRecord::Album,
        &AlbumRecord::Media,
        &AlbumRecord::FileNumber,
        &AlbumRecord::ReleaseDate,
        &AlbumRecord::CategoryID,
        &AlbumRecord::AssociatedWAVFile,
        &AlbumRecord::AssociatedImage,
        &AlbumRecord::CDIdentifier,
        &AlbumRecord::XCCD,
        &AlbumRecord::Playlist,
        &AlbumRecord::TotalTime,
        &AlbumRecord::Rating,
        &AlbumRecord::PurPrice,
        &AlbumRecord::PurchaseDate,
        &AlbumRecord::Value,
        &AlbumRecord::Recording,
        &AlbumRecord::Performance,
        &AlbumRecord::Notes};
    return m;
}

const FileLayout &LabelsRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("Labels"),
        QStringLiteral("LAB"),
        QStringLiteral("sgllabel"),
        {
            {QStringLiteral("LabelID"), FieldType::Decimal, 6, 0, QStringLiteral("")},
            {QStringLiteral("LabelDescription"), FieldType::Text, 30, 0, QStringLiteral("@s30")},
            {QStringLiteral("LabelType"), FieldType::Text, 9, 0, QStringLiteral("")},
            {QStringLiteral("AlbumID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("CDSpine"), FieldType::Text, 100, 0, QStringLiteral("@S100")},
            {QStringLiteral("CDSpineFontID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("CDTitle"), FieldType::Text, 100, 0, QStringLiteral("@S100")},
            {QStringLiteral("CDTitleFontID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("CDCoverTextFontID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("CDInsideTextFontID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("CDSpineJustification"), FieldType::Text, 6, 0, QStringLiteral("")},
            {QStringLiteral("CDTextJustification"), FieldType::Text, 6, 0, QStringLiteral("")},
            {QStringLiteral("CDBackCoverJustification"), FieldType::Text, 6, 0, QStringLiteral("")},
            {QStringLiteral("CassetteFlapFontID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("CassetteTitleFontID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("CassetteContentsFontID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("ImageName"), FieldType::Text, 255, 0, QStringLiteral("@s255")},
            {QStringLiteral("ImagePositionX"), FieldType::Int32, 0, 0, QStringLiteral("@n-13")},
            {QStringLiteral("ImagePositionY"), FieldType::Int32, 0, 0, QStringLiteral("@n-13")},
            {QStringLiteral("ImageSize"), FieldType::Text, 20, 0, QStringLiteral("")},
            {QStringLiteral("ImageSizeX"), FieldType::Int32, 0, 0, QStringLiteral("@n-13")},
            {QStringLiteral("ImageSizeY"), FieldType::Text, 20, 0, QStringLiteral("@s20")},
            {QStringLiteral("CDCoverText"), FieldType::Memo, 2000, 0, QStringLiteral("")},
            {QStringLiteral("CDInsideText"), FieldType::Memo, 2000, 0, QStringLiteral("")},
            {QStringLiteral("CassetteFlap"), FieldType::Memo, 512, 0, QStringLiteral("")},
            {QStringLiteral("CassetteTitle"), FieldType::Memo, 512, 0, QStringLiteral("")},
            {QStringLiteral("CassetteContentsA"), FieldType::Memo, 1500, 0, QStringLiteral("")},
            {QStringLiteral("CassetteContentsB"), FieldType::Memo, 1500, 0, QStringLiteral("")},
        },
        {
            {QStringLiteral("KeyLabelID"), {0}, true, true, true},
            {QStringLiteral("KeyLabelDescription"), {1}, true, false, true},
            {QStringLiteral("KeyLabelType"), {2, 1}, false, false, true},
        }};
    return layout;
}

const std::array<store::MemberPtr<LabelsRecord>, LabelsRecord::fieldCount> &LabelsRecord::members()
{
    static const std::array<store::MemberPtr<LabelsRecord>, fieldCount> m{
        &LabelsRecord::LabelID,
        &LabelsRecord::LabelDescription,
        &LabelsRecord::LabelType,
        &LabelsRecord::AlbumID,
        &LabelsRecord::CDSpine,
        &LabelsRecord::CDSpineFontID,
        &LabelsRecord::CDTitle,
        &LabelsRecord::CDTitleFontID,
        &LabelsRecord::CDCoverTextFontID,
        &LabelsRecord::CDInsideTextFontID,
        &LabelsRecord::CDSpineJustification,
        &LabelsRecord::CDTextJustification,
        &LabelsRecord::CDBackCoverJustification,
        &LabelsRecord::CassetteFlapFontID,
        &LabelsRecord::CassetteTitleFontID,
        &LabelsRecord::CassetteContentsFontID,
        &LabelsRecord::ImageName,
        &LabelsRecord::ImagePositionX,
        &LabelsRecord::ImagePositionY,
        &LabelsRecord::ImageSize,
        &LabelsRecord::ImageSizeX,
        &LabelsRecord::ImageSizeY,
        &LabelsRecord::CDCoverText,
        &LabelsRecord::CDInsideText,
        &LabelsRecord::CassetteFlap,
        &LabelsRecord::CassetteTitle,
        &LabelsRecord::CassetteContentsA,
        &LabelsRecord::CassetteContentsB};
    return m;
}

const FileLayout &FontsRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("Fonts"),
        QStringLiteral("FON"),
        QStringLiteral("sglfont"),
        {
            {QStringLiteral("FontID"), FieldType::Decimal, 6, 0, QStringLiteral("")},
            {QStringLiteral("TypeFace"), FieldType::Text, 32, 0, QStringLiteral("@s32")},
            {QStringLiteral("Size"), FieldType::Text, 32, 0, QStringLiteral("@S32")},
            {QStringLiteral("Colour"), FieldType::Text, 32, 0, QStringLiteral("@S32")},
            {QStringLiteral("Style"), FieldType::Text, 32, 0, QStringLiteral("@S32")},
        },
        {
            {QStringLiteral("KeyFontID"), {0}, true, true, true},
            {QStringLiteral("KeyTypeFace"), {1, 2, 3, 4}, true, false, true},
        }};
    return layout;
}

const std::array<store::MemberPtr<FontsRecord>, FontsRecord::fieldCount> &FontsRecord::members()
{
    static const std::array<store::MemberPtr<FontsRecord>, fieldCount> m{
        &FontsRecord::FontID, &FontsRecord::TypeFace, &FontsRecord::Size, &FontsRecord::Colour,
        &FontsRecord::Style};
    return m;
}

const FileLayout &AddWizardRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("AddWizard"),
        QStringLiteral("AW"),
        QStringLiteral("SGLAdWiz"),
        {
            {QStringLiteral("Instance"), FieldType::Decimal, 6, 0, QStringLiteral("")},
            {QStringLiteral("Side"), FieldType::Text, 1, 0, QStringLiteral("")},
            {QStringLiteral("Track"), FieldType::Decimal, 2, 0, QStringLiteral("@n3")},
            {QStringLiteral("Artist"), FieldType::Text, 30, 0, QStringLiteral("@s40")},
            {QStringLiteral("Title"), FieldType::Text, 30, 0, QStringLiteral("@s40")},
            {QStringLiteral("Time"), FieldType::Time, 0, 0, QStringLiteral("@t4")},
        },
        {
            {QStringLiteral("KeyInstance"), {0, 1, 2}, true, true, true},
        }};
    return layout;
}

const std::array<store::MemberPtr<AddWizardRecord>, AddWizardRecord::fieldCount> &
AddWizardRecord::members()
{
    static const std::array<store::MemberPtr<AddWizardRecord>, fieldCount> m{
        &AddWizardRecord::Instance, &AddWizardRecord::Side,  &AddWizardRecord::Track,
        &AddWizardRecord::Artist,   &AddWizardRecord::Title, &AddWizardRecord::Time};
    return m;
}

const FileLayout &PlaylistMasterRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("PlaylistMaster"),
        QStringLiteral("PLD"),
        QStringLiteral("sglplist"),
        {
            {QStringLiteral("PlaylistID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("PlaylistDescription"), FieldType::Text, 30, 0, QStringLiteral("@S20")},
            {QStringLiteral("LastEditDate"), FieldType::Date, 0, 0, QStringLiteral("@d18")},
            {QStringLiteral("Notes"), FieldType::Memo, 1000, 0, QStringLiteral("")},
        },
        {
            {QStringLiteral("KeyPlaylistID"), {0}, true, true, true},
            {QStringLiteral("KeyPlaylistDescription"), {1}, true, false, true},
        }};
    return layout;
}

const std::array<store::MemberPtr<PlaylistMasterRecord>, PlaylistMasterRecord::fieldCount> &
PlaylistMasterRecord::members()
{
    static const std::array<store::MemberPtr<PlaylistMasterRecord>, fieldCount> m{
        &PlaylistMasterRecord::PlaylistID, &PlaylistMasterRecord::PlaylistDescription,
        &PlaylistMasterRecord::LastEditDate, &PlaylistMasterRecord::Notes};
    return m;
}

const FileLayout &PlaylistDetailsRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("PlaylistDetails"),
        QStringLiteral("PLA"),
        QStringLiteral("sglpldet"),
        {
            {QStringLiteral("PlaylistID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("PlaylistSeq"), FieldType::Decimal, 6, 0, QStringLiteral("@n_5")},
            {QStringLiteral("ID"), FieldType::Decimal, 6, 0, QStringLiteral("")},
            {QStringLiteral("PlaylistNotes"), FieldType::Text, 40, 0, QStringLiteral("@s40")},
        },
        {
            {QStringLiteral("KeyPlaylistID"), {0, 1}, true, true, true},
            {QStringLiteral("KeyID"), {2}, false, false, false},
        }};
    return layout;
}

const std::array<store::MemberPtr<PlaylistDetailsRecord>, PlaylistDetailsRecord::fieldCount> &
PlaylistDetailsRecord::members()
{
    static const std::array<store::MemberPtr<PlaylistDetailsRecord>, fieldCount> m{
        &PlaylistDetailsRecord::PlaylistID, &PlaylistDetailsRecord::PlaylistSeq,
        &PlaylistDetailsRecord::ID, &PlaylistDetailsRecord::PlaylistNotes};
    return m;
}

const FileLayout &MediaRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("Media"),
        QStringLiteral("MED"),
        QStringLiteral("sglmedia"),
        {
            {QStringLiteral("Media"), FieldType::Text, 20, 0, QStringLiteral("@s20")},
        },
        {
            {QStringLiteral("KeyMedia"), {0}, true, false, true},
        }};
    return layout;
}

const std::array<store::MemberPtr<MediaRecord>, MediaRecord::fieldCount> &MediaRecord::members()
{
    static const std::array<store::MemberPtr<MediaRecord>, fieldCount> m{&MediaRecord::Media};
    return m;
}

const FileLayout &ConfigurationRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("Configuration"),
        QStringLiteral("CF"),
        QStringLiteral("SGLConf"),
        {
            {QStringLiteral("DataType"), FieldType::Text, 40, 0, QStringLiteral("")},
            {QStringLiteral("DataValue"), FieldType::Text, 80, 0, QStringLiteral("")},
        },
        {
            {QStringLiteral("KeyDataType"), {0}, true, false, true},
        }};
    return layout;
}

const std::array<store::MemberPtr<ConfigurationRecord>, ConfigurationRecord::fieldCount> &
ConfigurationRecord::members()
{
    static const std::array<store::MemberPtr<ConfigurationRecord>, fieldCount> m{
        &ConfigurationRecord::DataType, &ConfigurationRecord::DataValue};
    return m;
}

// The buffers are defined before the files that refer to them, in this one unit, so they
// are constructed first.
SongloreRecord MUS;
CategoriesRecord CAT;
OldSongloreRecord M1;
AlbumRecord ALB;
LabelsRecord LAB;
FontsRecord FON;
AddWizardRecord AW;
PlaylistMasterRecord PLD;
PlaylistDetailsRecord PLA;
MediaRecord MED;
ConfigurationRecord CF;
store::KeyedFile Songlore{MUS};
store::KeyedFile Categories{CAT};
store::KeyedFile OldSonglore{M1};
store::KeyedFile Album{ALB};
store::KeyedFile Labels{LAB};
store::KeyedFile Fonts{FON};
store::KeyedFile AddWizard{AW};
store::KeyedFile PlaylistMaster{PLD};
store::KeyedFile PlaylistDetails{PLA};
store::KeyedFile Media{MED};
store::KeyedFile Configuration{CF};

const std::vector<store::KeyedFile *> &allFiles()
{
    static const std::vector<store::KeyedFile *> files{
        &AddWizard, &Album,    &Categories,  &Configuration,   &Fonts,         &Labels,
        &Media,     &Songlore, &OldSonglore, &PlaylistDetails, &PlaylistMaster};
    return files;
}

store::KeyedFile *findFile(const QString &prefixOrLabel)
{
    const QString name = prefixOrLabel.trimmed();
    for (store::KeyedFile *f : allFiles())
        if (f->layout().prefix.compare(name, Qt::CaseInsensitive) == 0 ||
            f->layout().label.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

FieldRef findField(const QString &qualifiedName)
{
    const QString name = qualifiedName.trimmed();
    const int colon = name.indexOf(u':');
    if (colon <= 0)
        return {};
    store::KeyedFile *file = findFile(name.left(colon));
    if (!file || file->layout().prefix.compare(name.left(colon), Qt::CaseInsensitive) != 0)
        return {};
    const int field = file->layout().fieldIndex(name.mid(colon + 1));
    if (field < 0)
        return {};
    return FieldRef{file, field};
}

} // namespace melodex
