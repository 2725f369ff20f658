#include "SessionProcesses.h"

#include <QFileInfo>
#include <QRegularExpression>

const QStringList& SessionProcesses::patterns()
{
    static const QStringList list = {
        // Display servers, compositors, window managers, panels and desktops.
        "X", "Xorg", "Xwayland", "Xvfb", "Xvnc", "gnome-shell", "mutter", "kwin*", "plasmashell", "ksmserver",
        "kded*", "kglobalaccel*", "xfwm4", "xfce4-*", "xfdesktop", "xfsettingsd", "openbox", "jwm", "fluxbox",
        "icewm*", "i3", "i3bar", "sway", "swaybg", "weston", "labwc", "wayfire", "Hyprland", "marco", "metacity",
        "muffin", "cinnamon*", "mate-*", "lxqt-*", "lxsession", "lxpanel", "budgie-*", "twm", "awesome", "bspwm",
        "herbstluftwm", "dwm", "xmonad*", "matchbox-*", "evilwm",
        // File managers, which also draw the desktop.
        "nautilus", "dolphin", "thunar", "nemo*", "caja", "pcmanfm*",
        // Session, settings and portal daemons.
        "systemd*", "gnome-session*", "*-session", "*-session-binary", "gdm*", "sddm*", "lightdm*", "gsd-*",
        "*-settings-daemon", "xdg-*", "at-spi*", "gvfs*", "dconf-service", "*polkit*",
        // Sound server, message bus and key agents.
        "pipewire*", "wireplumber", "pulseaudio", "jackd*", "jackdbus", "dbus-*", "ssh-agent", "gpg-agent",
        "gnome-keyring-daemon", "kwalletd*", "ksecretd",
        // Input methods and screen lockers.
        "ibus*", "fcitx*", "xscreensaver*", "*-screensaver", "light-locker", "xss-lock", "swayidle", "swaylock",
        // Terminals, multiplexers, shells and log-in.
        "*-terminal", "*-terminal-server", "*term", "konsole", "kitty", "alacritty", "foot", "wezterm*",
        "terminator", "tilix", "urxvt*", "rxvt*", "st", "tmux*", "screen", "bash", "zsh", "fish", "sh", "dash",
        "ksh", "tcsh", "csh", "sshd", "login", "su", "sudo",
    };
    return list;
}

bool SessionProcesses::contains(const QString& executable)
{
    static const QRegularExpression any = [] {
        QStringList alternatives;
        for (const QString& pattern : patterns())
            alternatives.append(QRegularExpression::wildcardToRegularExpression(pattern, QRegularExpression::UnanchoredWildcardConversion));
        return QRegularExpression(QStringLiteral("^(?:") + alternatives.join(u'|') + QStringLiteral(")$"));
    }();
    const QString name = QFileInfo(executable).fileName();
    return !name.isEmpty() && any.match(name).hasMatch();
}
