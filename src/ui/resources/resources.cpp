// Registration of the built-in icons and help pages.
#include "ui/resources/resources.h"

#include <QtGlobal>

// Outside the namespace: the registration functions that rcc generates are global.
static void registerResources()
{
    Q_INIT_RESOURCE(melodex);
    Q_INIT_RESOURCE(help);
}

namespace melodex {

void initResources()
{
    static const bool done = (registerResources(), true);
    Q_UNUSED(done);
}

} // namespace melodex
