// The procedures "Import" and "Export" that the File menu and the songs list start.
#include "ui/interchange/interchangeprocedures.h"

#include "app/globals.h"
#include "data/records.h"
#include "importers/importsession.h"
#include "interchange/importfile.h"
#include "services/dialogservice.h"
#include "ui/catalog/browsesongs.h"
#include "ui/filedialogservice.h"
#include "ui/interchange/collectionimportwindow.h"
#include "ui/interchange/exportwindow.h"
#include "ui/interchange/importwindow.h"
#include "ui/layout/windowplacement.h"
#include "ui/procedures.h"

#include <memory>

namespace melodex {

void Import()
{
    // Held until the window holds the files itself, so the files are opened only once.
    store::FileUse songs(Songlore);
    store::FileUse categories(Categories);
    if (!songs.ok() || !categories.ok())
        return;
    // The file's content says what it is: another program's collection or an albums file goes
    // to the collection import, a songs file to the field assignment as before.
    const QString path = DialogService::instance().getOpenFileName(
        ImportFile::DialogCaption, {},
        QStringLiteral("Import Files|*.CSV;*.csv;*.tc;*.xml;*.gcs;*.db|All Files|*.*"));
    if (path.isEmpty())
        return;
    auto session = std::make_unique<importers::ImportSession>();
    session->open(path);
    if (!session->isSongsFile()) {
        auto *window = new CollectionImportWindow(std::move(session)); // the frame deletes it
        showInFrame(window);
        keepWindowPlacement(window, WindowStateIni, QStringLiteral("CollectionImport"));
        return;
    }
    auto file = std::make_unique<ImportFile>();
    // A songs file that cannot be opened is said so, and the dialog asks again.
    if (file->open(path) == 0 && file->open() == 0)
        return;
    auto window = std::make_unique<ImportWindow>(std::move(file));
    if (!window->isLoaded())
        return;
    // The frame deletes the window when it closes.
    ImportWindow *shown = window.release();
    showInFrame(shown);
    keepWindowPlacement(shown, WindowStateIni, QStringLiteral("Import"));
}

void Export(const QString &search)
{
    auto *window = new ExportWindow; // deleted by the frame when it closes
    window->setSearch(search);
    showInFrame(window);
    keepWindowPlacement(window, WindowStateIni, QStringLiteral("Export"));
}

void registerInterchangeProcedures()
{
    // The windows need real file dialogs when the program has not installed its own service.
    if (!DialogService::isInstalled()) {
        static FileDialogService dialogs;
        DialogService::setInstance(&dialogs);
    }
    registerProcedure(QStringLiteral("Import"), [] { Import(); });
    registerProcedure(QStringLiteral("Export"), [] { Export(); });
    // Started from the songs list with a search, the export offers to write only its songs.
    BrowseSongs::setExportOpener([](const QString &search) { Export(search); });
}

} // namespace melodex
