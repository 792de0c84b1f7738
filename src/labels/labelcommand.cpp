// Printing a label to PDF from the command line: `melodex report PrintLabel --label ID ...`.
#include "labels/labelcommand.h"

#include "data/fileopen.h"
#include "data/records.h"
#include "labels/labelprint.h"
#include "platform/print/pdftarget.h"
#include "platform/store/store.h"

#include <QGuiApplication>

#include <cstdio>
#include <memory>

namespace melodex {

namespace {

// The label number is a field of six digits; copies are capped as the reports' are.
constexpr qint64 MaxLabelId = 999999;
constexpr int MaxCopies = 99;

int fail(const QString &message, int code)
{
    std::fputs(message.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    return code;
}

} // namespace

std::optional<int> runLabelCommand(const LabelPrintOptions &options)
{
    const QString &reportName = options.report;
    const auto is = [&reportName](const char *text) {
        return reportName.compare(QLatin1String(text), Qt::CaseInsensitive) == 0;
    };
    // What people call a label is not a report's name: say which one prints it.
    if (is("Label") || is("Labels") || is("CassetteLabel") || is("Cassette") || is("CDLabel"))
        return fail(QStringLiteral("melodex: there is no report named %1; a label prints with the "
                                   "report PrintLabel (a cassette label with PrintCassetteLabel)")
                        .arg(reportName),
                    2);
    if (!is("PrintLabel") && !is("PrintCassetteLabel"))
        return std::nullopt;
    const bool cassette = is("PrintCassetteLabel");
    const QString &id = options.label;
    const QString &pdf = options.pdf;
    const QString copiesText = options.copies.isEmpty() ? QStringLiteral("1") : options.copies;
    bool ok = false;
    const qint64 labelId = id.toLongLong(&ok);
    if (!ok || labelId <= 0 || labelId > MaxLabelId || pdf.isEmpty())
        return fail(QStringLiteral("melodex: --label needs a label number from 1 to %1 and --pdf "
                                   "a file")
                        .arg(MaxLabelId),
                    2);
    const int copies = copiesText.toInt(&ok);
    if (!ok || copies < 1 || copies > MaxCopies)
        return fail(QStringLiteral("melodex: --copies needs a number from 1 to %1").arg(MaxCopies),
                    2);

    // Fonts and PDF writing need a GUI application, though no window opens.
    std::unique_ptr<QGuiApplication> app;
    static int argc = 1;
    static char name[] = "melodex";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }

    if (const QString refusal = print::pdfTargetRefusal(pdf); !refusal.isEmpty())
        return fail(QStringLiteral("melodex: ") + refusal, 1);
    installFileOpener();
    int result = 0;
    {
        store::FileUse labels(Labels);
        store::FileUse fonts(Fonts);
        if (!labels.ok()) {
            result = fail(QStringLiteral("melodex: the labels file cannot be opened"), 1);
        } else if (const auto label = LabelPrint::read(labelId)) {
            const LabelsRecord &l = *label;
            QString error;
            const auto layout = cassette || LabelPrint::isCassette(l) ? LabelPrint::Layout::Cassette
                                                                      : LabelPrint::Layout::CD;
            if (!LabelPrint::writePdf(l, pdf, &error, layout, copies))
                result =
                    fail(QStringLiteral("melodex: %1 could not be written: %2").arg(pdf, error), 1);
        } else {
            result = fail(QStringLiteral("melodex: there is no label %1").arg(labelId), 1);
        }
    }
    store::Store::instance().closeAll();
    return result;
}

} // namespace melodex
