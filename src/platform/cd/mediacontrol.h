// The media-control device "cdaudio": command strings in, reply texts and return codes out.
#pragma once

#include "platform/cd/disctoc.h"

#include <QString>

#include <optional>

namespace melodex::cd {

/// What a media-control command returns: a code (0 for success) and a reply text.
struct MciResult
{
    int code = 0;
    QString reply;

    friend bool operator==(const MciResult &, const MciResult &) = default;
};

/// Return codes of the media-control commands, numbered as the media control interface numbers
/// them, so that a caller that shows a code shows the familiar one.
enum MciError : int {
    MciUnrecognizedCommand = 261,
    MciHardware = 262,
    MciInvalidDeviceName = 263,
    MciDeviceOpen = 265, ///< "open" of a device that is open already
    MciDeviceNotReady = 276,
    MciOutOfRange = 282,
};

/// The audio CD device as the CD reader talks to it: "open cdaudio shareable",
/// "status cdaudio ready", "status cdaudio mode", "status cdaudio number of tracks",
/// "status cdaudio length", "status cdaudio length track N", "close cdaudio". Replies are
/// "true"/"false", a mode word ("open" while the tray is open, "stopped", "not ready"), a number,
/// or a length as minutes:seconds:frames with 75 frames a second. Nothing ever plays the disc.
///
/// The program's device reads a drive or a disc image through libcdio; tests install their own.
class MediaControl
{
public:
    virtual ~MediaControl() = default;

    /// Runs one command string.
    virtual MciResult command(const QString &text) = 0;
    /// The table of contents and CD-Text of the disc last examined (by "open" or a status
    /// command); nothing when there was none or the device cannot give it.
    virtual std::optional<DiscToc> tableOfContents() const { return std::nullopt; }
    /// Why the last "open" failed, in words for the user; empty when it did not fail or there is
    /// nothing more to say than that no CD player is available.
    virtual QString failureDetail() const { return {}; }

    /// The installed device, or else the libcdio device of defaultSource().
    static MediaControl &instance();
    /// Installs `device` (not owned; it must outlive its use); nullptr restores the libcdio
    /// device. Returns the device installed before.
    static MediaControl *setInstance(MediaControl *device);
    /// The drive or disc image the libcdio device reads: a device path (/dev/sr0), an image
    /// (.cue, .toc, .nrg, .bin) or empty for libcdio's default drive. Choosing another source
    /// replaces the libcdio device, closing the one before.
    static void setDefaultSource(const QString &source);
    static QString defaultSource();

protected:
    MediaControl() = default;
    MediaControl(const MediaControl &) = default;
    MediaControl &operator=(const MediaControl &) = default;
};

} // namespace melodex::cd
