#include "DisplayCheck.h"

#include "XcbConnect.h"

#include <xcb/xcb.h>

namespace {

// The value of `-name value` or `--name value` on the command line, as the GUI library reads it.
QString option(const QStringList& arguments, const QString& name)
{
    QString found;
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        QString argument = arguments.at(i);
        if (argument.startsWith(QLatin1String("--")))
            argument.remove(0, 1);
        if (argument == QLatin1Char('-') + name)
            found = arguments.at(++i);
    }
    return found;
}

const QString kAdvice = QStringLiteral(
    "Start Quillmarsh from the desktop session it should appear on, or point DISPLAY at a running X "
    "server; without a desktop, unset DISPLAY and WAYLAND_DISPLAY and use scripts/run, which starts a "
    "virtual display of its own.");

} // namespace

DisplayCheck::Target DisplayCheck::target(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QString platform = option(arguments, QStringLiteral("platform"));
    if (platform.isEmpty())
        platform = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (!platform.isEmpty()) {
        // From a list of candidates the library takes the next when one cannot start, so only X11
        // alone, with or without its parameters, has to answer here.
        if (platform.contains(QLatin1Char(';')))
            return Target::Other;
        return platform.section(QLatin1Char(':'), 0, 0) == QLatin1String("xcb") ? Target::X11 : Target::Other;
    }
    if (!environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty()
        || environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland"))
        return Target::Other;
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty()
        || !option(arguments, QStringLiteral("display")).isEmpty())
        return Target::X11;
    return Target::Nothing;
}

QString DisplayCheck::problem(const QStringList& arguments, const QProcessEnvironment& environment)
{
    switch (target(arguments, environment)) {
    case Target::Other:
        return {};
    case Target::Nothing:
        return QStringLiteral("Quillmarsh: there is no display to show its window on: neither DISPLAY nor "
                              "WAYLAND_DISPLAY is set.\n")
            + kAdvice;
    case Target::X11:
        break;
    }
    QString display = option(arguments, QStringLiteral("display"));
    if (display.isEmpty())
        display = environment.value(QStringLiteral("DISPLAY"));
    if (display.isEmpty())
        return QStringLiteral("Quillmarsh: the X11 platform was asked for, but DISPLAY is not set.\n") + kAdvice;
    xcb_connection_t* connection = connectToXServer(display.toLocal8Bit().constData(), nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    switch (error) {
    case 0:
        return {};
    case XCB_CONN_CLOSED_PARSE_ERR:
        return QStringLiteral("Quillmarsh: \"%1\" is not the name of an X display (DISPLAY).\n").arg(display)
            + kAdvice;
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return QStringLiteral("Quillmarsh: the X display %1 has no such screen.\n").arg(display) + kAdvice;
    default:
        return QStringLiteral("Quillmarsh: the X display %1 does not answer: no X server runs there, or it "
                              "refused the connection (an X server another user started may need "
                              "XAUTHORITY).\n")
                   .arg(display)
            + kAdvice;
    }
}
