#include "LinuxDisplayModes.h"

#include "XcbConnect.h"
#include "XcbReply.h"

#include <QtGlobal>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <xcb/randr.h>
#include <xcb/xcb.h>

namespace {

// One connection to the display and the facts about its main output that every call needs.
class Output {
public:
    explicit Output(const QString& displayName)
    {
        if (displayName.isEmpty())
            return;
        int screenNumber = 0;
        m_connection = connectToXServer(displayName.toLocal8Bit().constData(), &screenNumber);
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber && screens.rem; ++i)
            xcb_screen_next(&screens);
        if (!screens.rem)
            return;
        m_screen = screens.data;
        const xcb_query_extension_reply_t* randr = xcb_get_extension_data(m_connection, &xcb_randr_id);
        if (!randr || !randr->present)
            return;
        // Primary outputs and reading the configuration without probing need RandR 1.3.
        auto version = ownedReply(xcb_randr_query_version_reply(m_connection, xcb_randr_query_version(m_connection, 1, 3),
                                                           nullptr));
        if (!version || (version->major_version == 1 && version->minor_version < 3))
            return;
        m_resources = ownedReply(xcb_randr_get_screen_resources_current_reply(
            m_connection, xcb_randr_get_screen_resources_current(m_connection, m_screen->root), nullptr));
        if (m_resources)
            findOutput();
    }

    ~Output()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
    }

    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    bool isValid() const { return m_info != nullptr; }
    xcb_connection_t* connection() const { return m_connection; }
    const xcb_screen_t& screen() const { return *m_screen; }
    xcb_randr_get_screen_resources_current_reply_t& resources() const { return *m_resources; }
    xcb_randr_get_output_info_reply_t& info() const { return *m_info; }
    xcb_randr_output_t output() const { return m_output; }

    std::optional<DisplayMode> mode(xcb_randr_mode_t id) const
    {
        const xcb_randr_mode_info_t* infos = xcb_randr_get_screen_resources_current_modes(m_resources.get());
        const int count = xcb_randr_get_screen_resources_current_modes_length(m_resources.get());
        for (int i = 0; i < count; ++i) {
            const xcb_randr_mode_info_t& m = infos[i];
            if (m.id == id)
                return DisplayMode{m.id, m.width, m.height,
                                   LinuxDisplayModes::refreshRate(m.dot_clock, m.htotal, m.vtotal, m.mode_flags), false};
        }
        return std::nullopt;
    }

    XcbReply<xcb_randr_get_crtc_info_reply_t> crtcInfo(xcb_randr_crtc_t crtc) const
    {
        return ownedReply(xcb_randr_get_crtc_info_reply(
            m_connection, xcb_randr_get_crtc_info(m_connection, crtc, m_resources->config_timestamp), nullptr));
    }

private:
    XcbReply<xcb_randr_get_output_info_reply_t> outputInfo(xcb_randr_output_t output) const
    {
        return ownedReply(xcb_randr_get_output_info_reply(
            m_connection, xcb_randr_get_output_info(m_connection, output, m_resources->config_timestamp), nullptr));
    }

    void findOutput()
    {
        auto primary = ownedReply(xcb_randr_get_output_primary_reply(
            m_connection, xcb_randr_get_output_primary(m_connection, m_screen->root), nullptr));
        if (primary && primary->output != XCB_NONE) {
            auto info = outputInfo(primary->output);
            if (info && info->connection == XCB_RANDR_CONNECTION_CONNECTED) {
                m_output = primary->output;
                m_info = std::move(info);
                return;
            }
        }
        const xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(m_resources.get());
        const int count = xcb_randr_get_screen_resources_current_outputs_length(m_resources.get());
        for (int i = 0; i < count; ++i) {
            auto info = outputInfo(outputs[i]);
            if (info && info->connection == XCB_RANDR_CONNECTION_CONNECTED) {
                m_output = outputs[i];
                m_info = std::move(info);
                return;
            }
        }
    }

    xcb_connection_t* m_connection = nullptr;
    const xcb_screen_t* m_screen = nullptr;
    XcbReply<xcb_randr_get_screen_resources_current_reply_t> m_resources = ownedReply<xcb_randr_get_screen_resources_current_reply_t>(nullptr);
    xcb_randr_output_t m_output = XCB_NONE;
    XcbReply<xcb_randr_get_output_info_reply_t> m_info = ownedReply<xcb_randr_get_output_info_reply_t>(nullptr);
};

struct Size {
    int width = 0;
    int height = 0;
};

// The size a CRTC covers on the screen with a mode, turned a quarter when it is rotated.
Size covered(qint64 width, qint64 height, quint16 rotation)
{
    const bool sideways = rotation & (XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270);
    return sideways ? Size{int(height), int(width)} : Size{int(width), int(height)};
}

bool setScreenSize(const Output& out, Size size)
{
    const xcb_screen_t& screen = out.screen();
    // Keep the physical size in step so the resolution in dots per inch stays what it was.
    auto millimetres = [](int pixels, int currentPixels, int currentMm) {
        return quint32(currentPixels > 0 && currentMm > 0 ? qint64(pixels) * currentMm / currentPixels
                                                           : qint64(pixels) * 254 / 960);
    };
    xcb_void_cookie_t cookie = xcb_randr_set_screen_size_checked(
        out.connection(), screen.root, quint16(size.width), quint16(size.height),
        millimetres(size.width, screen.width_in_pixels, screen.width_in_millimeters),
        millimetres(size.height, screen.height_in_pixels, screen.height_in_millimeters));
    auto error = ownedReply(xcb_request_check(out.connection(), cookie));
    return !error;
}

} // namespace

LinuxDisplayModes::LinuxDisplayModes(QString displayName) : m_displayName(std::move(displayName)) {}

QString LinuxDisplayModes::sessionDisplayName()
{
    return qEnvironmentVariable("DISPLAY");
}

double LinuxDisplayModes::refreshRate(quint32 dotClock, quint16 hTotal, quint16 vTotal, quint32 modeFlags)
{
    if (hTotal == 0 || vTotal == 0)
        return 0;
    double lines = vTotal;
    if (modeFlags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN)
        lines *= 2;
    if (modeFlags & XCB_RANDR_MODE_FLAG_INTERLACE)
        lines /= 2;
    return double(dotClock) / (double(hTotal) * lines);
}

std::optional<QList<DisplayMode>> LinuxDisplayModes::allModes(bool)
{
    Output out(m_displayName);
    if (!out.isValid())
        return std::nullopt;
    QList<DisplayMode> modes;
    const xcb_randr_mode_t* ids = xcb_randr_get_output_info_modes(&out.info());
    const int count = xcb_randr_get_output_info_modes_length(&out.info());
    for (int i = 0; i < count; ++i) {
        if (auto mode = out.mode(ids[i]))
            modes.append(*mode);
    }
    return modes;
}

std::optional<DisplayMode> LinuxDisplayModes::currentMode()
{
    Output out(m_displayName);
    if (!out.isValid() || out.info().crtc == XCB_NONE)
        return std::nullopt;
    auto crtc = out.crtcInfo(out.info().crtc);
    if (!crtc || crtc->mode == XCB_NONE)
        return std::nullopt;
    return out.mode(crtc->mode);
}

int LinuxDisplayModes::setMode(const DisplayMode& mode)
{
    constexpr int failed = -1;
    Output out(m_displayName);
    if (!out.isValid() || out.info().crtc == XCB_NONE)
        return failed;
    const xcb_randr_mode_t* ids = xcb_randr_get_output_info_modes(&out.info());
    const int idCount = xcb_randr_get_output_info_modes_length(&out.info());
    if (std::find(ids, ids + idCount, xcb_randr_mode_t(mode.id)) == ids + idCount)
        return failed;
    const xcb_randr_crtc_t crtcId = out.info().crtc;
    auto crtc = out.crtcInfo(crtcId);
    auto target = out.mode(xcb_randr_mode_t(mode.id));
    if (!crtc || !target)
        return failed;

    // The screen must hold every lit CRTC: grow it before the switch, shrink it after.
    const Size own = covered(target->width, target->height, crtc->rotation);
    Size needed{crtc->x + own.width, crtc->y + own.height};
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(&out.resources());
    const int crtcCount = xcb_randr_get_screen_resources_current_crtcs_length(&out.resources());
    for (int i = 0; i < crtcCount; ++i) {
        if (crtcs[i] == crtcId)
            continue;
        auto other = out.crtcInfo(crtcs[i]);
        if (other && other->mode != XCB_NONE) {
            needed.width = std::max(needed.width, other->x + other->width);
            needed.height = std::max(needed.height, other->y + other->height);
        }
    }
    const Size current{out.screen().width_in_pixels, out.screen().height_in_pixels};
    const Size grown{std::max(current.width, needed.width), std::max(current.height, needed.height)};
    if ((grown.width != current.width || grown.height != current.height) && !setScreenSize(out, grown))
        return failed;

    const int outputCount = xcb_randr_get_crtc_info_outputs_length(crtc.get());
    auto reply = ownedReply(xcb_randr_set_crtc_config_reply(
        out.connection(),
        xcb_randr_set_crtc_config(out.connection(), crtcId, XCB_CURRENT_TIME, out.resources().config_timestamp,
                                  crtc->x, crtc->y, xcb_randr_mode_t(mode.id), crtc->rotation, outputCount,
                                  xcb_randr_get_crtc_info_outputs(crtc.get())),
        nullptr));
    if (!reply || reply->status != XCB_RANDR_SET_CONFIG_SUCCESS)
        return reply ? int(reply->status) : failed;

    if (needed.width < grown.width || needed.height < grown.height) {
        auto range = ownedReply(xcb_randr_get_screen_size_range_reply(
            out.connection(), xcb_randr_get_screen_size_range(out.connection(), out.screen().root), nullptr));
        const Size smallest = range ? Size{range->min_width, range->min_height} : Size{};
        // A screen left larger than its outputs is harmless, so a failed shrink is not a failed switch.
        setScreenSize(out, {std::max(needed.width, smallest.width), std::max(needed.height, smallest.height)});
    }
    xcb_flush(out.connection());
    return 0;
}
