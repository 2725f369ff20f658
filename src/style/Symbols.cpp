#include "Symbols.h"

#include <QFile>
#include <QFont>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <QStandardPaths>

namespace {

// Symbol name -> Material Icons code point.
const QHash<QString, char32_t>& table()
{
    static const QHash<QString, char32_t> map{
        {"antenna.radiowaves.left.and.right", 0xebba}, // cell_tower
        {"apple.logo", 0xea80},                        // apple
        {"archivebox", 0xe149},                        // archive
        {"arrow.clockwise", 0xe5d5},                   // refresh
        {"arrow.counterclockwise", 0xe166},            // undo
        {"arrow.down", 0xe5db},                        // arrow_downward
        {"arrow.down.circle", 0xf181},                 // arrow_circle_down
        {"arrow.triangle.2.circlepath", 0xe863},       // autorenew
        {"arrow.up", 0xe5d8},                          // arrow_upward
        {"battery.0", 0xebdc},                         // battery_0_bar
        {"battery.25", 0xebe0},                        // battery_2_bar
        {"battery.50", 0xebe2},                        // battery_4_bar
        {"battery.75", 0xebd2},                        // battery_6_bar
        {"battery.100", 0xe1a4},                       // battery_full
        {"battery.100.bolt", 0xe1a3},                  // battery_charging_full
        {"bolt.fill", 0xea0b},                         // bolt
        {"bolt.shield.fill", 0xe32a},                  // security
        {"bolt.trianglebadge.exclamationmark", 0xe932}, // offline_bolt
        {"cable.connector", 0xefe6},                   // cable
        {"calendar", 0xe935},                          // calendar_today
        {"calendar.badge.clock", 0xf1bb},              // pending_actions
        {"chart.bar", 0xe26b},                         // bar_chart
        {"chart.bar.xaxis", 0xf20c},                   // leaderboard
        {"checkmark.circle", 0xe92d},                  // check_circle_outline
        {"checkmark.circle.fill", 0xe86c},             // check_circle
        {"checkmark.seal.fill", 0xef76},               // verified
        {"checkmark.shield", 0xf013},                  // gpp_good
        {"checkmark.shield.fill", 0xe8e8},             // verified_user
        {"chevron.down", 0xe5cf},                      // expand_more
        {"chevron.left", 0xe5cb},                      // chevron_left
        {"chevron.left.forwardslash.chevron.right", 0xe86f}, // code
        {"chevron.right", 0xe5cc},                     // chevron_right
        {"chevron.up", 0xe5ce},                        // expand_less
        {"circle", 0xe836},                            // radio_button_unchecked
        {"clock", 0xe8b5},                             // schedule
        {"clock.arrow.circlepath", 0xe889},            // history
        {"clock.badge.checkmark", 0xe858},             // alarm_on
        {"cloud", 0xe2bd},                             // cloud
        {"cloud.fill", 0xe2bd},                        // cloud
        {"cpu", 0xe322},                               // memory
        {"cube", 0xe9fe},                              // view_in_ar
        {"cup.and.saucer.fill", 0xe541},               // local_cafe
        {"display", 0xef5b},                           // monitor
        {"doc.text", 0xe873},                          // description
        {"exclamationmark.triangle", 0xf083},          // warning_amber
        {"exclamationmark.triangle.fill", 0xe002},     // warning
        {"eye", 0xe8f4},                               // visibility
        {"fan", 0xec18},                               // heat_pump
        {"fanblades", 0xec18},                         // heat_pump
        {"fanblades.fill", 0xec18},                    // heat_pump
        {"fanblades.slash", 0xec17},                   // mode_fan_off
        {"figure.arms.open", 0xe92c},                  // accessibility_new
        {"figure.fencing", 0xeae9},                    // sports_martial_arts
        {"flag", 0xe153},                              // flag
        {"folder", 0xe2c7},                            // folder
        {"g.circle.fill", 0xe927},                     // g_translate
        {"gamecontroller", 0xea28},                    // sports_esports
        {"gamecontroller.fill", 0xea28},               // sports_esports
        {"gearshape", 0xe8b8},                         // settings
        {"gearshape.fill", 0xe8b8},                    // settings
        {"gearshape.2", 0xf10c},                       // miscellaneous_services
        {"globe", 0xe80b},                             // public
        {"gpu", 0xe30d},                               // developer_board
        {"heart", 0xe87e},                             // favorite_border
        {"heart.fill", 0xe87d},                        // favorite
        {"heart.text.clipboard", 0xeaa2},              // monitor_heart
        {"info.circle", 0xe88f},                       // info_outline
        {"internaldrive", 0xe1db},                     // storage
        {"key.fill", 0xe0da},                          // vpn_key
        {"keyboard", 0xe312},                          // keyboard
        {"keyboard.badge.ellipsis", 0xf028},           // keyboard_alt
        {"leaf.fill", 0xea35},                         // eco
        {"list.bullet.rectangle", 0xe0ee},             // list_alt
        {"lock.fill", 0xe897},                         // lock
        {"magnifyingglass", 0xe8b6},                   // search
        {"memorychip", 0xe1c2},                        // sd_storage
        {"menubar.rectangle", 0xe069},                 // web_asset
        {"minus", 0xe15b},                             // remove
        {"moon.fill", 0xe51c},                         // dark_mode
        {"network", 0xeb2f},                           // lan
        {"number.square", 0xf045},                     // pin
        {"paperclip", 0xe226},                         // attach_file
        {"paperplane.fill", 0xe163},                   // send
        {"person", 0xe7fd},                            // person
        {"person.fill", 0xe7fd},                       // person
        {"play.circle", 0xe039},                       // play_circle_outline
        {"play.fill", 0xe037},                         // play_arrow
        {"plus", 0xe145},                              // add
        {"plus.circle", 0xe148},                       // add_circle_outline
        {"powerplug", 0xe63c},                         // power
        {"questionmark.circle.fill", 0xe887},          // help
        {"rectangle.3.group", 0xe8f0},                 // view_module
        {"shield", 0xe9e0},                            // shield
        {"shield.checkered", 0xe32a},                  // security
        {"shippingbox", 0xe1a1},                       // inventory_2
        {"slider.horizontal.3", 0xe429},               // tune
        {"snowflake", 0xeb3b},                         // ac_unit
        {"sparkle", 0xe3e4},                           // flare
        {"sparkles", 0xe65f},                          // auto_awesome
        {"speedometer", 0xe9e4},                       // speed
        {"square", 0xe3c6},                            // crop_square
        {"square.on.square", 0xe3e0},                  // filter_none
        {"star", 0xe838},                              // star
        {"stop.fill", 0xe047},                         // stop
        {"thermometer", 0xf076},                       // thermostat
        {"thermometer.high", 0xf076},                  // thermostat
        {"trash", 0xe872},                             // delete
        {"tray", 0xe156},                              // inbox
        {"wifi", 0xe63e},                              // wifi
        {"wifi.slash", 0xe648},                        // wifi_off
        {"wrench.and.screwdriver", 0xe869},            // build
        {"xmark", 0xe5cd},                             // close
        {"xmark.circle", 0xe888},                      // highlight_off
        {"xmark.circle.fill", 0xe5c9},                 // cancel
    };
    return map;
}

QPainterPath ring(qreal size)
{
    QPainterPath path;
    const qreal inset = size * 0.15;
    const QRectF outer(inset, inset, size - 2 * inset, size - 2 * inset);
    const qreal width = qMax<qreal>(1.0, size * 0.09);
    path.addEllipse(outer);
    path.addEllipse(outer.adjusted(width, width, -width, -width));
    return path;
}

// Outlines by name and size: a screen asks for its symbols whenever it draws them anew.
QHash<QString, QPainterPath>& outlines()
{
    static QHash<QString, QPainterPath> cache;
    return cache;
}

} // namespace

QStringList Symbols::fontCandidates()
{
    const QString relative = QStringLiteral("fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf");
    QStringList candidates = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, relative);
    const QString system = QStringLiteral("/usr/share/") + relative;
    if (!candidates.contains(system))
        candidates.append(system);
    return candidates;
}

const QRawFont& Symbols::iconRawFont()
{
    // Read from the first file found, never joined to the font database: nothing draws the icons
    // by family, and adding a font there costs the start a parse of the whole file. By family the
    // database could also pick another installed copy, such as a compressed web font that is
    // unpacked whenever it is loaded. The file is mapped, not read: only the pages of the glyphs
    // drawn are ever loaded. One font serves every size, which shares its loaded face. Never freed:
    // a font outliving the application object must not be released after it. The file is kept
    // with the font, since its mapping is the font's data.
    struct MappedFont {
        const QFile* file = nullptr;
        const QRawFont* font = nullptr;
    };
    static const MappedFont mapped = [] {
        for (const QString& name : fontCandidates()) {
            auto* file = new QFile(name);
            const uchar* data = file->open(QIODevice::ReadOnly) ? file->map(0, file->size()) : nullptr;
            if (data) {
                const auto bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), file->size());
                auto* raw = new QRawFont(bytes, 64, QFont::PreferNoHinting);
                if (raw->isValid())
                    return MappedFont{file, raw};
                delete raw;
            }
            delete file;
        }
        return MappedFont{nullptr, new QRawFont};
    }();
    return *mapped.font;
}

std::optional<char32_t> Symbols::codePoint(const QString& name)
{
    const auto it = table().constFind(name);
    if (it == table().constEnd())
        return std::nullopt;
    return *it;
}

QStringList Symbols::names()
{
    QStringList list = table().keys();
    list.sort();
    return list;
}

QPainterPath Symbols::path(const QString& name, qreal size)
{
    const QString key = name + QLatin1Char('@') + QString::number(size);
    if (const auto it = outlines().constFind(key); it != outlines().constEnd())
        return *it;
    const QPainterPath shape = outline(name, size);
    outlines().insert(key, shape);
    return shape;
}

void Symbols::forgetOutlines()
{
    outlines().clear();
}

QPainterPath Symbols::outline(const QString& name, qreal size)
{
    const auto code = codePoint(name);
    if (!code || size <= 0)
        return ring(qMax<qreal>(size, 0));

    QRawFont raw = iconRawFont();
    raw.setPixelSize(qMax(1, qRound(size)));
    const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUcs4(&*code, 1));
    if (glyphs.isEmpty() || glyphs.first() == 0 || !raw.supportsCharacter(*code))
        return ring(size);

    // Material glyphs fill an em square that stands on the baseline.
    QPainterPath glyph = raw.pathForGlyph(glyphs.first());
    const qreal em = raw.pixelSize();
    glyph.translate(0, em);
    if (em != size) {
        QTransform scale;
        scale.scale(size / em, size / em);
        glyph = scale.map(glyph);
    }
    return glyph;
}

void Symbols::paint(QPainter& painter, const QString& name, const QRectF& box, const QBrush& brush)
{
    const qreal size = qMin(box.width(), box.height());
    QPainterPath shape = path(name, size);
    shape.translate(box.center() - QPointF(size / 2, size / 2));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.drawPath(shape);
    painter.restore();
}
