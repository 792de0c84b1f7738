// The declaration of every command: what it takes, what it says of itself, and the run it
// starts with the options read.
#include "cli/command.h"

#include "data/backupcommand.h"
#include "data/filecommand.h"
#include "importers/collectionimport.h"
#include "interchange/checkcommand.h"
#include "interchange/songcommands.h"
#include "labels/labelcommand.h"
#include "lookup/lookupcommand.h"
#include "musicfiles/scancommand.h"
#include "reports/reportcommand.h"
#include "stats/statscommand.h"
#include "wizard/cdcommand.h"

#include <cstdio>

namespace melodex::cli {

namespace {

QCommandLineOption flag(const char *name, const char *description)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description));
}

QCommandLineOption valued(const char *name, const char *valueName, const char *description)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                              QString::fromLatin1(valueName));
}

QString text(const char *t)
{
    return QString::fromUtf8(t);
}

const QString DataDir = QStringLiteral("data-dir");

Command importCommand()
{
    Command c;
    c.name = QStringLiteral("import");
    c.summary = text("add songs, albums or another program's collection");
    c.description = text(
        "Adds one song per line of a comma-delimited FILE. Its first line names the song field "
        "of each column (MUS:Artist,MUS:Title,...; CAT:Category finds or adds the category by "
        "name); that line is never imported as a song. Lines with no value are left out.\n"
        "Another program's collection (a Discogs collection export, a Tellico, CLZ Music, "
        "GCstar or Data Crow file, a beets library) or an albums file (its first line names ALB: "
        "fields) adds albums and their songs; the kind is recognised from the content. Before "
        "writing, the plan is printed: albums and songs to add, those already present (skipped), "
        "new categories and media formats, and lines that cannot be read.");
    c.positionals = {{QStringLiteral("FILE"), text("the file to read")}};
    c.shared = {Shared::Quiet, Shared::DataDir};
    c.options = {
        flag("strip-header", "songs: leave the first line out whatever it holds"),
        valued("from", "NAME",
               "the kind of FILE when its content does not say: discogs, tellico, clz, gcstar, "
               "datacrow, beets, songs or albums"),
        flag("albums", "FILE is an albums file (as --from albums)"),
        flag("dry-run", "print what would be added, skipped and left out, and write nothing")};
    c.exitStatus = text("0 done, 1 failed, 2 wrong arguments, 3 imported with lines left out.");
    c.run = [](Invocation &in) {
        importers::CollectionImportOptions collection;
        collection.file = in.positional(0);
        collection.from = in.value(QStringLiteral("from"));
        collection.dryRun = in.isSet(QStringLiteral("dry-run"));
        collection.albums = in.isSet(QStringLiteral("albums"));
        collection.quiet = in.quiet();
        // Another program's collection or an albums file; a songs file goes on as before.
        if (!importers::isSongImport(collection))
            return importers::runCollectionImport(collection);
        if (collection.dryRun || collection.albums ||
            (!collection.from.isEmpty() && collection.from != QLatin1String("songs"))) {
            std::fputs("melodex: --dry-run, --albums and --from are for collections and albums "
                       "files\n",
                       stderr);
            return 2;
        }
        SongImportOptions o;
        o.file = in.positional(0);
        o.stripHeader = in.isSet(QStringLiteral("strip-header"));
        o.quiet = in.quiet();
        return runSongImport(o);
    };
    return c;
}

Command exportCommand()
{
    Command c;
    c.name = QStringLiteral("export");
    c.summary = text("write songs or albums to a comma-delimited file");
    c.description = text(
        "Writes every song, by artist and title, to FILE with the given fields (all by default) "
        "after a line of field names. FILE - writes to standard output. --albums writes the "
        "albums instead, with ALB: field names (and CAT:Category), in the order KeyArtist "
        "(default), KeyAlbum or KeyAlbumID.");
    c.positionals = {{QStringLiteral("FILE|-"), text("the file to write, or - for standard "
                                                     "output")}};
    c.shared = {Shared::Filter, Shared::Order, Shared::Quiet, Shared::DataDir, Shared::Database};
    c.options = {
        valued("fields", "NAME,...", "the fields to write, in this order (MUS:Artist,MUS:Title)"),
        flag("no-header", "leave out the line of field names"),
        flag("albums", "write the albums instead of the songs"),
        flag("safe-for-spreadsheets",
             "write a ' before texts beginning with =, +, -, @ so that a spreadsheet program "
             "does not run them as formulas (they no longer read back exactly)")};
    c.exitStatus = text("0 done, 1 failed, 2 wrong arguments.");
    c.run = [](Invocation &in) {
        SongExportOptions o;
        o.file = in.positional(0);
        o.fields = in.given(QStringLiteral("fields"));
        o.noHeader = in.isSet(QStringLiteral("no-header"));
        o.filter = in.value(QStringLiteral("filter"));
        o.order = in.value(QStringLiteral("order"));
        o.safeForSpreadsheets = in.isSet(QStringLiteral("safe-for-spreadsheets"));
        o.quiet = in.quiet();
        o.albums = in.isSet(QStringLiteral("albums"));
        return runSongExport(o);
    };
    return c;
}

Command statsCommand()
{
    Command c;
    c.name = QStringLiteral("stats");
    c.summary = text("print the collection's figures");
    c.description = text(
        "Prints the collection's figures: songs, albums, total playing time, the songs per "
        "category, media format and decade, the ten artists with the most songs and the albums' "
        "purchase price and current value by purchase year. --filter counts only the songs it "
        "selects; albums, categories, media formats and playlists are then those these songs "
        "use.");
    c.shared = {Shared::Filter, Shared::DataDir};
    c.exitStatus =
        text("0 printed, 1 a data file could not be read, 2 wrong arguments or a filter that "
             "cannot be used.");
    c.run = [](Invocation &in) { return runStatsCommand(in.value(QStringLiteral("filter"))); };
    return c;
}

Command reportCommand()
{
    Command c;
    c.name = QStringLiteral("report");
    c.summary = text("print a report or a label to a PDF file");
    c.description = text(
        "Prints the report NAME (e.g. PrintMUS:SongsByArtist) to the PDF file given with --pdf, "
        "as the report window prints it without a preview. The labels print with the reports "
        "PrintLabel and PrintCassetteLabel and --label. The file is written whole or not at "
        "all, and never over a data file of the catalogue nor onto anything but a regular file.");
    c.positionals = {{QStringLiteral("NAME"), text("the report's name (melodex report <TAB> "
                                                   "lists them in a shell that completes)")}};
    c.shared = {Shared::Filter, Shared::Quiet, Shared::DataDir, Shared::Database};
    c.options = {
        valued("pdf", "FILE", "the PDF file to write"),
        valued("style", "STYLE", "Standard, or Brief: the short layout of a report that has one"),
        valued("selected", "TEXT", "only the records whose key field starts with TEXT"),
        valued("font", "FAMILY,SIZE", "the report's text in font FAMILY, SIZE points"),
        valued("copies", "N", "N copies (1 to 99), each a whole set of pages"),
        valued("album", "ID", "the album PrintOneAlbum prints (1 to 2147483647)"),
        valued("playlist", "ID",
               "the playlist PrintPlaylist and PrintPlaylistTop40 print (1 to 2147483647); the "
               "Top 40 renumbers it only when the PDF is written"),
        valued("category", "NAME", "the category PrintByCategory and BriefByCategory print"),
        valued("label", "ID", "the label PrintLabel and PrintCassetteLabel print (1 to 999999)")};
    c.exitStatus = text("0 written, 1 failed, nothing to print or FILE refused, 2 wrong "
                        "arguments.");
    c.run = [](Invocation &in) {
        const QString name = in.positional(0);
        LabelPrintOptions label;
        label.report = name;
        label.label = in.value(QStringLiteral("label"));
        label.pdf = in.value(QStringLiteral("pdf"));
        label.copies = in.value(QStringLiteral("copies"));
        if (const std::optional<int> code = runLabelCommand(label))
            return *code;
        if (in.isSet(QStringLiteral("label"))) {
            std::fprintf(stderr, "melodex: --label goes with PrintLabel or PrintCassetteLabel\n");
            return 2;
        }
        reports::ReportCommandOptions o;
        o.name = name;
        o.pdf = in.value(QStringLiteral("pdf"));
        o.filter = in.value(QStringLiteral("filter"));
        o.style = in.value(QStringLiteral("style"));
        o.selected = in.given(QStringLiteral("selected"));
        o.font = in.given(QStringLiteral("font"));
        o.copies = in.value(QStringLiteral("copies"));
        o.album = in.value(QStringLiteral("album"));
        o.playlist = in.value(QStringLiteral("playlist"));
        o.category = in.value(QStringLiteral("category"));
        o.quiet = in.quiet();
        return reports::runReportCommand(o);
    };
    return c;
}

Command checkCommand()
{
    Command c;
    c.name = QStringLiteral("check");
    c.summary = text("check every data file and the links between them");
    c.description = text(
        "Reads every data file whole: that each is a data file of this program with its keys, "
        "that SQLite finds every page, record and key entry sound, that the kept record counts "
        "are right, that song numbers are unique and that the categories and albums songs and "
        "albums name exist. Prints each fault on standard output. Changes no record; a change "
        "left unfinished by a process that was ended is rolled back first, and said so.");
    c.shared = {Shared::DataDir, Shared::Database};
    c.options = {flag("quick", "leave out matching every key entry to its record")};
    c.exitStatus = text("0 no fault, 1 faults found (listed), 2 wrong arguments.");
    c.run = [](Invocation &in) { return runCheckCommand(in.isSet(QStringLiteral("quick"))); };
    return c;
}

Command fileCommand(FileAction action)
{
    const bool build = action == FileAction::Build;
    Command c;
    c.name = build ? QStringLiteral("build") : QStringLiteral("pack");
    c.summary = build ? text("rebuild the keys of data files")
                      : text("give the free space of data files back");
    c.description =
        (build ? text("Rebuilds every key of the named data files.")
               : text("Gives the free space of the named data files back to the disk.")) +
        text(" A file in use by a window or another program is left as it is.");
    c.positionals = {{QStringLiteral("NAME..."),
                      text("a data file's label (Songlore, Album, ...) or file name (sgldata, "
                           "sglalbum, ...)"),
                      0, -1}};
    c.shared = {Shared::DataDir, Shared::Database};
    c.options = {flag("all", "every data file")};
    c.exitStatus = text("0 every file done (or not there yet), 1 a file was busy or could not be "
                        "worked on, 2 wrong arguments.");
    c.run = [action](Invocation &in) {
        const bool all = in.isSet(QStringLiteral("all"));
        if (all == !in.positionals().isEmpty()) {
            std::fprintf(stderr, "melodex: %s needs the names of data files, or --all\n",
                         qPrintable(in.command().name));
            return 2;
        }
        return runFileCommand(action, in.positionals(), all);
    };
    return c;
}

Command cdCommand()
{
    Command c;
    c.name = QStringLiteral("cd");
    c.summary = text("read the audio CD's track table");
    c.description = text(
        "Reads the audio CD in the drive (or a disc image: .cue/.bin, .toc, .nrg) and prints its "
        "tracks with their lengths, the CD identifier, the MusicBrainz disc ID and the CD-Text "
        "titles. Nothing is stored. Without --cd-device the drive is the one chosen in the "
        "preferences (key CDDevice), else the system's default drive. With automatic lookup "
        "turned on in the preferences (key AutomaticLookup), the disc is then looked up in "
        "MusicBrainz as melodex lookup --cd-device does.");
    c.shared = {Shared::DataDir};
    c.options = {valued("cd-device", "PATH", "the CD drive or disc image to read")};
    c.exitStatus = text("0 read, 1 no disc could be read, 2 wrong arguments.");
    c.usesData = false;
    c.run = [](Invocation &in) {
        const QString device = in.value(QStringLiteral("cd-device"));
        if (in.isSet(QStringLiteral("cd-device")) && device.isEmpty()) {
            std::fputs("melodex: --cd-device needs a drive or disc image\n", stderr);
            return 2;
        }
        const int code = runCdCommand(device);
        // With automatic lookup turned on in the preferences, a disc read is looked up too.
        if (code != 0 || !lookup::automaticLookupAfterDiscRead())
            return code;
        QString directory = in.value(DataDir);
        if (!in.settleData(directory))
            return 0;
        return lookup::lookUpDiscRead();
    };
    return c;
}

Command lookupCommand()
{
    Command c;
    c.name = QStringLiteral("lookup");
    c.summary = text("look a disc or an album up in MusicBrainz");
    c.description = text(
        "Looks a disc or an album up in MusicBrainz. --cd-device reads the disc in the drive (or "
        "a disc image) and lists the releases that contain it; --discid does so for a disc ID; "
        "--release shows one release with its media and tracks; --artist and --album search "
        "(with --barcode and --format to narrow it).");
    c.shared = {Shared::Json, Shared::DataDir};
    c.options = {valued("cd-device", "PATH", "the CD drive or disc image to read and look up"),
                 valued("discid", "ID", "the MusicBrainz disc ID to look up"),
                 valued("release", "MBID", "the release to show (or, with --add, to add)"),
                 valued("artist", "ARTIST", "search: the artist"),
                 valued("album", "TITLE", "search: the album's title"),
                 valued("barcode", "CODE", "search: the barcode"),
                 valued("format", "FORMAT", "search: the medium's format (CD, Vinyl, ...)"),
                 flag("add",
                      "add the release as an album with its songs and print the album's number "
                      "(with a disc: only that disc's medium); with several releases for a disc, "
                      "choose one with --release"),
                 valued("media", "NAME",
                        "with --add, the album's Media (default: from the release's "
                        "format)"),
                 flag("cover", "with --add, also fetch the front cover as the album's image"),
                 flag("refresh", "ask the service again even when its answer is in the cache"),
                 valued("server", "URL",
                        "the MusicBrainz server (default: [Settings] MusicBrainzServer, "
                        "else https://musicbrainz.org)"),
                 valued("cover-server", "URL",
                        "the cover art server (default: [Settings] "
                        "CoverArtServer)")};
    c.exitStatus = text("0 found (and added), 1 nothing found or the service failed, 2 wrong "
                        "arguments.");
    c.run = [](Invocation &in) {
        lookup::LookupCommandOptions o;
        o.device = in.value(QStringLiteral("cd-device"));
        o.discId = in.value(QStringLiteral("discid"));
        o.release = in.value(QStringLiteral("release"));
        o.artist = in.value(QStringLiteral("artist"));
        o.album = in.value(QStringLiteral("album"));
        o.barcode = in.value(QStringLiteral("barcode"));
        o.format = in.value(QStringLiteral("format"));
        o.media = in.value(QStringLiteral("media"));
        o.server = in.value(QStringLiteral("server"));
        o.coverServer = in.value(QStringLiteral("cover-server"));
        o.json = in.isSet(QStringLiteral("json"));
        o.add = in.isSet(QStringLiteral("add"));
        o.cover = in.isSet(QStringLiteral("cover"));
        o.refresh = in.isSet(QStringLiteral("refresh"));
        return lookup::runLookupCommand(o);
    };
    return c;
}

Command archiveCommand(bool backup)
{
    Command c;
    c.name = backup ? QStringLiteral("backup") : QStringLiteral("restore");
    c.summary = backup ? text("write the whole catalogue into one archive")
                       : text("put the catalogue of an archive in place");
    c.description =
        backup ? text("Writes one archive (tar) of the catalogue: a consistent copy of every "
                      "data file, taken while the program may be running, the settings files, "
                      "the images folder, and a manifest with each file's size, checksum and "
                      "record count.")
               : text("Checks the archive whole first (manifest, checksums, each data file's "
                      "integrity) and changes nothing when it is damaged or not a catalogue's; "
                      "refuses while another program uses the data; keeps the current catalogue "
                      "as melodex-before-restore-YYYYMMDD-HHMMSS.tar in the data directory; then "
                      "puts the archive's files in place.");
    c.positionals = {{QStringLiteral("FILE"),
                      backup ? text("the archive to write") : text("the archive to restore")}};
    c.shared = {Shared::Quiet, Shared::DataDir};
    if (backup)
        c.shared.push_back(Shared::Database);
    c.exitStatus = text("0 done, 1 failed, 2 wrong arguments.");
    c.run = [backup](Invocation &in) {
        return runBackupCommand(backup, in.positional(0), in.quiet(), in.dataDirectory());
    };
    return c;
}

Command scanCommand()
{
    Command c;
    c.name = QStringLiteral("scan");
    c.summary = text("add the music files of folders as songs and albums");
    c.description = text(
        "Adds the music files under the folders DIR... (FLAC, MP3, Ogg, Opus, M4A, WMA, WAV, ...) "
        "as songs and albums, read with their tags, and keeps songs added before in step with "
        "their files: new files are added, changed files update their songs (fields edited in "
        "Melodex since are listed, not overwritten), and files that are gone are listed. A scan "
        "that was stopped is finished by running it again.");
    c.positionals = {{QStringLiteral("DIR..."), text("a folder to scan"), 1, -1}};
    c.shared = {Shared::Quiet, Shared::DataDir};
    c.options = {
        valued("media", "NAME", "the media format of the songs added (default: File)"),
        flag("dry-run", "read everything and say what would be done, writing nothing"),
        flag("delete-gone", "delete the songs of files that are gone (listed otherwise)"),
        valued("batch", "N", "files written in one transaction (1 to 100000, default 1000)")};
    c.exitStatus = text("0 done, 1 failed, 2 wrong arguments, 3 some files could not be read.");
    c.run = [](Invocation &in) {
        musicfiles::ScanOptions o;
        o.folders = in.positionals();
        if (in.isSet(QStringLiteral("media")))
            o.media = in.value(QStringLiteral("media")).trimmed();
        if (o.media.isEmpty()) {
            std::fputs("melodex scan: --media needs a name\n", stderr);
            return 2;
        }
        if (in.isSet(QStringLiteral("batch"))) {
            bool ok = false;
            o.batchFiles = in.value(QStringLiteral("batch")).toInt(&ok);
            if (!ok || o.batchFiles < 1 || o.batchFiles > 100000) {
                std::fputs("melodex scan: --batch takes a number from 1 to 100000\n", stderr);
                return 2;
            }
        }
        o.dryRun = in.isSet(QStringLiteral("dry-run"));
        o.deleteGone = in.isSet(QStringLiteral("delete-gone"));
        o.quiet = in.quiet();
        o.dataDirectory = in.dataDirectory();
        return musicfiles::runScanCommand(o);
    };
    return c;
}

} // namespace

namespace {

std::vector<Command> &registry()
{
    static std::vector<Command> all{importCommand(),
                                    exportCommand(),
                                    scanCommand(),
                                    statsCommand(),
                                    reportCommand(),
                                    cdCommand(),
                                    lookupCommand(),
                                    checkCommand(),
                                    fileCommand(FileAction::Build),
                                    fileCommand(FileAction::Pack),
                                    archiveCommand(true),
                                    archiveCommand(false)};
    return all;
}

} // namespace

const std::vector<Command> &commands()
{
    return registry();
}

void registerCommand(Command command)
{
    if (!findCommand(command.name))
        registry().push_back(std::move(command));
}

} // namespace melodex::cli
