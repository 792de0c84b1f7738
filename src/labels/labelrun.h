// LabelRun: printing a stored label as a report run, with progress and cancel.
#pragma once

#include "data/records.h"
#include "labels/labelprint.h"
#include "platform/print/pagelist.h"
#include "reports/steppedrun.h"

namespace melodex {

namespace print {
class PrintDestination;
}

/// Says that the label could not be printed, and why when `why` is not empty.
void sayLabelCannotPrint(const QString &why);

/// The labels list's print: the label numbered `labelId` read from the Labels file and laid out
/// as its one page in `layout`, under the same progress window and cancel questions as a
/// report. The pages are kept for the preview, or sent to `printer` with its copies. Every
/// message goes through the message service, so the run works without a window.

class LabelRun : public reports::SteppedRun
{
public:
    enum class Outcome {
        Nothing, ///< nothing printed or shown (cancelled, the label unreadable, a failure)
        Preview, ///< the page is to be shown; then printPreviewed() or nothing
        Printed, ///< the page went to the printer
    };

    LabelRun(qint64 labelId, LabelPrint::Layout layout, print::PrintDestination &printer,
             bool preview);

    /// Reads the label. False after the standard retrieval message naming "Labels" when it
    /// cannot be read: the run is then over and finish() needs no call.
    bool start();
    QString caption() const override;
    /// Lays out the label's page.
    State step() override;
    /// "Are you sure you want to CANCEL this Report?"
    void requestCancel() override;
    State state() const override { return m_state; }
    void onPercentChanged(std::function<void(int)> callback) override
    {
        m_percentChanged = std::move(callback);
    }

    /// Ends the run: the page kept for the preview, sent to the printer, or dropped.
    Outcome finish();
    /// Prints the previewed page with the printer's copies; false (said) on a failure.
    bool printPreviewed();

    const print::PageList &pages() const { return m_pages; }
    /// The label as read by start().
    const LabelsRecord &label() const { return m_label; }

private:
    bool send();

    qint64 m_id;
    LabelPrint::Layout m_layout;
    print::PrintDestination &m_printer;
    bool m_preview;
    State m_state = State::Idle;
    LabelsRecord m_label;
    print::PageList m_pages;
    std::function<void(int)> m_percentChanged;
};

} // namespace melodex
