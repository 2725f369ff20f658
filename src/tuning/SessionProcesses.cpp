#include "SessionProcesses.h"

#include <QFileInfo>
#include <algorithm>

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

namespace {

// Whether the whole of `name` matches `pattern`, where each '*' stands for any run of characters.
bool matchesWildcard(QStringView pattern, QStringView name)
{
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype star = -1;
    qsizetype resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool SessionProcesses::contains(const QString& executable)
{
    const QString name = QFileInfo(executable).fileName();
    return !name.isEmpty() && std::any_of(patterns().cbegin(), patterns().cend(), [&name](const QString& pattern) {
               return matchesWildcard(pattern, name);
           });
}
