// SelectFont: the favourite fonts picker, with its font forms and the rainbow of colours.
#pragma once

#include "data/records.h"
#include "ui/browse/browselist.h"

#include <QPointer>

#include <functional>
#include <memory>

namespace melodex {

/// The "Favorite Fonts" list over the Fonts file. "&Select" returns the highlighted font's id;
/// "&Add", "&Change" and "&Delete" run UpdateFonts, "&Freeform" UpdateFontFreeForm on the
/// highlighted font, "Rainbow" adds seventeen copies of it in colours from black to blue.
class SelectFont : public BrowseList
{
    Q_OBJECT
public:
    explicit SelectFont(QWidget *parent = nullptr);

    /// Opens the picker modal to `parent` only. When a font is selected, `chosen` gets its id;
    /// a cancelled picker calls nothing.
    static void choose(QWidget *parent, std::function<void(qint64)> chosen);

    /// Adds copies of `font` whose colours step the blue component by 16 from 0 to 256, each
    /// numbered highest + 1. A copy that duplicates an existing favourite is left out. The
    /// Fonts file must be open. Returns the number of copies added.
    static int addRainbow(const FontsRecord &font);

    void pressFreeform();
    void pressRainbow();

private:
    using Self = std::shared_ptr<QPointer<SelectFont>>;
    SelectFont(Self self, QWidget *parent);
    static BrowseSettings settings(const Self &self);
};

} // namespace melodex
