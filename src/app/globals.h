// The program's global state: settings from the preferences file and the shared codes.
#pragma once

#include <QString>

namespace melodex {

/// Globals shared by every window of the process.
struct Globals
{
    // Preferences, loaded from section "Settings" of SGLDX97.INI each time the main frame opens.
    QString DateFormat;            ///< picture (without "@") of every date control, "d17"
    QString AutoAddToAlbums;       ///< non-blank: a new song's album data also goes to the albums
    QString AddMode;               ///< "Normal", "Compilation", "Single Artist", "Ask Each Time"
    QString LabelArtistTitleOrder; ///< "Artist - Title" or "Title - Artist"
    QString Delimiter;             ///< GLO:Delimiter, between track number and title on labels
    QString UDKPrompt;             ///< caption of MUS:UserDefinedKeyField
    QString NotesLabel;            ///< caption of the DJ log's notes column
    QString Logo;                  ///< picture printed on reports
    quint8 SU_Albums = 0;          ///< 1: open the albums list at start-up
    quint8 SU_Songs = 0;
    quint8 SU_Playlists = 0;
    quint8 SU_Labels = 0;

    // Codes by which lists, pickers and forms call each other.
    qint32 ActionRequest = 0;  ///< 1 insert, 2 change, 3 delete, 4 select
    qint32 ActionResponse = 0; ///< 1 completed, 2 cancelled
    qint32 ThreadInstance = 0; ///< number of the current window's procedure instance

    QString ReportStyle;           ///< "Standard" or "Brief"
    QString SelectedOrAll;         ///< "All" or "Selected"
    bool ReportWantPreview = true; ///< preview a criteria report before printing it
    bool ReportCustomFont = false; ///< ask for a custom font for the next report
    QString ReportSelection;       ///< what the "Selected" records start with
    QString HelpFile;              ///< the program's help file
};

extern Globals GLO;

/// ActionRequest values.
enum ActionRequestCode { InsertRecord = 1, ChangeRecord = 2, DeleteRecord = 3, SelectRecord = 4 };
/// ActionResponse values.
enum ActionResponseCode { RequestCompleted = 1, RequestCancelled = 2 };

/// The two settings files, named without a directory (see profilePath()).
inline const QString WindowStateIni = QStringLiteral("SGL97.INI");
inline const QString PreferencesIni = QStringLiteral("SGLDX97.INI");

/// Clears every global text to blank and every number to 0; the delimiter becomes one blank.
void initialiseGlobals();

/// Reads the preferences from section "Settings" of SGLDX97.INI, each with its default.
void loadSettings();

/// Writes the preferences to section "Settings" of SGLDX97.INI; false when it cannot be written.
bool saveSettings();

} // namespace melodex
