// Printing a report to PDF from the command line, for scripts: no window opens.
#include "reports/reportcommand.h"

#include "app/globals.h"
#include "data/fileopen.h"
#include "data/records.h"
#include "platform/print/pdfdestination.h"
#include "platform/print/pdftarget.h"
#include "platform/store/store.h"
#include "reports/reportcatalogue.h"
#include "reports/reportrun.h"
#include "services/consoleprogress.h"
#include "services/messageservice.h"

#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <limits>
#include <memory>

namespace melodex::reports {

namespace {

// Records per step: the loop runs flat out, the progress line changes once a percent.
constexpr int StepSize = 5000;
// Each copy is a whole set of pages laid out again into the file: more than a print shop's
// run is a mistyped number, not a wish.
constexpr int MaxCopies = 99;

void printError(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// Counts the messages shown on standard error, so a quiet failure can be told from a loud one.
class CountingConsole : public ConsoleMessageService
{
public:
    int show(const MessageRequest &request) override
    {
        ++shown;
        return ConsoleMessageService::show(request);
    }
    int shown = 0;
};

using Options = ReportCommandOptions;

// The values of the options, read: a font, a number of copies, record numbers in range.
struct Checked
{
    std::optional<ReportFont> font;
    int copies = 1;
};

std::optional<Checked> check(const Options &o, QString *error)
{
    Checked c;
    if (o.font) {
        const QString &v = *o.font;
        const qsizetype comma = v.lastIndexOf(u',');
        bool ok = false;
        const int size = comma > 0 ? v.mid(comma + 1).trimmed().toInt(&ok) : 0;
        if (!ok || size <= 0 || size > 72 || v.left(comma).trimmed().isEmpty()) {
            *error = QStringLiteral("melodex: --font needs FAMILY,SIZE (e.g. \"DejaVu Serif,9\")");
            return std::nullopt;
        }
        ReportFont f;
        f.name = v.left(comma).trimmed();
        f.size = size;
        f.style = 400;
        c.font = f;
    }
    if (!o.copies.isEmpty()) {
        bool ok = false;
        c.copies = o.copies.toInt(&ok);
        if (!ok || c.copies < 1 || c.copies > MaxCopies) {
            *error = QStringLiteral("melodex: --copies needs a number from 1 to %1").arg(MaxCopies);
            return std::nullopt;
        }
    }
    // A record number is a 32-bit field: a larger one would wrap onto another record.
    for (const auto &[option, text] :
         {std::pair{"--album", o.album}, std::pair{"--playlist", o.playlist}}) {
        bool ok = false;
        const qint64 id = text.toLongLong(&ok);
        if (!text.isEmpty() && (!ok || id < 1 || id > std::numeric_limits<qint32>::max())) {
            *error = QStringLiteral("melodex: %1 needs a number from 1 to %2, not %3")
                         .arg(QLatin1String(option))
                         .arg(std::numeric_limits<qint32>::max())
                         .arg(text);
            return std::nullopt;
        }
    }
    if (o.pdf.isEmpty())
        *error = QStringLiteral("melodex: report needs --pdf FILE");
    else if (!o.style.isEmpty() &&
             o.style.compare(QLatin1String("Standard"), Qt::CaseInsensitive) &&
             o.style.compare(QLatin1String("Brief"), Qt::CaseInsensitive))
        *error = QStringLiteral("melodex: --style is Standard or Brief");
    if (!error->isEmpty())
        return std::nullopt;
    return c;
}

// Text needs fonts, and fonts need a GUI application; without a display it is an offscreen one.
std::unique_ptr<QGuiApplication> guiApplication()
{
    if (QCoreApplication::instance())
        return nullptr;
    static int argc = 3;
    static char arg0[] = "melodex", arg1[] = "-platform", arg2[] = "offscreen";
    static char *argv[] = {arg0, arg1, arg2, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Puts the album, playlist or category a fixed report prints into its buffer, as the window
// that starts the report would; false (said) when it is missing or unknown.
bool chooseRecords(const ReportDefinition &definition, const Options &o)
{
    const QString name = definition.procedure;
    auto number = [](const QString &text, qint64 *out) {
        bool ok = false;
        *out = text.toLongLong(&ok);
        return ok && *out > 0;
    };
    qint64 id = 0;
    if (name == QLatin1String("PrintOneAlbum")) {
        store::FileUse use(Album);
        ALB.clear();
        if (!number(o.album, &id)) {
            printError(QStringLiteral("melodex: %1 needs --album ID").arg(name));
            return false;
        }
        ALB.AlbumID = qint32(id);
        if (!use.ok() || Album.get(AlbumRecord::KeyAlbumID) != 0) {
            printError(QStringLiteral("melodex: there is no album %1").arg(id));
            return false;
        }
    } else if (name.startsWith(QLatin1String("PrintPlaylist"))) {
        store::FileUse use(PlaylistMaster);
        PLD.clear();
        if (!number(o.playlist, &id)) {
            printError(QStringLiteral("melodex: %1 needs --playlist ID").arg(name));
            return false;
        }
        PLD.PlaylistID = qint32(id);
        if (!use.ok() || PlaylistMaster.get(PlaylistMasterRecord::KeyPlaylistID) != 0) {
            printError(QStringLiteral("melodex: there is no playlist %1").arg(id));
            return false;
        }
    } else if (name.endsWith(QLatin1String("ByCategory"))) {
        store::FileUse use(Categories);
        CAT.clear();
        CAT.Category = o.category;
        if (o.category.trimmed().isEmpty()) {
            printError(QStringLiteral("melodex: %1 needs --category NAME").arg(name));
            return false;
        }
        if (!use.ok() || Categories.get(CategoriesRecord::KeyCategory) != 0) {
            printError(QStringLiteral("melodex: there is no category %1").arg(o.category));
            return false;
        }
    } else if (!o.album.isEmpty() || !o.playlist.isEmpty() || !o.category.isEmpty()) {
        printError(
            QStringLiteral("melodex: %1 takes no --album, --playlist or --category").arg(name));
        return false;
    }
    return true;
}

int run(const Options &o, const Checked &c, CountingConsole &console)
{
    std::optional<ReportDefinition> definition = findReport(o.name);
    if (!definition) {
        printError(QStringLiteral("melodex: there is no report named %1; the reports are: %2")
                       .arg(o.name, reportNames().join(QStringLiteral(", "))));
        return 2;
    }
    if (o.style.compare(QLatin1String("Brief"), Qt::CaseInsensitive) == 0) {
        if (definition->briefTwin.isEmpty()) {
            if (!definition->procedure.startsWith(QLatin1String("Brief"))) {
                printError(QStringLiteral("melodex: the report %1 has no Brief layout")
                               .arg(definition->procedure));
                return 2;
            }
        } else {
            definition = findReport(definition->briefTwin);
        }
    }
    if (o.selected && !definition->selectionText) {
        printError(QStringLiteral("melodex: the report %1 has no selection; --selected does not "
                                  "apply")
                       .arg(definition->procedure));
        return 2;
    }

    if (!chooseRecords(*definition, o))
        return 2;

    // Refuse a file that may not or cannot be written before reading a single record.
    if (const QString refusal = print::pdfTargetRefusal(o.pdf); !refusal.isEmpty()) {
        printError(QStringLiteral("melodex: ") + refusal);
        return 1;
    }
    {
        QSaveFile probe(o.pdf);
        if (!probe.open(QIODevice::WriteOnly)) {
            printError(
                QStringLiteral("melodex: cannot write %1: %2").arg(o.pdf, probe.errorString()));
            return 1;
        }
        probe.cancelWriting();
    }

    print::PdfDestination pdf(o.pdf);
    pdf.setCopies(c.copies);
    pdf.setCollateCopies(true);
    ReportOptions options;
    options.preview = false;
    // Nothing else of the process runs meanwhile: the whole run can read one state.
    options.oneTransaction = true;
    options.filter = o.filter;
    if (o.selected) {
        options.selectedOrAll = QStringLiteral("Selected");
        options.selection = *o.selected;
    }
    if (definition->hasFontKeys)
        options.font = c.font;
    else if (c.font)
        printError(QStringLiteral("The report %1 prints in its own fonts; --font is ignored.")
                       .arg(definition->procedure));

    ReportRun report(*definition, pdf, options);
    ConsoleProgress progress(report.caption(), o.quiet);
    report.onPercentChanged(
        [&](int percent) { progress.update(percent, report.recordsProcessed()); });
    const int messagesBefore = console.shown;
    if (!report.start()) {
        if (console.shown == messagesBefore)
            printError(QStringLiteral("Nothing to Print.: no record to print"));
        return 1;
    }
    while (report.step(StepSize) == ReportRun::State::Running) {
    }
    if (report.finish() != ReportRun::Outcome::Printed)
        return 1;
    progress.finish();
    if (!o.quiet)
        printError(
            QStringLiteral("Process Completed: %1 records read, %2 printed on %3 pages of %4.")
                .arg(report.recordsProcessed())
                .arg(report.linesLaidOut())
                .arg(report.pagesLaidOut())
                .arg(o.pdf));
    return 0;
}

} // namespace

int runReportCommand(const ReportCommandOptions &options)
{
    QString error;
    const std::optional<Checked> checked = check(options, &error);
    if (!checked) {
        printError(error);
        return 2;
    }
    const std::unique_ptr<QGuiApplication> app = guiApplication();
    CountingConsole console;
    MessageService *previous = MessageService::setInstance(&console);
    bool halted = false;
    const HaltHandler previousHalt = setHaltHandler([&](const QString &) { halted = true; });
    installFileOpener();
    initialiseGlobals();
    loadSettings();
    const int code = run(options, *checked, console);
    store::Store::instance().closeAll();
    setHaltHandler(previousHalt);
    MessageService::setInstance(previous);
    return halted ? 1 : code;
}

} // namespace melodex::reports
