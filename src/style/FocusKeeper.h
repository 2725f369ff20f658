#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

// Keeps the keyboard focus on a screen whose controls are rebuilt or swapped by what a press did.
// Made before the rebuild, it notes the control of `screen` the user is on and the screen's Tab
// stops then; when it goes, at the end of the rebuild, it hands the focus, once the new controls
// are shown, to the one made in that control's place (the same key or the same object names down
// from the screen), else to the nearest of the earlier stops still shown, so the focus never
// leaves the screen or vanishes with the control. It does nothing when the focus was elsewhere.
class FocusKeeper {
public:
    explicit FocusKeeper(QWidget* screen);
    ~FocusKeeper();
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

    // Names `control`, and what lies in it, across rebuilds: a control made later with the same
    // key stands in its place. Controls that do the same job in two arrangements of a screen may
    // share a key; the first of them that can take the focus gets it.
    static void setKey(QWidget* control, const QString& key);
    // Marks `control` as one whose press throws away what the user has (a saved key, a
    // conversation). A keeper never hands it the focus, since a second Return meant for the
    // control just pressed would act there unasked: another control of the same key, or the
    // nearest stop, gets it instead.
    static void setDiscarding(QWidget* control);
    // Whether a keeper is about to put the focus back: the stops the toolkit passes the focus
    // through meanwhile, as the controls go, are not scrolled to.
    static bool isRestoring();

private:
    // A Tab stop as a rebuild keeps it: the key or object names from the screen down to it, and
    // which of the stops with that name it is.
    struct Place {
        QString name;
        int occurrence = 0;
        bool operator==(const Place&) const = default;
    };
    struct Stop {
        QWidget* widget;
        Place place;
    };

    static QList<Stop> shownStops(QWidget* screen);
    static QString nameOf(const QWidget* widget, const QWidget* screen);
    static bool canLandOn(const QWidget* widget);
    static QWidget* successor(QWidget* screen, const QList<Place>& before, qsizetype at);

    struct Pending;

    QPointer<QWidget> m_screen;
    // The control the user was on: left alone if the rebuild kept it.
    QPointer<QWidget> m_on;
    QList<Place> m_stops;
    qsizetype m_at = -1;
    std::shared_ptr<Pending> m_pending;
};
