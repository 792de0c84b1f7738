// The process's audio CD device: an installed one (tests) or the libcdio device.
#include "platform/cd/mediacontrol.h"

#include "platform/cd/cdiomediacontrol.h"

#include <memory>

namespace melodex::cd {

namespace {

MediaControl *installed = nullptr;
QString source;
std::unique_ptr<CdioMediaControl> cdio;

} // namespace

MediaControl &MediaControl::instance()
{
    if (installed)
        return *installed;
    if (!cdio)
        cdio = std::make_unique<CdioMediaControl>(source);
    return *cdio;
}

MediaControl *MediaControl::setInstance(MediaControl *device)
{
    MediaControl *previous = installed;
    installed = device;
    return previous;
}

void MediaControl::setDefaultSource(const QString &newSource)
{
    if (newSource == source && cdio)
        return;
    source = newSource;
    cdio.reset();
}

QString MediaControl::defaultSource()
{
    return source;
}

} // namespace melodex::cd
