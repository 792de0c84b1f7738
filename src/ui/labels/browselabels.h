// BrowseLabels: the list of CD and cassette labels.
#pragma once

#include "ui/browse/browselist.h"

#include <QPointer>

#include <memory>

namespace melodex {

/// The labels list, by description or by type, with the label wizard, copying and printing.
class BrowseLabels : public BrowseList
{
    Q_OBJECT
public:
    explicit BrowseLabels(QWidget *parent = nullptr);

    /// Opens the list in the main frame.
    static void run();

    void pressWizard();
    void pressCopy();
    void pressPrint();

private:
    using Self = std::shared_ptr<QPointer<BrowseLabels>>;
    BrowseLabels(Self self, QWidget *parent);
    static BrowseSettings settings(const Self &self);
};

} // namespace melodex
